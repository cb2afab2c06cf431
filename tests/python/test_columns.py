# SPDX-License-Identifier: MIT
"""chronexa_columns against the scalar classes, row by row, over every input
layout; the column libraries' known faults; Parquet and Dask round trips."""

import random
import re
import threading

import pytest
from hypothesis import given, settings, strategies as st

import chronexa as c
import chronexa_columns as cc

pa = pytest.importorskip("pyarrow")
np = pytest.importorskip("numpy")

NS_MIN, NS_MAX = -(2**63), 2**63 - 1
PER = {"s": 10**9, "ms": 10**6, "us": 10**3, "ns": 1}


# Tests in which the fast path takes no part run once.
ONE_PATH = {
    "test_a_cpu_without_sse41_takes_the_scalar_path",
    "test_parquet_round_trip",
    "test_duckdb_takes_and_gives_columns",
    "test_dask_cluster_gets_the_instants_one_process_gets",
    "test_objects_round_trip",
    "test_results_come_back_in_the_callers_family",
    "test_formatting_writes_str_of_the_scalar",
    "test_formatting_dates_times_and_numpy",
}


@pytest.fixture(params=["sse4.1", "scalar"], autouse=True)
def path(request):
    """Every test runs on both fast paths (the SSE4.1 one only where the CPU has it)."""
    if request.param == "scalar" and request.node.originalname in ONE_PATH:
        pytest.skip("the fast path takes no part")
    got = cc._set_simd(request.param == "sse4.1")
    if got != request.param:
        pytest.skip("this CPU has no SSE4.1")
    yield got
    cc._set_simd(True)


# ---------------------------------------------------------------- the texts


def canonical(r: random.Random, wide: bool = True) -> str:
    """An RFC 3339 text in the one layout the fast path reads; `wide`: some
    beyond the years of int64 nanoseconds."""
    y, mo, d = r.randint(1600, 2400) if wide and r.random() < 0.05 else r.randint(1678, 2261), r.randint(1, 12), r.randint(1, 31 if wide and r.random() < 0.1 else 28)
    frac = "" if r.random() < 0.3 else "." + "".join(r.choice("0123456789") for _ in range(r.randint(1, 9)))
    off = r.choice(["Z", "+05:30", "-08:00", "+00:00", "-00:00", "+23:59", f"{r.choice('+-')}{r.randint(0, 23):02}:{r.randint(0, 59):02}"])
    return f"{y:04}-{mo:02}-{d:02}T{r.randint(0, 23):02}:{r.randint(0, 59):02}:{r.randint(0, 59):02}{frac}{off}"


def odd(r: random.Random) -> str:
    """The layouts only the scalar grammar accepts: leading zeros, signs, long
    years, white space, a space or lower-case z, short offsets."""
    year = r.choice(["2024", "+2024", "-0005", "002024", "12345", "0", "-2147483648", "2147483647", "1677", "2262"])
    month = r.choice(["1", "01", "001", "12", "13", "0"])
    day = r.choice(["5", "05", "0005", "29", "31", "30"])
    time = r.choice(["1:2:3", "01:02:03", "00012:00:00", "23:59:59.999999999", "12:00:00.5", "24:00:00", "12:60:00", "12:00:60", "12:00:00."])
    sep = r.choice(["T", " ", "t"])
    off = r.choice(["Z", "z", "+0530", "+05", "+5:30", "+05:3", "+05:", "+5", "+123", "+24:00", "+99:99", "-00:00", " Z", ""])
    pad = r.choice(["", " ", "\t", "\u00a0", "\u3000", "\n"])
    return f"{pad}{year}-{month}-{day}{sep}{time}{off}{pad if r.random() < 0.5 else ''}"


def damaged(r: random.Random, s: str) -> str:
    """One byte of a text changed, removed or added."""
    if not s:
        return s
    i = r.randrange(len(s))
    op = r.randrange(3)
    ch = r.choice("0123456789:-+.TZz \x00é")
    return s[:i] + ch + s[i + 1 :] if op == 0 else s[:i] + s[i + 1 :] if op == 1 else s[:i] + ch + s[i:]


