# SPDX-License-Identifier: MIT
"""Side-by-side benchmarks: each row times a chronexa operation and its
nearest peer in the same run and prints both costs and their ratio.

Rows live in bench/rows_*.py, one module per class; each defines ROWS, a list
of Row. Run through `make bench`, or directly with the module on PYTHONPATH:

    python bench/bench.py [substring ...]    # only rows whose name matches
"""

from __future__ import annotations

import importlib.util
import pathlib
import sys
import timeit
from dataclasses import dataclass, field


@dataclass
class Row:
    name: str  # what is measured, e.g. "Date(2024, 1, 5)"
    ours: str  # statement timed for chronexa
    peer_name: str  # e.g. "datetime.date"
    peer: str  # statement timed for the peer
    setup: str = ""  # shared setup for both statements
    target: float = 1.0  # the ratio ours/peer we aim to stay at or below
    extra_peers: list[tuple[str, str]] = field(default_factory=list)  # (name, statement)


COMMON_SETUP = """
import datetime, chronexa
from chronexa import Date, Time, Duration, DateTime, UtcOffset, OffsetDateTime, Weekday
UTC = datetime.timezone.utc
"""


def best_ns(stmt: str, setup: str) -> float:
    """Nanoseconds per execution: the best of several repeats (the least
    disturbed by the other work on the machine)."""
    timer = timeit.Timer(stmt, COMMON_SETUP + setup)
    number, _ = timer.autorange()
    number = max(number, 1) * 2
    return min(timer.repeat(repeat=7, number=number)) / number * 1e9


def load_rows() -> list[Row]:
    rows = []
    for path in sorted(pathlib.Path(__file__).parent.glob("rows_*.py")):
        found = importlib.util.spec_from_file_location(path.stem, path)
        module = importlib.util.module_from_spec(found)
        found.loader.exec_module(module)
        rows.extend(module.ROWS)
    return rows


def available(stmt: str, setup: str) -> bool:
    try:
        exec(COMMON_SETUP + setup + "\n" + stmt, {})
        return True
    except ImportError:
        return False


def main(argv: list[str]) -> int:
    rows = [r for r in load_rows() if not argv or any(a in r.name for a in argv)]
    print(f"{'operation':<44}{'chronexa':>10}  {'peer':<30}{'peer ns':>9}{'ratio':>7}  target")
    misses = 0
    for r in rows:
        ours = best_ns(r.ours, r.setup)
        peers = [(r.peer_name, r.peer)] + r.extra_peers
        for i, (peer_name, peer_stmt) in enumerate(peers):
            if not available(peer_stmt, r.setup):
                print(f"{'':<44}{'':>10}  {peer_name + ' (not installed)':<30}")
                continue
            theirs = best_ns(peer_stmt, r.setup)
            ratio = ours / theirs
            target = r.target if i == 0 else 1.0
            flag = "" if ratio <= target else "  MISS"
            misses += bool(flag)
            label = r.name if i == 0 else ""
            ours_text = f"{ours:8.1f}ns" if i == 0 else ""
            print(f"{label:<44}{ours_text:>10}  {peer_name:<30}{theirs:7.1f}ns{ratio:7.2f}  <= {target:.2f}{flag}")
    print(f"\n{len(rows)} rows; {misses} above target (ratios of the same run; the machine is noisy)")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
