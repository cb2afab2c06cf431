# SPDX-License-Identifier: MIT
"""The type stubs against the module: every public member is declared, with the runtime's
parameters (names, order, defaults) and, for callables, the runtime's docstring
(tools/stub_docstrings.py copies them)."""
import ast
import inspect
import pathlib

import pytest

import chronexa

STUB = pathlib.Path(__file__).resolve().parents[2] / "python" / "chronexa" / "__init__.pyi"
TREE = ast.parse(STUB.read_text())
CLASSES = {node.name: node for node in TREE.body if isinstance(node, ast.ClassDef)}


def declared(cls_name):
    """name -> the stub's FunctionDef (or AnnAssign for a class attribute)."""
    out = {}
    for node in CLASSES[cls_name].body:
        if isinstance(node, ast.FunctionDef):
            out[node.name] = node
        elif isinstance(node, ast.AnnAssign):
            out[node.target.id] = node
    return out


def public_members():
    for cls_name in chronexa.__all__:
        for name, member in vars(getattr(chronexa, cls_name)).items():
            if not name.startswith("_") or name == "__new__" and hasattr(member, "__call__"):
                yield cls_name, name, member


MEMBERS = list(public_members())


def test_every_class_is_declared():
    assert sorted(CLASSES) == sorted(chronexa.__all__)


@pytest.mark.parametrize("cls_name, name, member", MEMBERS, ids=[f"{c}.{n}" for c, n, _ in MEMBERS])
def test_member(cls_name, name, member):
    stub = declared(cls_name).get(name)
    assert stub is not None, f"{cls_name}.{name} is not in the stubs"
    if inspect.isgetsetdescriptor(member):
        assert any(isinstance(d, ast.Name) and d.id == "property" for d in stub.decorator_list)
        return
    if not callable(member) and not isinstance(member, classmethod):  # a Weekday member
        assert isinstance(stub, ast.AnnAssign)
        return
    runtime = getattr(getattr(chronexa, cls_name), name)
    if name == "__new__":
        parameters = list(inspect.signature(getattr(chronexa, cls_name)).parameters.values())
    else:
        parameters = list(inspect.signature(runtime).parameters.values())
        if parameters[:1] and parameters[0].name == "self":  # the receiver, as the stub's own
            parameters = parameters[1:]
        assert member.__doc__ == ast.get_docstring(stub, clean=True), f"{cls_name}.{name}: docstring"
    want = [(p.name, None if p.default is p.empty else repr(p.default)) for p in parameters]
    args = stub.args
    assert not args.kwonlyargs and not args.vararg and not args.kwarg
    params = args.posonlyargs + args.args
    defaults = [None] * (len(params) - len(args.defaults)) + [ast.unparse(d) for d in args.defaults]
    got = [(p.arg, d) for p, d in zip(params, defaults)][1:]  # without self or cls
    assert got == want, f"{cls_name}.{name}: parameters"
    kinds = {p.kind for p in parameters}
    assert kinds <= {inspect.Parameter.POSITIONAL_OR_KEYWORD} and not args.posonlyargs
    is_class_method = any(isinstance(d, ast.Name) and d.id == "classmethod" for d in stub.decorator_list)
    assert is_class_method == isinstance(member, classmethod | type(vars(chronexa.Date)["parse"])), name
