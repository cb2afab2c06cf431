# SPDX-License-Identifier: MIT
"""Every example in the README and the docs/ pages runs as written."""

import doctest
import pathlib

import pytest

TOP = pathlib.Path(__file__).resolve().parents[2]
PAGES = [TOP / "README.md", *sorted((TOP / "docs").rglob("*.md"))]


def examples(page: pathlib.Path) -> doctest.DocTest:
    name = str(page.relative_to(TOP))
    return doctest.DocTestParser().get_doctest(page.read_text(encoding="utf-8"), {}, name, str(page), 0)


@pytest.mark.parametrize("page", PAGES, ids=lambda p: str(p.relative_to(TOP)))
def test_examples(page):
    test = examples(page)
    runner = doctest.DocTestRunner(optionflags=doctest.ELLIPSIS)
    runner.run(test)
    assert runner.failures == 0
