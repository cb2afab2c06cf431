# SPDX-License-Identifier: MIT
"""Checks the built documentation site (`make docs` runs it).

    python3 tools/check_site.py SITE_DIR

Fails when a page loads a script or a style sheet from another host (the site
must work offline), or when the search index has no entry for a public member
of a class in the stubs (python/chronexa/__init__.pyi).
"""
import ast
import json
import pathlib
import re
import sys

TOP = pathlib.Path(__file__).resolve().parent.parent
EXTERNAL = re.compile(r'<(?:script|link)\b[^>]*\b(?:src|href)="(?:https?:)?//[^"]*"', re.I)


def main() -> int:
    site = pathlib.Path(sys.argv[1])
    problems = []
    for page in sorted(site.rglob("*.html")):
        for tag in EXTERNAL.findall(page.read_text(encoding="utf-8")):
            problems.append(f"{page.relative_to(site)}: loads from another host: {tag}")
    index = json.loads((site / "search" / "search_index.json").read_text(encoding="utf-8"))
    locations = {doc["location"] for doc in index["docs"]}
    stub = ast.parse((TOP / "python" / "chronexa" / "__init__.pyi").read_text(encoding="utf-8"))
    members = [f"chronexa.{c.name}.{f.name}" for c in stub.body if isinstance(c, ast.ClassDef)
               for f in c.body if isinstance(f, ast.FunctionDef) and not f.name.startswith("_")]
    for member in members:
        if not any(loc.endswith("#" + member) for loc in locations):
            problems.append(f"search finds no entry for {member}")
    for p in problems:
        print("check_site:", p, file=sys.stderr)
    print(f"check_site: {len(members)} members in the search index, "
          f"no page loads from another host" if not problems else f"check_site: {len(problems)} problems")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
