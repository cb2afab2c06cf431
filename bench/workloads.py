# SPDX-License-Identifier: MIT
"""Whole workloads at scale: chronexa beside the standard library, ciso8601 and
whenever where each can do the work, at 10^4, 10^5 and 10^6 items.

  parse+gaps  parse RFC 3339 stamps from a list of str, then the gap between
              each stamp and the next
  sort        sort DateTimes (UTC instants) given in random order
  set         build a set of n Dates, then test 2n others (half of them equal
              to members) for membership
  memory      sys.getsizeof of one instance, and the bytes tracemalloc sees per
              instance while a million are alive

Each time is the best of a few rounds in which the libraries take turns;
"ours/rival" is chronexa's time over the rival's at each size, from the same
run. "growth" is the cost per item at each size over the cost per item at the
smallest (per n log2 n for sorting): 1 would be linear (n log n) growth. Past
the CPU caches every library's cost per item rises alike (objects and hash
tables spread over memory), so the ratios stay level while the growth figures
rise. Run through `make bench-workloads`, or directly with the module on
PYTHONPATH:

    python bench/workloads.py [--sizes 10000,100000,1000000] [--repeat 3]
"""

from __future__ import annotations

import argparse
import datetime as dt
import gc
import math
import random
import sys
import time
import tracemalloc

import chronexa

try:
    import ciso8601
except ImportError:
    ciso8601 = None
try:
    import whenever
except ImportError:
    whenever = None

UTC = dt.timezone.utc


# ---- inputs ----

def stamps(n: int, rng: random.Random) -> list[str]:
    """RFC 3339 stamps a second to an hour apart, with a fraction on every
    other one, at a few whole-minute offsets."""
    offsets = [dt.timezone(dt.timedelta(minutes=m)) for m in (0, 60, -300, 330, 545, -600)]
    t = dt.datetime(2024, 1, 1, tzinfo=UTC)
    out = []
    for i in range(n):
        t += dt.timedelta(seconds=rng.randrange(1, 3600),
                          microseconds=rng.randrange(10**6) * (i & 1))
        out.append(t.astimezone(rng.choice(offsets)).isoformat())
    return out


def instants(n: int, rng: random.Random) -> list[tuple[int, int]]:
    """(seconds since the epoch, nanoseconds) of instants from 1900 to 2100."""
    lo, hi = -2_208_988_800, 4_102_444_800
    return [(rng.randrange(lo, hi), rng.randrange(10**9)) for _ in range(n)]


def day_numbers(n: int, rng: random.Random) -> list[int]:
    """Days since 1970-01-01 across the years 1 to 9999 (nearly all distinct)."""
    return [rng.randrange(-719_162, 2_932_896) for _ in range(n)]


# ---- the libraries, each as the operations a workload needs ----

def gaps(xs, diff):
    return [diff(b, a) for a, b in zip(xs, xs[1:])]


def parse_gaps_impls():
    yield "chronexa", lambda texts: gaps(
        [chronexa.OffsetDateTime.parse(s) for s in texts], lambda b, a: b.difference(a))
    yield "datetime", lambda texts: gaps(
        [dt.datetime.fromisoformat(s) for s in texts], lambda b, a: b - a)
    if ciso8601:
        yield "ciso8601", lambda texts: gaps(
            [ciso8601.parse_datetime(s) for s in texts], lambda b, a: b - a)
    if whenever:
        yield "whenever", lambda texts: gaps(
            [whenever.OffsetDateTime.parse_iso(s) for s in texts], lambda b, a: b - a)


