# SPDX-License-Identifier: MIT
"""Side-by-side benchmarks: each row times a chronexa operation, the floor of
its call shape and its peers in the same run, and prints the costs and ratios.

The floor (bench/floor/floor.c, module chronexa_floor, built by `make bench`)
is the cheapest extension call of each shape: a member that takes the same
arguments and returns the same kind of object but does no work. Its cost is
the limit for any extension; a row's "x floor" is how far chronexa is from it.

Rows live in bench/rows_*.py, one module per class; each defines ROWS, a list
of Row. Run through `make bench`, or directly with the module (and the floor,
if built) on PYTHONPATH:

    python bench/bench.py [--markdown] [substring ...]   # only rows whose name matches
"""

from __future__ import annotations

import importlib.util
import math
import pathlib
import re
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
    floor: str = ""  # the call shape, a key of FLOOR_SHAPES; "" for none


# The floor statement of each call shape. {args} is the argument text of the
# row's own statement (between its outermost parentheses); the floor counts or
# reads its arguments and ignores their values.
FLOOR_SHAPES = {
    "constructor (vector call)": "Floor({args})",
    "constructor (tuple)": "FloorTuple({args})",
    "class method (str)": "Floor.from_str({args})",
    "class method (int)": "Floor.from_int({args})",
    "class method (objects)": "Floor.from_objects({args})",
    "class method (clock read)": "Floor.now()",
    "method -> new object": "fl.new()",
    "method -> small int": "fl.small()",  # or another cached object
    "method -> int": "fl.int()",  # beyond the small-int cache, one digit
    "method -> float": "fl.float()",
    "method -> large int": "fl.large()",
    "method (1 argument)": "fl.with_arg({args})",
    "method (int argument)": "fl.with_int({args})",
    "property": "fl.prop",
    "str": "str(fl_text)",
    "repr": "repr(fl_text)",
    "hash": "hash(fl)",
    "comparison": "fl < fl2",
    "binary operator": "fl + fl2",
    "unary operator": "-fl",
}

# The ratio to the floor each row aims to stay at or below. A hash keeps its
# value (SipHash-1-3 over the fields), so the keyed hash itself is the work.
FLOOR_TARGET = 1.2
FLOOR_TARGETS = {"hash": 1.3}

COMMON_SETUP = """
import datetime, chronexa
from chronexa import Date, Time, Duration, DateTime, UtcOffset, OffsetDateTime, Weekday
UTC = datetime.timezone.utc
"""

FLOOR_SETUP = """
from chronexa_floor import Floor, FloorTuple, text as _floor_text
fl = Floor(); fl2 = Floor(); fl_text = _floor_text({text_size})
"""

ROUNDS = 41  # interleaved rounds per row; each statement keeps its best
ROUND_SECONDS = 0.001  # the least time one timed batch takes: short batches,
# most of them undisturbed by the other processes on a busy machine


def floor_available() -> bool:
    return importlib.util.find_spec("chronexa_floor") is not None


def floor_statement(row: Row) -> str:
    found = re.search(r"\((.*)\)\s*$", row.ours)
    return FLOOR_SHAPES[row.floor].format(args=found.group(1) if found else "")


def text_size(row: Row) -> int:
    """The length of the text the row's statement returns (0 when not a str):
    the floor of str and repr returns a text as long."""
    namespace: dict = {}
    exec(COMMON_SETUP + row.setup, namespace)
    result = eval(row.ours, namespace)
    return len(result) if isinstance(result, str) else 0


def measure(stmts: list[str], setup: str) -> list[float]:
    """Nanoseconds per execution of each statement: timed in interleaved
    rounds, so every statement sees the same disturbances from the rest of the
    machine, and the best batch of each kept (the least disturbed)."""
    timers = [timeit.Timer(s, setup) for s in stmts]
    numbers = []
    for t in timers:
        n = 1
        while (spent := t.timeit(n)) < ROUND_SECONDS:
            n = max(n * 2, int(n * ROUND_SECONDS / max(spent, 1e-9) * 1.2))
        numbers.append(n)
    best = [math.inf] * len(timers)
    for _ in range(ROUNDS):
        for i, (t, n) in enumerate(zip(timers, numbers)):
            best[i] = min(best[i], t.timeit(n) / n)
    return [b * 1e9 for b in best]


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
    except (ImportError, NameError):  # NameError: a name the failed import would have bound
        return False


