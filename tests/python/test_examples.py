# SPDX-License-Identifier: MIT
"""The example scripts print what examples/<name>.out says ("..." stands for
text that changes between runs, as in a doctest)."""

import doctest
import pathlib
import subprocess
import sys

import pytest

EXAMPLES = pathlib.Path(__file__).resolve().parents[2] / "examples"


@pytest.mark.parametrize("script", sorted(EXAMPLES.glob("*.py")), ids=lambda p: p.name)
def test_example_output(script):
    run = subprocess.run([sys.executable, str(script)], capture_output=True, text=True, timeout=60)
    assert run.returncode == 0 and not run.stderr, run.stderr
    expected = script.with_suffix(".out").read_text(encoding="utf-8")
    assert doctest.OutputChecker().check_output(expected, run.stdout, doctest.ELLIPSIS), run.stdout
