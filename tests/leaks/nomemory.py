# SPDX-License-Identifier: MIT
"""Allocation-failure sweep (`make leaks`, or `make nomemory` for the full one).

Every call of the leak loop (cases.py) runs with the N-th allocation failing
(`_testcapi.set_nomemory(N, N + 1)`) and, separately, with every allocation
from the N-th on failing (`set_nomemory(N, 0)`), for N from 0 up to where the
call no longer allocates. Each run must give the value the call gives without
failures, or raise MemoryError: never PanicException, another exception, or
an abort. Import is swept the same way, in a fresh interpreter per N (the
types are made once per process), and each failed import is retried there:
the retry must give a consistent module. Under python3.14d the sweep also
fails when it leaks references.

    python3.14d tests/leaks/nomemory.py [--call-limit N] [--import-limit N] [--import-step K]
"""
import argparse
import gc
import os
import subprocess
import sys
from concurrent.futures import ThreadPoolExecutor

import _testcapi

import chronexa
from cases import CASES

IMPORT_CHILD = """
import importlib, sys, _testcapi
importlib.invalidate_caches()
n, every = int(sys.argv[1]), sys.argv[2] == "every"
module = None
_testcapi.set_nomemory(n, 0 if every else n + 1)
try:
    module = importlib.import_module("chronexa")
except MemoryError:
    # Failed in the module (then nothing is in sys.modules) or in importlib
    # after the module was published whole.
    module = sys.modules.get("chronexa")
finally:
    _testcapi.remove_mem_hooks()
if module is None:  # the retry builds the whole module
    module = importlib.import_module("chronexa")
    print("retried")
W, D = module.Weekday, module.Date
assert type(W.MONDAY) is W and D(2024, 1, 1).weekday() is W.MONDAY, "inconsistent Weekday"
assert isinstance(D(2024, 1, 7).weekday(), W) and str(W.SUNDAY) == "Sunday"
assert module.__all__ == ["Weekday", "Date", "Time", "Duration", "DateTime", "UtcOffset",
                          "OffsetDateTime"], module.__all__
assert str(module.OffsetDateTime.parse("2024-01-01T12:00:00+05:30").utc) == "2024-01-01T06:30:00Z"
"""

MISSING = object()


def attempt(case, start, stop):
    _testcapi.set_nomemory(start, stop)
    try:
        return case()
    except MemoryError:
        return MemoryError
    finally:
        _testcapi.remove_mem_hooks()


def sweep_calls(limit):
    """(runs, MemoryErrors, faults): each fault a text naming the call and N."""
    runs = memory_errors = 0
    faults = []

    def check(index, case, n, stop, expected, deterministic):
        nonlocal runs, memory_errors
        try:
            got = attempt(case, n, stop)
        except BaseException as e:  # PanicException is one
            faults.append(f"case {index}, set_nomemory({n}, {stop}): {type(e).__name__}: {e}")
            return False
        runs += 1
        if got is MemoryError:
            memory_errors += 1
            return False
        if (got != expected) if deterministic else (type(got) is not type(expected)):
            faults.append(f"case {index}, set_nomemory({n}, {stop}): {got!r} != {expected!r}")
        return True

    for index, case in enumerate(CASES):
        expected, again = case(), case()
        deterministic = expected == again
        # Every allocation from the N-th on failing: the first N at which the call succeeds is
        # the number of allocations it makes.
        allocations = next((n for n in range(limit)
                            if check(index, case, n, 0, expected, deterministic)), None)
        if allocations is None:
            faults.append(f"case {index}: still allocating at N={limit}")
            allocations = limit
        for n in range(allocations):  # the N-th alone failing
            check(index, case, n, n + 1, expected, deterministic)
    return runs, memory_errors, faults


def import_once(args):
    n, mode = args
    env = {**os.environ, "PYTHONPATH": os.path.dirname(chronexa.__file__)}
    r = subprocess.run([sys.executable, "-c", IMPORT_CHILD, str(n), mode], env=env,
                       capture_output=True, text=True, timeout=120)
    return n, mode, r.returncode, r.stdout, r.stderr


def sweep_import(limit, step):
    runs, retried, faults = 0, 0, []
    allocations = 0
    todo = [(n, mode) for n in range(0, limit, step) for mode in ("every", "one")]
    with ThreadPoolExecutor(max_workers=os.cpu_count() or 2) as pool:
        for n, mode, code, out, err in pool.map(import_once, todo):
            runs += 1
            retried += out.startswith("retried")
            if mode == "every" and out.startswith("retried"):
                allocations = max(allocations, n + 1)
            if code != 0:
                faults.append(f"import N={n} ({mode}): exit {code}: {err.strip()[-400:]}")
    if allocations >= limit - step:
        faults.append(f"import: still allocating at N={limit}")
    return runs, retried, allocations, faults


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--call-limit", type=int, default=64)
    parser.add_argument("--import-limit", type=int, default=600)
    parser.add_argument("--import-step", type=int, default=1)
    a = parser.parse_args()

    sweep_calls(a.call_limit)  # warm up: caches, specialised bytecode
    gc.collect()
    refs0 = sys.gettotalrefcount() if hasattr(sys, "gettotalrefcount") else 0
    runs, memory_errors, faults = sweep_calls(a.call_limit)
    gc.collect()
    refs1 = sys.gettotalrefcount() if hasattr(sys, "gettotalrefcount") else 0
    print(f"nomemory: {len(CASES)} calls, {runs} runs with failing allocations: "
          f"{memory_errors} MemoryError, {runs - memory_errors} values; "
          f"total references {refs0} -> {refs1} ({refs1 - refs0:+d})")
    if refs1 - refs0 > 20:
        faults.append(f"references grew by {refs1 - refs0} over one sweep")

    iruns, retried, allocations, ifaults = sweep_import(a.import_limit, a.import_step)
    print(f"nomemory: import ({allocations} allocations), N = 0..{a.import_limit - 1} "
          f"step {a.import_step}: {iruns} runs, {retried} failed with MemoryError and were "
          f"retried, {len(ifaults)} faults")
    faults += ifaults
    for f in faults[:40]:
        print("  " + f)
    if faults:
        sys.exit(f"nomemory: FAILED: {len(faults)} faults")


if __name__ == "__main__":
    main()