@dataclass
class Result:
    row: Row
    ours: float
    floor: float | None  # None: no floor for this row
    peers: list[tuple[str, float | None, float]]  # (name, ns or None if not installed, target)

    @property
    def floor_target(self) -> float:
        return FLOOR_TARGETS.get(self.row.floor, FLOOR_TARGET)

    def floor_miss(self) -> bool:
        return self.floor is not None and self.ours / self.floor > self.floor_target

    def peer_verdict(self, name: str, ns: float, target: float) -> str:
        ratio = self.ours / ns
        if ratio <= target:
            return ""
        if name.startswith("whenever") and self.row.floor == "hash":
            return "hash value fixed"
        return "MISS"


def run(rows: list[Row]) -> list[Result]:
    with_floor = floor_available()
    measure(["Date(2024, 1, 5)"], COMMON_SETUP)  # warm-up: the first row is timed like the rest
    results = []
    for r in rows:
        setup = COMMON_SETUP + r.setup
        stmts = [r.ours]
        if with_floor and r.floor:
            setup += FLOOR_SETUP.format(text_size=text_size(r))
            stmts.append(floor_statement(r))
        peers = [(r.peer_name, r.peer, r.target)] + [(n, s, 1.0) for n, s in r.extra_peers]
        present = [p for p in peers if available(p[1], r.setup)]
        times = measure(stmts + [s for _, s, _ in present], setup)
        ours, floor = times[0], (times[1] if len(stmts) == 2 else None)
        peer_times = dict(zip((n for n, _, _ in present), times[len(stmts):]))
        results.append(Result(r, ours, floor, [(n, peer_times.get(n), t) for n, _, t in peers]))
        print_row(results[-1])
    return results


def header() -> None:
    print(f"{'operation':<36}{'chronexa':>9}{'floor':>9}{'x floor':>8}  {'floor shape':<27}")
    print(f"{'    peer':<36}{'':>9}{'peer':>9}{'ours/peer':>10}")


def print_row(res: Result) -> None:
    r = res.row
    if res.floor is None:
        floor_cols = f"{'-':>9}{'':>8}  {r.floor + ' (floor not built)' if r.floor else '-'}"
    else:
        flag = "  MISS" if res.floor_miss() else ""
        floor_cols = (f"{res.floor:7.1f}ns{res.ours / res.floor:7.2f}x  "
                      f"{r.floor:<27}<= {res.floor_target:.1f}{flag}")
    print(f"{r.name:<36}{res.ours:7.1f}ns{floor_cols}")
    for name, ns, target in res.peers:
        if ns is None:
            print(f"    {name + ' (not installed)':<32}")
            continue
        verdict = res.peer_verdict(name, ns, target)
        print(f"    {name:<32}{'':>9}{ns:7.1f}ns{res.ours / ns:8.2f}  <= {target:.2f}"
              + (f"  {verdict}" if verdict else ""))


def print_markdown(results: list[Result]) -> None:
    """The table as README.md shows it: ns per call and ratios."""
    print("| operation | chronexa | floor (shape) | x floor | peers (ns, chronexa/peer) |")
    print("|---|---:|---|---:|---|")
    for res in results:
        floor = f"{res.floor:.1f} ({res.row.floor})" if res.floor is not None else "-"
        ratio = f"{res.ours / res.floor:.2f}" if res.floor is not None else "-"
        peers = "; ".join(f"{n} {ns:.1f} ({res.ours / ns:.2f})" for n, ns, _ in res.peers
                          if ns is not None)
        print(f"| `{res.row.name}` | {res.ours:.1f} | {floor} | {ratio} | {peers} |")


def main(argv: list[str]) -> int:
    markdown = "--markdown" in argv
    argv = [a for a in argv if a != "--markdown"]
    rows = [r for r in load_rows() if not argv or any(a in r.name for a in argv)]
    if not floor_available():
        print("(chronexa_floor is not on the path: build it with `make bench`)")
    header()
    results = run(rows)
    floor_misses = sum(res.floor_miss() for res in results)
    peer_misses = sum(
        res.peer_verdict(n, ns, t) == "MISS" for res in results for n, ns, t in res.peers
        if ns is not None)
    print(f"\n{len(rows)} rows; {floor_misses} above their floor target, {peer_misses} peer "
          "ratios above target (ratios of the same run; the machine is noisy)")
    if markdown:
        print()
        print_markdown(results)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