# Each returns (library, build) pairs: build() makes that library's values.
def sort_inputs(pairs):
    out = [("chronexa", lambda: [chronexa.DateTime.from_unix_timestamp(s, ns) for s, ns in pairs]),
           ("datetime", lambda: [dt.datetime.fromtimestamp(s, UTC)
                                 + dt.timedelta(microseconds=ns // 1000) for s, ns in pairs])]
    if whenever:
        out.append(("whenever", lambda: [
            whenever.Instant.from_timestamp(s * 10**9 + ns, unit="nanosecond") for s, ns in pairs]))
    return out


def date_inputs(days):
    epoch = dt.date(1970, 1, 1).toordinal()
    out = [("chronexa", lambda: [chronexa.Date.from_days_since_unix_epoch(d) for d in days]),
           ("datetime", lambda: [dt.date.fromordinal(epoch + d) for d in days])]
    if whenever:
        out.append(("whenever", lambda: [
            whenever.Date(x.year, x.month, x.day) for x in map(dt.date.fromordinal,
                                                                (epoch + d for d in days))]))
    return out


def offset_inputs(texts):
    out = [("chronexa", lambda: [chronexa.OffsetDateTime.parse(s) for s in texts]),
           ("datetime", lambda: [dt.datetime.fromisoformat(s) for s in texts])]
    if whenever:
        out.append(("whenever", lambda: [whenever.OffsetDateTime.parse_iso(s) for s in texts]))
    return out


def set_and_probe(pair):
    members, probes = pair
    s = set(members)
    return sum(p in s for p in probes)


# ---- timing ----

def best(cases, repeat: int) -> dict[str, float]:
    """Seconds for each library's fn(make_arg()), make_arg() untimed, over
    `cases` (library, fn, make_arg): the best of `repeat` rounds, the libraries
    taking turns within each round (so all see the same disturbances from the
    rest of the machine), each run on fresh input (no hash or other state
    cached by a previous run), with the collector off while it runs (as timeit
    does)."""
    times = {lib: math.inf for lib, _, _ in cases}
    for _ in range(repeat):
        for lib, fn, make_arg in cases:
            arg = make_arg()
            gc.collect()
            gc.disable()
            t0 = time.perf_counter()
            fn(arg)
            times[lib] = min(times[lib], time.perf_counter() - t0)
            gc.enable()
            del arg
    return times


def report(title: str, per_item: dict[str, dict[int, float]], sizes: list[int], nlogn=False):
    print(f"\n{title}")
    print(f"  {'library':<10}" + "".join(f"{f'n={n:,}':>14}" for n in sizes)
          + f"{'Mitems/s':>10}  {'ours/rival':<16}{'growth':<16}")
    ours = per_item["chronexa"]
    top = sizes[-1]
    for lib, by_n in per_item.items():
        unit = {n: by_n[n] / (math.log2(n) if nlogn else 1.0) for n in sizes}
        growth = "/".join(f"{unit[n] / unit[sizes[0]]:.2f}" for n in sizes)
        ratio = "-" if lib == "chronexa" else "/".join(f"{ours[n] / by_n[n]:.2f}" for n in sizes)
        print(f"  {lib:<10}" + "".join(f"{by_n[n] * 1e9:11.1f} ns" for n in sizes)
              + f"{1e-6 / by_n[top]:10.2f}  {ratio:<16}{growth:<16}")


def memory(rng: random.Random, n: int) -> None:
    print(f"\nmemory: one instance (sys.getsizeof) and per live instance among {n:,} (tracemalloc)")
    days = day_numbers(n, rng)
    pairs = instants(n, rng)
    texts = stamps(n, rng)
    kinds = [("Date", date_inputs(days)), ("DateTime / UTC instant", sort_inputs(pairs)),
             ("OffsetDateTime", offset_inputs(texts))]
    print(f"  {'value':<24}{'library':<10}{'getsizeof':>10}{'bytes each (= MB/million)':>27}")
    for kind, inputs in kinds:
        for lib, build in inputs:
            gc.collect()
            tracemalloc.start()
            before = tracemalloc.get_traced_memory()[0]
            objs = build()
            gc.collect()
            after = tracemalloc.get_traced_memory()[0]
            tracemalloc.stop()
            each = (after - before - sys.getsizeof(objs)) / len(objs)
            print(f"  {kind:<24}{lib:<10}{sys.getsizeof(objs[0]):>10}{each:>27.1f}")
            del objs


def main(argv: list[str]) -> int:
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--sizes", default="10000,100000,1000000")
    ap.add_argument("--repeat", type=int, default=3)
    args = ap.parse_args(argv)
    sizes = [int(s) for s in args.sizes.split(",")]
    rng = random.Random(2024)
    print("chronexa workloads; ns per item, best of", args.repeat, "runs;",
          "rivals:", ", ".join(n for n, m in (("ciso8601", ciso8601), ("whenever", whenever)) if m)
          or "standard library only")

    results: dict[str, dict[str, dict[int, float]]] = {"parse": {}, "sort": {}, "set": {}}

    def record(workload: str, n: int, times: dict[str, float]) -> None:
        for lib, t in times.items():
            results[workload].setdefault(lib, {})[n] = t / n

    for n in sizes:
        texts = stamps(n, rng)
        record("parse", n, best([(lib, fn, lambda: texts) for lib, fn in parse_gaps_impls()],
                                args.repeat))
        pairs = instants(n, rng)
        record("sort", n, best([(lib, sorted, build) for lib, build in sort_inputs(pairs)],
                               args.repeat))
        days = day_numbers(2 * n, rng)  # members: the first half; probes: all, built apart
        record("set", n, best([(lib, set_and_probe, lambda b=build: (b()[:n], b()))
                               for lib, build in date_inputs(days)], args.repeat))
    report("parse+gaps: OffsetDateTime from RFC 3339 text, then neighbour differences",
           results["parse"], sizes)
    report("sort: DateTimes in random order (growth per n log2 n)", results["sort"], sizes, True)
    report("set: build from n Dates, then 2n membership tests", results["set"], sizes)
    memory(rng, sizes[-1])
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