def texts(seed: int, n: int) -> list[str | None]:
    r = random.Random(seed)
    out: list[str | None] = []
    for _ in range(n):
        k = r.random()
        s = canonical(r) if k < 0.5 else odd(r) if k < 0.8 else damaged(r, canonical(r) if r.random() < 0.7 else odd(r))
        out.append(None if r.random() < 0.03 else s)
    return out


# ---------------------------------------------------------------- oracles


def scalar_instant(cls, s: str, unit: str):
    """What one row must become: the count of `unit`, or why there is none."""
    try:
        v = cls.parse(s)
    except ValueError:
        return "syntax"
    dt = v.utc if cls is c.OffsetDateTime else v
    n = dt.unix_timestamp_nanos()
    if n % PER[unit]:
        return "precision"
    n //= PER[unit]
    return n if NS_MIN <= n <= NS_MAX else "range"


def column_values(col) -> list:
    return pa.array(col).cast(pa.int64()).to_pylist()


LAYOUTS = ["list", "utf8", "large_utf8", "string_view", "sliced", "chunked", "numpy"]


def as_layout(rows: list[str | None], layout: str):
    if layout == "list":
        return rows
    if layout in ("utf8", "large_utf8", "string_view"):
        return pa.array(rows, {"utf8": pa.string(), "large_utf8": pa.large_string(), "string_view": pa.string_view()}[layout])
    if layout == "sliced":
        return pa.array(["pad", None, *rows, "tail"]).slice(2, len(rows))
    if layout == "chunked":
        k = len(rows) // 3
        return pa.chunked_array([pa.array(rows[:k], pa.string()), pa.array(rows[k : 2 * k], pa.string()), pa.array(rows[2 * k :], pa.string())])
    return np.array([s if s is not None else "" for s in rows])


def differential(cls, parse, rows: list[str | None], unit: str, layout: str) -> int:
    if layout == "numpy":
        rows = [s for s in rows if s is not None and "\x00" not in s]  # numpy 'U' has no null, strips NUL
    col = as_layout(rows, layout)
    got = parse(col, unit=unit, errors="null") if unit else parse(col, errors="null")
    values = column_values(got) if not isinstance(got, np.ndarray) else [None if np.isnat(x) else int(x.astype("int64")) for x in got]
    want = [None if s is None else scalar_instant(cls, s, unit or "ns") for s in rows]
    assert len(values) == len(want)
    for i, (g, w, s) in enumerate(zip(values, want, rows)):
        assert g == (w if isinstance(w, int) else None), (i, s, g, w)
    return len(rows)


@pytest.mark.parametrize("layout", LAYOUTS)
@pytest.mark.parametrize("unit", ["ns", "us", "s"])
def test_offset_date_times_equal_the_scalar_parse(layout, unit):
    assert differential(c.OffsetDateTime, cc.parse_offset_date_times, texts(hash((layout, unit)) & 0xFFFF, 4000), unit, layout) > 3000


@pytest.mark.parametrize("layout", ["list", "string_view", "chunked"])
def test_date_times_equal_the_scalar_parse(layout):
    r = random.Random(7)
    rows = [s if s is None or r.random() < 0.5 else re.sub(r"[+-]\d\d:\d\d$", "Z", s) for s in texts(11, 4000)]
    assert differential(c.DateTime, cc.parse_date_times, rows, "ns", layout) > 3000


