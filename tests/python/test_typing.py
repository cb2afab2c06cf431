# SPDX-License-Identifier: MIT
"""The stubs match the module, and mypy --strict accepts the examples and the
docs' code while it, and pyright, report every deliberate mistake of tests/typing."""

import json
import os
import pathlib
import re
import shutil
import subprocess
import sys

import pytest

from test_docs import PAGES, TOP, examples

api = pytest.importorskip("mypy.api")
MISTAKES = TOP / "tests" / "typing" / "mistakes.py"


@pytest.mark.parametrize("module", ["chronexa", "chronexa_columns"])
def test_stubs_match_the_module(module):
    run = subprocess.run([sys.executable, "-m", "mypy.stubtest", module], capture_output=True, text=True)
    assert run.returncode == 0, run.stdout + run.stderr


def test_mypy_strict(tmp_path):
    sources = [MISTAKES, *sorted((TOP / "examples").glob("*.py")),
               *sorted((TOP / "python" / "chronexa_adapters").glob("*.py"))]
    for page in PAGES:  # each page's examples as one module
        module = tmp_path / (re.sub(r"\W", "_", str(page.relative_to(TOP))) + ".py")
        module.write_text("".join(e.source for e in examples(page).examples), encoding="utf-8")
        sources.append(module)
    out, err, _ = api.run(["--strict", "--no-error-summary", "--hide-error-context", *map(str, sources)])
    reported = re.findall(r"^(.*?):(\d+): error: .*\[([\w-]+)\]$", out, re.MULTILINE)
    found = {(str(pathlib.Path(f).resolve()), n, code) for f, n, code in reported}
    lines = MISTAKES.read_text(encoding="utf-8").splitlines()
    wanted = {(str(MISTAKES), str(n), m[1]) for n, line in enumerate(lines, 1) if (m := re.search(r"# error: ([\w-]+)$", line))}
    assert len(wanted) > 10 and not err
    assert found == wanted, out


def test_pyright_reports_each_mistake():
    tool = shutil.which("basedpyright")
    if tool is None:
        pytest.skip("basedpyright is not installed")
    # node, which runs pyright, is not to see the sanitizer runtime make sanitize preloads.
    env = {k: v for k, v in os.environ.items() if k not in ("LD_PRELOAD", "PYTHONMALLOC")}
    run = subprocess.run([tool, "--pythonpath", sys.executable, "--outputjson", str(MISTAKES)],
                         capture_output=True, text=True, env=env)
    errors = {d["range"]["start"]["line"] + 1 for d in json.loads(run.stdout)["generalDiagnostics"]
              if d["severity"] == "error"}
    lines = MISTAKES.read_text(encoding="utf-8").splitlines()
    wanted = {n for n, line in enumerate(lines, 1) if re.search(r"# error: [\w-]+$", line)}
    assert errors == wanted
