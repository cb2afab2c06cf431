# SPDX-License-Identifier: MIT
"""chronexa_columns beside the column libraries, in one run: ns per stamp for
each library and chronexa's time as a ratio of each peer's (below 1: faster).

    make bench-columns                 10^4, 10^5 and 10^6 rows
    make bench-columns ROWS=10000000   any row counts (10^7 takes minutes)
"""

import datetime as _dt
import os
import random
import sys
import threading
import time

import chronexa as c
import chronexa_columns as cc
import duckdb
import numpy as np
import pandas as pd
import polars as pl
import pyarrow as pa
import pyarrow.compute as pc

OFFSETS = ["Z", "+05:30", "-08:00", "+01:00", "-03:30", "+09:00"]


def canonical(r: random.Random, n: int) -> list[str]:
    """One producer's layout: a six-digit fraction and an offset on every row."""
    out = []
    for _ in range(n):
        secs = r.randrange(0, 4_102_444_800)
        d = _dt.datetime.fromtimestamp(secs, _dt.UTC)
        out.append(f"{d:%Y-%m-%dT%H:%M:%S}.{r.randrange(10**6):06}{r.choice(OFFSETS)}")
    return out


def isoformat_mix(r: random.Random, n: int) -> list[str]:
    """datetime.isoformat(): a fraction only where there is one, Z on some rows."""
    out = []
    for _ in range(n):
        tz = _dt.timezone(_dt.timedelta(minutes=r.choice([0, 330, -480, 60])))
        d = _dt.datetime.fromtimestamp(r.randrange(0, 4_102_444_800), tz).replace(microsecond=r.choice([0, r.randrange(10**6)]))
        s = d.isoformat()
        out.append(s.replace("+00:00", "Z") if r.random() < 0.5 else s)
    return out


def odd(r: random.Random, n: int) -> list[str]:
    """Layouts only chronexa's grammar takes: leading zeros, signs, white space, long years."""
    forms = ["+2024-1-5T1:2:3.5+0530", " 002024-01-05T01:02:03Z ", "02024-06-07T08:09:10.123456789-05", "2024-01-05 12:00:00z"]
    return [r.choice(forms) for _ in range(n)]


def best(fn, repeat: int) -> float:
    t = float("inf")
    for _ in range(repeat):
        t0 = time.perf_counter_ns()
        fn()
        t = min(t, time.perf_counter_ns() - t0)
    return t


def maybe(fn, repeat: int) -> float | None:
    """A peer's time, or None where it refuses the input."""
    try:
        return best(fn, repeat)
    except (pa.ArrowException, pl.exceptions.PolarsError, ValueError):
        return None


def table(title: str, n: int, rows: list[tuple[str, float | None]], ours: str) -> None:
    print(f"\n{title}, {n:,} rows")
    base = dict(rows)[ours]
    print(f"  {'':44} {'ns/row':>9} {'chronexa / it':>14}")
    for name, t in rows:
        if t is None:
            continue
        ratio = "" if name == ours else f"{base / t:14.3f}"
        print(f"  {name:44} {t / n:9.1f} {ratio:>14}")