@pytest.mark.parametrize("layout", ["list", "utf8", "string_view", "numpy"])
def test_dates_and_times_equal_the_scalar_parse(layout):
    r = random.Random(3)
    dates = [f"{r.choice(['', '+', '-'])}{r.randint(0, 10**r.randint(1, 10)):0{r.randint(1, 6)}}-{r.randint(0, 13):0{r.randint(1, 3)}}-{r.randint(0, 32):0{r.randint(1, 3)}}" for _ in range(3000)]
    dates += [f"{r.randint(0, 9999):04}-{r.randint(0, 13):02}-{r.randint(0, 32):02}" for _ in range(2000)]  # the fast path's layout
    dates += [damaged(r, d) for d in dates[:1000] + dates[-1000:]]
    if layout == "numpy":  # numpy 'U' drops trailing NULs
        dates = [d.rstrip("\x00") for d in dates]
    col = cc.parse_dates(as_layout(dates, layout), errors="null")
    got = pa.array(col).cast(pa.int32()).to_pylist() if layout != "numpy" else [None if np.isnat(x) else int(x.astype("int64")) for x in col]

    def want(s):
        try:
            n = c.Date.parse(s).days_since_unix_epoch()
        except ValueError:
            return None
        return n if -(2**31) <= n < 2**31 else None

    assert got == [want(s) for s in dates]
    times = [f"{r.randint(0, 25):0{r.randint(1, 3)}}:{r.randint(0, 61):02}:{r.randint(0, 61):02}" + ("" if r.random() < 0.4 else "." + "1" * r.randint(0, 10)) for _ in range(3000)]
    col = cc.parse_times(as_layout(times, layout), errors="null")
    got = pa.array(col).cast(pa.int64()).to_pylist() if layout != "numpy" else [None if np.isnat(x) else int(x.astype("int64")) for x in col]

    def want_t(s):
        try:
            return c.Time.parse(s).nanos_since_midnight()
        except ValueError:
            return None

    assert got == [want_t(s) for s in times]


@settings(max_examples=300)
@given(st.lists(st.one_of(st.none(), st.text(alphabet="0123456789-+:.TZz té\u00a0", max_size=40)), max_size=20))
def test_any_text_parses_as_the_scalar(rows):
    col = cc.parse_offset_date_times(pa.array(rows, pa.string_view()), errors="null")
    want = [None if s is None else scalar_instant(c.OffsetDateTime, s, "ns") for s in rows]
    assert column_values(col) == [w if isinstance(w, int) else None for w in want]


def test_a_bad_row_raises_the_scalar_message_with_its_index():
    rows = ["2024-01-01T00:00:00Z"] * 17 + ["2024-01-01T00:00:00+24:00"]
    with pytest.raises(ValueError) as e:
        c.OffsetDateTime.parse(rows[-1])
    with pytest.raises(ValueError, match="^row 17: " + re.escape(str(e.value)) + "$"):
        cc.parse_offset_date_times(pa.chunked_array([rows[:10], rows[10:]]))
    with pytest.raises(ValueError, match=r"^row 1: Invalid date string: InvalidDate$"):
        cc.parse_dates(["2024-01-01", "2024-02-30"])
    with pytest.raises(ValueError, match=r"^row 0: Invalid time string: InvalidTime$"):
        cc.parse_times(["24:00:00"])
    with pytest.raises(ValueError, match=r"^row 2: Invalid datetime string '2024-01-01T00:00:00\+00:00'"):
        cc.parse_date_times([None, "2024-01-01T00:00:00Z", "2024-01-01T00:00:00+00:00"])
    with pytest.raises(ValueError, match=r"^row 0: .* finer than the unit 's'"):
        cc.parse_date_times(["2024-01-01T00:00:00.5Z"], unit="s")
    with pytest.raises(ValueError, match=r"^row 0: .* out of range for date32"):
        cc.parse_dates(["9999999-01-01"])
    with pytest.raises(TypeError, match=r"^row 1: expected str or None, not int$"):
        cc.parse_dates(["2024-01-01", 5])


