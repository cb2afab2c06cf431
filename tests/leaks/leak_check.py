# SPDX-License-Identifier: MIT
"""Reference and memory-block leak check (`make leaks`).

Run by Debian's debug interpreter (python3.14d) against a module built for it
(CHRONEXA_DEBUG_PYTHON=ON proves at compile time that the module saw the
debug headers). Every constructor, method, property, operator, str/repr/hash
and error path is called once to warm up, then ROUNDS times over; the check
fails when sys.gettotalrefcount() or sys.getallocatedblocks() grew by more
than a handful, since a leak of one reference or block per call grows by at
least ROUNDS.

    python3.14d tests/leaks/leak_check.py [ROUNDS]
"""
import gc
import sys
import sysconfig

import chronexa
from cases import CASES

ROUNDS = int(sys.argv[1]) if len(sys.argv) > 1 else 1000
SLACK = 20  # references or blocks: caches that settle while the loop runs

if not hasattr(sys, "gettotalrefcount"):
    sys.exit("leak_check: needs a debug interpreter (python3.14d): no sys.gettotalrefcount")
if not chronexa.__file__.endswith(sysconfig.get_config_var("EXT_SUFFIX")):
    sys.exit(f"leak_check: {chronexa.__file__} is not built for this interpreter")


def run(rounds):
    for _ in range(rounds):
        for case in CASES:
            case()


def counts():
    gc.collect()
    return sys.gettotalrefcount(), sys.getallocatedblocks()


run(3)  # warm up: interned names, type caches, specialised bytecode
run(3)
refs0, blocks0 = counts()
run(ROUNDS)
refs1, blocks1 = counts()
print(f"leak_check: {len(CASES)} cases x {ROUNDS} rounds; "
      f"total references {refs0} -> {refs1} ({refs1 - refs0:+d}), "
      f"allocated blocks {blocks0} -> {blocks1} ({blocks1 - blocks0:+d})")
if refs1 - refs0 > SLACK or blocks1 - blocks0 > SLACK:
    sys.exit("leak_check: FAILED: references or blocks grew")
