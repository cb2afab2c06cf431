# SPDX-License-Identifier: MIT
"""Every example in the README and the docs/ pages runs as written."""

import doctest
import importlib.util
import pathlib
import re

import pytest

TOP = pathlib.Path(__file__).resolve().parents[2]
PAGES = [TOP / "README.md", *sorted((TOP / "docs").rglob("*.md"))]


def examples(page: pathlib.Path) -> doctest.DocTest:
    name = str(page.relative_to(TOP))
    return doctest.DocTestParser().get_doctest(page.read_text(encoding="utf-8"), {}, name, str(page), 0)


def missing_libraries(test: doctest.DocTest) -> list[str]:
    """The top-level modules the examples import that this interpreter lacks (a root
    without the column libraries, say)."""
    names = {m[1] or m[2] for e in test.examples
             for m in re.finditer(r"^\s*(?:from (\w+)[\w.]* import|import (\w+))", e.source, re.M)}
    return sorted(n for n in names if importlib.util.find_spec(n) is None)


@pytest.mark.parametrize("page", PAGES, ids=lambda p: str(p.relative_to(TOP)))
def test_examples(page):
    test = examples(page)
    if missing := missing_libraries(test):
        pytest.skip(f"the examples import {', '.join(missing)}, which is not installed")
    runner = doctest.DocTestRunner(optionflags=doctest.ELLIPSIS)
    runner.run(test)
    assert runner.failures == 0
