# SPDX-License-Identifier: MIT
"""Fails when pyright's type completeness of an installed package is below 95%.

    python3 tools/verify_types.py PACKAGE...

Runs `basedpyright --verifytypes PACKAGE --ignoreexternal` (what users'
editors see: the installed package with its py.typed) and prints each score.
"""
import json
import shutil
import subprocess
import sys

LEAST = 0.95


def main() -> int:
    tool = shutil.which("basedpyright")
    if tool is None:
        print("verify_types: basedpyright is not installed", file=sys.stderr)
        return 1
    failed = False
    for package in sys.argv[1:]:
        # --ignoreexternal: a type another library leaves partly unknown
        # (psycopg's, pydantic's) is that library's score, not ours.
        run = subprocess.run([tool, "--pythonpath", sys.executable, "--verifytypes", package,
                              "--ignoreexternal", "--outputjson"],
                             capture_output=True, text=True)
        report = json.loads(run.stdout)["typeCompleteness"]
        score = report["completenessScore"]
        known = report["exportedSymbolCounts"]["withKnownType"]
        total = sum(report["exportedSymbolCounts"].values())
        print(f"verify_types: {package}: {score:.1%} ({known} of {total} exported symbols "
              f"with a known type; {report.get('pyTypedPath') or 'no py.typed'})")
        failed |= score < LEAST
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