@pytest.mark.parametrize(
    "text, unit, ok",
    [
        ("1677-09-21T00:12:43.145224192Z", "ns", True),  # the int64 minimum itself
        ("1677-09-21T00:12:43.145224191Z", "ns", False),
        ("2262-04-11T23:47:16.854775807Z", "ns", True),
        ("2262-04-11T23:47:16.854775808Z", "ns", False),
        ("2262-04-12T01:47:16.854775807+02:00", "ns", True),
        ("2300-01-01T00:00:00Z", "ns", False),
        ("2300-01-01T00:00:00Z", "us", True),
        ("-290000-01-01T00:00:00Z", "ms", True),
        ("2147483647-12-31T23:59:59Z", "s", True),
        ("-2147483648-01-01T00:00:00Z", "s", True),
    ],
)
def test_the_unit_ranges_are_exact_and_never_wrap(text, unit, ok):
    if ok:
        got = pa.array(cc.parse_offset_date_times([text], unit=unit)).cast(pa.int64())[0].as_py()
        assert got == c.OffsetDateTime.parse(text).utc.unix_timestamp_nanos() // PER[unit]
    else:
        with pytest.raises(ValueError, match=r"^row 0: .*out of range for timestamp\[ns\] \(1677-09-21T00:12:43.145224192Z to 2262-04-11T23:47:16.854775807Z\)$"):
            cc.parse_offset_date_times([text], unit=unit)
        assert cc.parse_offset_date_times([text], unit=unit, errors="null").to_pylist() == [None]


# ---------------------------------------------------------------- formatting