def parse_rows(n: int, texts: list[str], repeat: int, loop: bool, peers: bool) -> list[tuple[str, float | None]]:
    arr = pa.array(texts)
    ser = pl.Series(texts)
    out: list[tuple[str, float | None]] = [("chronexa_columns, pyarrow string", best(lambda: cc.parse_offset_date_times(arr), repeat))]
    out.append(("chronexa_columns, string_view", best(lambda: cc.parse_offset_date_times(arr.cast(pa.string_view())), repeat)))
    out.append(("chronexa_columns, polars Series", best(lambda: cc.parse_offset_date_times(ser), repeat)))
    out.append(("chronexa_columns, list of str", best(lambda: cc.parse_offset_date_times(texts), repeat)))
    half = n // 2
    a, b = arr.slice(0, half), arr.slice(half)

    def two_threads():
        ts = [threading.Thread(target=cc.parse_offset_date_times, args=(x,)) for x in (a, b)]
        for t in ts:
            t.start()
        for t in ts:
            t.join()

    out.append(("chronexa_columns, two threads on two halves", best(two_threads, repeat)))
    if not peers:
        return out
    ts = pa.timestamp("ns", tz="UTC")
    try:
        out.append(("pyarrow cast", best(lambda: pc.cast(arr, ts), repeat)))
    except pa.ArrowInvalid:
        out.append(("pyarrow cast", None))
    out.append(("polars str.to_datetime(%+)", best(lambda: ser.str.to_datetime("%+", time_unit="ns"), repeat)))
    con = duckdb.connect()
    con.execute("set threads to 1")
    tbl = pa.table({"s": arr})
    con.register("t", tbl)
    out.append(("DuckDB ::TIMESTAMPTZ, one thread", best(lambda: con.execute("select max(s::timestamptz) from t").fetchall(), repeat)))
    if n <= 100_000:
        out.append(("pandas to_datetime(ISO8601, utc)", best(lambda: pd.to_datetime(texts, format="ISO8601", utc=True), 1)))
    if loop:
        out.append(("[OffsetDateTime.parse(s).utc for s in S]", best(lambda: [c.OffsetDateTime.parse(s).utc for s in texts], max(1, repeat // 2))))
    return out


def main() -> None:
    sizes = [int(x) for x in sys.argv[1:]] or [10_000, 100_000, 1_000_000]
    r = random.Random(1)
    print(f"chronexa_columns fast path: {cc._simd_path()}; one run, best of several repeats")
    for n in sizes:
        repeat = 7 if n <= 100_000 else 3
        for title, texts, peers in [
            ("Parse, one canonical layout", canonical(r, n), True),
            ("Parse, the isoformat() mix", isoformat_mix(r, n), True),
            ("Parse, odd layouts (chronexa only)", odd(r, n), False),
        ]:
            rows = parse_rows(n, texts, repeat, loop=True, peers=peers)
            if not peers:  # beside pyarrow's cast of canonical text
                arr = pa.array(canonical(r, n))
                rows.append(("pyarrow cast, canonical text", best(lambda: pc.cast(arr, pa.timestamp("ns", tz="UTC")), repeat)))
            table(title, n, rows, "chronexa_columns, pyarrow string")

        inst = cc.parse_offset_date_times(pa.array(canonical(r, n)))
        npi = inst.cast(pa.int64()).to_numpy().astype("M8[ns]")
        pls = pl.Series(inst)
        objs = cc.to_objects(inst)
        rows = [
            ("chronexa_columns.format_date_times", best(lambda: cc.format_date_times(inst), repeat)),
            ("format_offset_date_times at +05:30", best(lambda: cc.format_offset_date_times(inst, c.UtcOffset.from_seconds(19800)), repeat)),
            ("pyarrow cast to string", best(lambda: pc.cast(inst, pa.string()), repeat)),
            ("numpy datetime_as_string", best(lambda: np.datetime_as_string(npi, timezone="UTC"), repeat)),
            ("polars dt.to_string", best(lambda: pls.dt.to_string(), repeat)),
            ("[str(v) for v in DateTimes]", best(lambda: [str(v) for v in objs], max(1, repeat // 2))),
        ]
        table("Format instants", n, rows, "chronexa_columns.format_date_times")

        ints = inst.cast(pa.int64()).to_pylist()
        fu = c.DateTime.from_unix_timestamp
        rows = [
            ("chronexa_columns.to_objects", best(lambda: cc.to_objects(inst), max(1, repeat // 2))),
            ("[DateTime.from_unix_timestamp(*divmod(v, 10**9))]", best(lambda: [fu(*divmod(v, 1_000_000_000)) for v in ints], max(1, repeat // 2))),
        ]
        table("Values from a column", n, rows, "chronexa_columns.to_objects")
        rows = [
            ("chronexa_columns.from_objects", best(lambda: cc.from_objects(objs), max(1, repeat // 2))),
            ("[v.unix_timestamp_nanos() for v in DateTimes]", best(lambda: [v.unix_timestamp_nanos() for v in objs], max(1, repeat // 2))),
        ]
        table("A column from values", n, rows, "chronexa_columns.from_objects")

        dates = [s[:10] for s in canonical(r, n)]
        da, ds = pa.array(dates), pl.Series(dates)
        rows = [
            ("chronexa_columns.parse_dates", best(lambda: cc.parse_dates(da), repeat)),
            ("chronexa_columns.parse_dates, list of str", best(lambda: cc.parse_dates(dates), repeat)),
            ("pyarrow cast to date32", best(lambda: pc.cast(da, pa.date32()), repeat)),
            ("polars str.to_date", best(lambda: ds.str.to_date("%Y-%m-%d"), repeat)),
            ("numpy astype datetime64[D]", best(lambda: np.array(dates, dtype="M8[D]"), repeat)),
            ("[Date.parse(s) for s in S]", best(lambda: [c.Date.parse(s) for s in dates], max(1, repeat // 2))),
        ]
        table("Parse dates", n, rows, "chronexa_columns.parse_dates")
        times = [s[11:26] for s in canonical(r, n)]
        ta, tser = pa.array(times), pl.Series(times)
        rows = [
            ("chronexa_columns.parse_times", best(lambda: cc.parse_times(ta), repeat)),
            ("pyarrow cast to time64[ns]", maybe(lambda: pc.cast(ta, pa.time64("ns")), repeat)),
            ("polars str.to_time", maybe(lambda: tser.str.to_time("%H:%M:%S%.f"), repeat)),
            ("[Time.parse(s) for s in S]", best(lambda: [c.Time.parse(s) for s in times], max(1, repeat // 2))),
        ]
        table("Parse times", n, rows, "chronexa_columns.parse_times")
        d32 = cc.parse_dates(da)
        rows = [
            ("chronexa_columns.format_dates", best(lambda: cc.format_dates(d32), repeat)),
            ("pyarrow cast date32 to string", best(lambda: pc.cast(d32, pa.string()), repeat)),
            ("polars dt.to_string", best(lambda: pl.Series(d32).dt.to_string(), repeat)),
            ("numpy datetime_as_string", best(lambda: np.datetime_as_string(d32.to_numpy(zero_copy_only=False)), repeat)),
        ]
        table("Format dates", n, rows, "chronexa_columns.format_dates")


if __name__ == "__main__":
    os.environ.setdefault("POLARS_MAX_THREADS", "1")
    main()
