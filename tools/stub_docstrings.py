# SPDX-License-Identifier: MIT
"""Copies the runtime docstrings of the built module into the type stubs.

    PYTHONPATH=build/devroot python3 tools/stub_docstrings.py

Every public `def` of a class in python/chronexa/__init__.pyi whose runtime
member has a docstring gets that docstring as its body (a property's getter,
without one, keeps `...`). tests/python/test_stubs.py fails when the two
differ, so run this after changing a docstring in the extension.
"""
import ast
import pathlib
import sys

import chronexa

STUB = pathlib.Path(__file__).resolve().parent.parent / "python" / "chronexa" / "__init__.pyi"


def quoted(doc: str, indent: str) -> str:
    body = doc.replace("\\", "\\\\").replace('"""', '\\"\\"\\"')
    lines = body.split("\n")
    text = "\n".join(lines[:1] + [(indent + line) if line else "" for line in lines[1:]])
    return f'{indent}"""{text}"""' if len(lines) == 1 else f'{indent}"""{text}\n{indent}"""'


def main() -> int:
    source = STUB.read_text()
    lines = source.split("\n")
    edits = []  # (first line index, last line index, replacement lines) of each def
    for cls in ast.parse(source).body:
        if not isinstance(cls, ast.ClassDef) or not hasattr(chronexa, cls.name):
            continue
        runtime = vars(getattr(chronexa, cls.name))
        for node in cls.body:
            if (not isinstance(node, ast.FunctionDef) or node.name.startswith("_")
                    or node.name not in runtime):
                continue
            doc = getattr(runtime[node.name], "__doc__", None)
            if not isinstance(doc, str) or isinstance(runtime[node.name], property):
                continue
            first = node.lineno - 1
            last = node.end_lineno - 1
            header = lines[first:last + 1]
            if ast.get_docstring(node, clean=False) is not None:  # replace the body
                header = lines[first:node.body[0].lineno - 1]
            else:
                assert header[-1].endswith(": ..."), header[-1]
                header = header[:-1] + [header[-1][: -len(" ...")]]
            indent = " " * (node.col_offset + 4)
            edits.append((first, last, header + [quoted(doc, indent)]))
    for first, last, new in sorted(edits, reverse=True):
        lines[first:last + 1] = new
    STUB.write_text("\n".join(lines))
    print(f"stub_docstrings: {len(edits)} docstrings in {STUB.name}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