def random_instants(seed: int, n: int, unit: str) -> list[int | None]:
    r = random.Random(seed)
    lo, hi = (NS_MIN, NS_MAX) if unit != "s" else (c.DateTime.parse("-2147483648-01-01T00:00:00Z").unix_timestamp(), c.DateTime.parse("2147483647-12-31T23:59:59Z").unix_timestamp())
    if unit == "s":  # a day inside the range ends, where every offset has a local text
        lo, hi = lo + 86400, hi - 86400
    return [None if r.random() < 0.05 else r.choice([lo, hi, 0, -1, r.randint(lo, hi), r.randint(-(10**18) // PER[unit], 10**18 // PER[unit])]) for _ in range(n)]


@pytest.mark.parametrize("unit", ["s", "ms", "us", "ns"])
def test_formatting_writes_str_of_the_scalar(unit):
    counts = random_instants(5, 3000, unit)
    col = pa.array(counts, pa.timestamp(unit, tz="UTC"))
    offsets = [random.Random(i).choice([0, 19800, -28800, 86340, -86400, 3661]) for i in range(len(counts))]

    def dt(n):
        return c.DateTime.from_unix_timestamp(*divmod(n * PER[unit], 10**9))

    assert cc.format_date_times(col).to_pylist() == [None if n is None else str(dt(n)) for n in counts]
    got = cc.format_offset_date_times(col, pa.array(offsets, pa.int32())).to_pylist()
    want = []
    for n, o in zip(counts, offsets):
        if n is None:
            want.append(None)
            continue
        v = c.OffsetDateTime.from_utc(dt(n), c.UtcOffset.from_seconds(o))
        want.append(str(v))
    assert got == want
    one = cc.format_offset_date_times(col, c.UtcOffset.from_seconds(-18000)).to_pylist()
    assert one == [None if n is None else str(c.OffsetDateTime.from_utc(dt(n), c.UtcOffset.from_seconds(-18000))) for n in counts]


def test_formatting_dates_times_and_numpy():
    days = [0, -1, 19782, -719528, 2**31 - 1, -(2**31), None]
    assert cc.format_dates(pa.array(days, pa.date32())).to_pylist() == [None if d is None else str(c.Date.from_days_since_unix_epoch(d)) for d in days]
    nanos = [0, 1, 86_399_999_999_999, 45_000_500_000_000, None]
    assert cc.format_times(pa.array(nanos, pa.time64("ns"))).to_pylist() == [None if n is None else str(c.Time(n // 3600_000_000_000, n // 60_000_000_000 % 60, n // 10**9 % 60, n % 10**9)) for n in nanos]
    m = np.array(["2024-01-01T00:00:00.5", "NaT", "1677-09-21T00:12:43.145224193"], dtype="M8[ns]")
    assert list(cc.format_date_times(m)) == ["2024-01-01T00:00:00.5Z", None, "1677-09-21T00:12:43.145224193Z"]
    with pytest.raises(ValueError, match="^row 1: 86400 s is not a time of day$"):
        cc.format_times(pa.array([0, 86400], pa.time32("s")))
    with pytest.raises(ValueError, match="^row 0: .* at the offset 90000 s has no text"):
        cc.format_offset_date_times(pa.array([0], pa.timestamp("ns", "UTC")), pa.array([90000], pa.int32()))


# ---------------------------------------------------------------- objects, families


def test_objects_round_trip():
    values = [c.DateTime.parse("2024-01-01T05:22:07.682554Z"), None, c.DateTime.parse("1677-09-21T00:12:43.145224192Z")]
    col = cc.from_objects(values)
    assert cc.to_objects(col) == values and col.to_pylist() == values and len(col) == 3
    for vs in ([c.Date(2024, 2, 29), None, c.Date(-5, 1, 1)], [c.Time(23, 59, 59, 999_999_999), None], [c.Duration.nanoseconds(-(10**18)), None]):
        assert cc.to_objects(pa.array(cc.from_objects(vs))) == vs
    with pytest.raises(ValueError, match=r"^row 0: .* out of range for timestamp\[ns, tz=UTC\]$"):
        cc.from_objects([c.DateTime.parse("2300-01-01T00:00:00Z")])
    assert cc.to_objects(cc.from_objects([c.DateTime.parse("2300-01-01T00:00:00Z")], unit="us")) == [c.DateTime.parse("2300-01-01T00:00:00Z")]
    with pytest.raises(TypeError, match=r"^row 1: expected Date or None"):
        cc.from_objects([c.Date(2024, 1, 1), c.Time(1, 2, 3)])


def test_results_come_back_in_the_callers_family():
    pl = pytest.importorskip("polars")
    rows = ["2024-01-01T00:00:00Z", None]
    assert isinstance(cc.parse_offset_date_times(pa.array(rows)), pa.TimestampArray)
    assert isinstance(cc.parse_offset_date_times(pa.chunked_array([rows, rows])), pa.ChunkedArray)
    s = cc.parse_offset_date_times(pl.Series(rows))
    assert isinstance(s, pl.Series) and s.dtype == pl.Datetime("ns", "UTC") and s.null_count() == 1
    assert cc.parse_dates(np.array(["2024-01-05"])).dtype == np.dtype("M8[D]")
    col = cc.parse_offset_date_times(rows)
    assert type(col) is cc.Column and col.type == "timestamp[ns, tz=UTC]" and col.null_count == 1
    assert pl.Series(col).to_list()[1] is None and pa.array(col).null_count == 1
    na = pytest.importorskip("nanoarrow")
    assert cc.parse_dates(na.c_array(["2024-01-05"], na.string())).to_pylist() == [c.Date(2024, 1, 5)]


def test_threads_parse_halves_at_once():
    rows = [canonical(random.Random(i), wide=False) for i in range(20000)]
    col = pa.array(rows)
    want = column_values(cc.parse_offset_date_times(col))
    out = [None, None]

    def run(k):
        out[k] = column_values(cc.parse_offset_date_times(col.slice(k * 10000, 10000)))

    ts = [threading.Thread(target=run, args=(k,)) for k in range(2)]
    for t in ts:
        t.start()
    for t in ts:
        t.join()
    assert out[0] + out[1] == want


# ---------------------------------------------------------------- peer faults


def test_the_peers_faults_are_not_ours():
    # polars at ns wraps 2300-01-01 to 1715 and folds :60 into the next second.
    with pytest.raises(ValueError, match="out of range"):
        cc.parse_offset_date_times(["2300-01-01T00:00:00Z"])
    with pytest.raises(ValueError, match="Invalid offset datetime string"):
        cc.parse_offset_date_times(["2024-01-01T00:00:60Z"])
    # pandas makes the int64 minimum NaT and pyarrow refuses it: a valid instant.
    low = cc.parse_offset_date_times(pa.array(["1677-09-21T00:12:43.145224192Z"]))
    assert low.cast(pa.int64()).to_pylist() == [NS_MIN] and low.null_count == 0
    with pytest.raises(ValueError, match="NaT"):  # numpy cannot hold it apart from null
        np.asarray(cc.parse_offset_date_times(["1677-09-21T00:12:43.145224192Z"]))
    # DuckDB accepts these offsets and this time, and truncates to microseconds.
    for bad in ["2024-01-01T00:00:00+24:00", "2024-01-01T00:00:00+99:99", "2024-01-01T24:00:00Z"]:
        with pytest.raises(ValueError, match="^row 0: Invalid offset datetime string"):
            cc.parse_offset_date_times([bad])
    assert column_values(cc.parse_offset_date_times(["2024-01-01T00:00:00.123456789Z"]))[0] % 1000 == 789


# ---------------------------------------------------------------- real components


def test_parquet_round_trip(tmp_path):
    pq = pytest.importorskip("pyarrow.parquet")
    rows = [canonical(random.Random(i), wide=False) for i in range(2000)] + [None]
    instants, offsets = cc.parse_offset_date_times(pa.array(rows), offsets=True)
    pq.write_table(pa.table({"t": instants, "o": offsets}), tmp_path / "x.parquet")
    back = pq.read_table(tmp_path / "x.parquet")
    texts_back = cc.format_offset_date_times(back["t"], back["o"])
    want = [None if s is None else str(c.OffsetDateTime.parse(s)) for s in rows]
    assert texts_back.to_pylist() == want


def test_duckdb_takes_and_gives_columns():
    duckdb = pytest.importorskip("duckdb")
    rel = duckdb.sql("select '2024-01-01T00:00:00.123456789+01:00' as s union all select null")
    col = cc.parse_offset_date_times(rel)
    assert col.to_pylist()[0] == c.DateTime.parse("2023-12-31T23:00:00.123456789Z")
    assert duckdb.sql("select count(*) from col").fetchall() == [(2,)]


def test_dask_cluster_gets_the_instants_one_process_gets(tmp_path):
    dd = pytest.importorskip("dask.dataframe")
    distributed = pytest.importorskip("distributed")
    pq = pytest.importorskip("pyarrow.parquet")
    rows = [canonical(random.Random(i), wide=False) for i in range(4000)]
    for k in range(4):
        pq.write_table(pa.table({"stamp": rows[k * 1000 : (k + 1) * 1000]}), tmp_path / f"part-{k}.parquet")
    want = column_values(cc.parse_offset_date_times(rows))

    def parse(part):
        return part.assign(t=cc.parse_offset_date_times(part["stamp"].to_numpy(dtype=str)))

    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True, dashboard_address=None) as cluster, distributed.Client(cluster):
        raw = dd.read_parquet(str(tmp_path))
        df = raw.map_partitions(parse, meta=raw._meta.assign(t=np.array([], dtype="M8[ns]")))
        assert df.npartitions == 4
        got = df.compute()
    assert got["t"].astype("int64").tolist() == want


def test_a_cpu_without_sse41_takes_the_scalar_path():
    """Under qemu's model of a Core 2 (SSSE3, no SSE4.1), which faults on any
    SSE4.1 instruction, the module chooses its scalar path and parses."""
    import os
    import shutil
    import subprocess
    import sys

    qemu = shutil.which("qemu-x86_64")
    if qemu is None:
        pytest.skip("no qemu-x86_64")
    code = "import chronexa_columns as cc; print(cc._set_simd(True), cc.parse_offset_date_times(['2024-01-01T05:22:07.682554+05:30']).to_pylist())"
    for cpu, path in [("Conroe", "scalar"), ("Nehalem", "sse4.1")]:
        run = subprocess.run([qemu, "-cpu", cpu, sys.executable, "-c", code], capture_output=True, text=True, env=os.environ, timeout=120)
        assert run.returncode == 0, run.stderr
        assert run.stdout.split()[0] == path and "2023-12-31T23:52:07.682554Z" in run.stdout
