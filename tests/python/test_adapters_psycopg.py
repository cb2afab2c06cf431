# SPDX-License-Identifier: MIT
import os
import shutil
import subprocess
import tempfile
import time
from collections.abc import Iterator
from pathlib import Path
from typing import Any

import pytest
from hypothesis import given, settings
from hypothesis import strategies as st

from chronexa import Date, DateTime, OffsetDateTime, Time
from chronexa_adapters import psycopg as cpsycopg

psycopg = pytest.importorskip("psycopg")

PG_BIN = Path("/usr/lib/postgresql/18/bin")
RUNUSER = "/usr/sbin/runuser"


def _as_postgres(*argv: str) -> list[str]:
    # initdb and the server refuse to run as root; CI runs as root.
    return [RUNUSER, "-u", "postgres", "--", *argv] if os.geteuid() == 0 else list(argv)


@pytest.fixture(scope="session")
def pg_dsn() -> Iterator[str]:
    if not (PG_BIN / "initdb").exists():
        pytest.skip(f"PostgreSQL 18 is not installed ({PG_BIN}/initdb is absent)")
    root = Path(tempfile.mkdtemp(prefix="chronexa-pg-"))
    if os.geteuid() == 0:
        shutil.chown(root, "postgres", "postgres")
    data = root / "data"
    subprocess.run(_as_postgres(str(PG_BIN / "initdb"), "-D", str(data), "-U", "postgres", "-A", "trust",
                                "--no-sync", "-E", "UTF8", "--locale=C"),
                   check=True, capture_output=True)
    server = subprocess.Popen(_as_postgres(str(PG_BIN / "postgres"), "-D", str(data), "-k", str(root),
                                           "-c", "listen_addresses=", "-c", "fsync=off"),
                              stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    dsn = f"host={root} user=postgres dbname=postgres"
    try:
        deadline = time.monotonic() + 60
        while True:
            try:
                psycopg.connect(dsn).close()
                break
            except psycopg.OperationalError:
                if server.poll() is not None or time.monotonic() > deadline:
                    raise RuntimeError(f"PostgreSQL did not start: {server.stderr.read()!r}")  # type: ignore[union-attr]
                time.sleep(0.1)
        yield dsn
    finally:
        subprocess.run(_as_postgres(str(PG_BIN / "pg_ctl"), "stop", "-D", str(data), "-m", "fast", "-s"),
                       capture_output=True)
        server.wait(30)
        shutil.rmtree(root, ignore_errors=True)


@pytest.fixture
def conn(pg_dsn: str) -> Iterator[Any]:
    with psycopg.connect(pg_dsn, autocommit=True) as c:
        cpsycopg.register(c)
        yield c


@pytest.fixture
def truncating(pg_dsn: str) -> Iterator[Any]:
    with psycopg.connect(pg_dsn, autocommit=True) as c:
        cpsycopg.register(c, truncate=True)
        yield c


FORMATS = ["%s", "%t", "%b"]
BINARY = [False, True]

# PostgreSQL's range: 4714-11-24 BC (year -4713) to 294276 AD for timestamps,
# 5874897 AD for dates.
TS_MIN = DateTime.parse("-4713-11-24T00:00:00Z")
TS_MAX = DateTime.parse("294276-12-31T23:59:59.999999Z")
DATE_MIN, DATE_MAX = Date(-4713, 11, 24), Date(5874897, 12, 31)

us_instants = st.integers(TS_MIN.unix_timestamp_nanos() // 1000, TS_MAX.unix_timestamp_nanos() // 1000).map(
    lambda us: DateTime.from_unix_timestamp(us // 10**6, us % 10**6 * 1000))
pg_dates = st.integers(DATE_MIN.days_since_unix_epoch(), DATE_MAX.days_since_unix_epoch()).map(
    Date.from_days_since_unix_epoch)
us_times = st.integers(0, 86400 * 10**6 - 1).map(
    lambda us: Time(us // 3_600_000_000, us // 60_000_000 % 60, us // 10**6 % 60, us % 10**6 * 1000))


@pytest.mark.parametrize("fmt", FORMATS)
@pytest.mark.parametrize("binary", BINARY)
def test_edges_round_trip(conn: Any, fmt: str, binary: bool) -> None:
    cases = [("date", DATE_MIN), ("date", DATE_MAX), ("date", Date(0, 2, 29)), ("date", Date(2000, 1, 1)),
             ("time", Time(23, 59, 59, 999_999_000)), ("time", Time(0, 0, 0)),
             ("timestamptz", TS_MIN), ("timestamptz", TS_MAX), ("timestamptz", DateTime.parse("-0001-03-01T12:00:00Z")),
             ("timestamptz", DateTime.parse("1969-12-31T23:59:59.999999Z"))]
    with conn.cursor(binary=binary) as cur:
        for pg_type, value in cases:
            cur.execute(f"SELECT {fmt}::{pg_type}", (value,))
            assert cur.fetchone()[0] == value, (pg_type, value)


def test_server_reads_what_we_mean(conn: Any) -> None:
    # The server's own text of what it received: eras, years and fractions agree.
    for fmt in FORMATS:
        row = conn.execute(f"SELECT {fmt}::date::text, {fmt}::timestamptz::text, {fmt}::time::text",
                           (Date(0, 1, 1), DateTime.parse("2024-01-02T03:04:05.5Z"), Time(1, 2, 3, 4000))).fetchone()
        assert row == ("0001-01-01 BC", "2024-01-02 03:04:05.5+00", "01:02:03.000004")


@pytest.mark.parametrize("binary", BINARY)
@pytest.mark.parametrize("zone", ["UTC", "Asia/Kolkata", "America/St_Johns", "Europe/Amsterdam"])
def test_timestamptz_any_session_zone(conn: Any, binary: bool, zone: str) -> None:
    conn.execute(f"SET TimeZone = '{zone}'")
    values = [DateTime.parse(s) for s in ("1900-01-01T00:00:00.000001Z", "2024-06-30T12:00:00Z",
                                          "-0100-01-01T00:00:00Z", "1000-01-01T00:00:00Z")]
    odt = OffsetDateTime.parse("2024-03-31T02:30:00.25+02:00")
    with conn.cursor(binary=binary) as cur:
        for value in values:
            cur.execute("SELECT %s::timestamptz", (value,))
            assert cur.fetchone()[0] == value
        cur.execute("SELECT %s::timestamptz", (odt,))
        assert cur.fetchone()[0] == odt.utc
        # A timestamp without zone loads with its wall time read as UTC.
        cur.execute("SELECT '2024-01-02 03:04:05.123456'::timestamp, '0044-03-15 12:00:00 BC'::timestamp")
        assert cur.fetchone() == (DateTime.parse("2024-01-02T03:04:05.123456Z"),
                                  DateTime.parse("-0043-03-15T12:00:00Z"))


@pytest.mark.parametrize("binary", BINARY)
def test_property_round_trips_against_table(conn: Any, binary: bool) -> None:
    conn.execute("CREATE TEMP TABLE IF NOT EXISTS v (d date, t time, ts timestamptz)")

    @settings(max_examples=50)
    @given(st.lists(st.tuples(pg_dates, us_times, us_instants), min_size=1, max_size=8))
    def check(rows: list[tuple[Date, Time, DateTime]]) -> None:
        with conn.cursor(binary=binary) as cur:
            cur.execute("TRUNCATE v")
            cur.executemany("INSERT INTO v VALUES (%s, %s, %s)", rows)
            cur.execute("SELECT d, t, ts FROM v ORDER BY ts")
            assert cur.fetchall() == sorted(rows, key=lambda r: r[2])
            # The server's own day count and epoch agree with chronexa's.
            cur.execute("SELECT d - '1970-01-01'::date, (extract(epoch FROM ts) * 1000000)::numeric(40)"
                        " FROM v ORDER BY ts")
            assert cur.fetchall() == [(r[0].days_since_unix_epoch(), r[2].unix_timestamp_nanos() // 1000)
                                      for r in sorted(rows, key=lambda r: r[2])]

    check()


LOSSY = [(Time(0, 0, 0, 1), "time", Time(0, 0, 0)),
         (DateTime.parse("2024-01-01T00:00:00.999999999Z"), "timestamptz",
          DateTime.parse("2024-01-01T00:00:00.999999Z")),
         (DateTime.parse("-1000-01-01T00:00:00.0000005Z"), "timestamptz", DateTime.parse("-1000-01-01T00:00:00Z")),
         (OffsetDateTime.parse("2024-01-01T00:00:00.0000001+05:00"), "timestamptz",
          DateTime.parse("2023-12-31T19:00:00Z"))]


@pytest.mark.parametrize(("value", "pg_type", "truncated"), LOSSY)
@pytest.mark.parametrize("fmt", FORMATS)
def test_nanoseconds_refused_unless_truncating(conn: Any, truncating: Any, value: Any, pg_type: str,
                                               truncated: Any, fmt: str) -> None:
    with pytest.raises(ValueError, match="truncate=True"):
        conn.execute(f"SELECT {fmt}::{pg_type}", (value,))
    assert truncating.execute(f"SELECT {fmt}::{pg_type}", (value,)).fetchone()[0] == truncated


OUT_OF_RANGE = [(Date(-4713, 11, 23), "date"), (Date(5874898, 1, 1), "date"), (Date(-2147483648, 1, 1), "date"),
                (DateTime.parse("-4713-11-23T23:59:59.999999Z"), "timestamptz"),
                (DateTime.parse("294277-01-01T00:00:00Z"), "timestamptz"),
                (DateTime.parse("2147483647-12-31T23:59:59Z"), "timestamptz")]


@pytest.mark.parametrize(("value", "pg_type"), OUT_OF_RANGE)
@pytest.mark.parametrize("fmt", FORMATS)
def test_out_of_range_refused(truncating: Any, value: Any, pg_type: str, fmt: str) -> None:
    with pytest.raises(ValueError, match="outside the range of PostgreSQL"):
        truncating.execute(f"SELECT {fmt}::{pg_type}", (value,))


def test_edges_are_the_servers(conn: Any) -> None:
    # The server refuses one step beyond each edge we accept.
    for text, pg_type in (("4714-11-23 BC", "date"), ("5874898-01-01", "date"),
                          ("4714-11-23 23:59:59.999999+00 BC", "timestamptz"), ("294277-01-01 00:00:00+00", "timestamptz")):
        with pytest.raises(psycopg.DataError):
            conn.execute(f"SELECT %s::text::{pg_type}", (text,))


@pytest.mark.parametrize("binary", BINARY)
@pytest.mark.parametrize(("sql", "what"), [("'infinity'::date", "infinity"), ("'-infinity'::timestamptz", "infinity"),
                                           ("'24:00:00'::time", "24:00:00")])
def test_unrepresentable_loads_refused(conn: Any, binary: bool, sql: str, what: str) -> None:
    with conn.cursor(binary=binary) as cur:
        cur.execute(f"SELECT {sql}")
        with pytest.raises(ValueError, match=what):
            cur.fetchone()




def test_register_on_an_adapters_map(pg_dsn: str) -> None:
    # An AdaptersMap serves as the template of the connections made with it.
    adapters = psycopg.adapt.AdaptersMap(psycopg.adapters)
    cpsycopg.register(adapters, truncate=True)
    with psycopg.connect(pg_dsn, context=adapters) as c:
        assert c.execute("SELECT %s::date, %s::timestamptz",
                         (Date(2024, 1, 1), DateTime.parse("2024-01-01T00:00:00.0000019Z"))).fetchone() == (
            Date(2024, 1, 1), DateTime.parse("2024-01-01T00:00:00.000001Z"))
    with psycopg.connect(pg_dsn) as c:  # the global map is untouched
        assert type(c.execute("SELECT '2024-01-01'::date").fetchone()[0]).__module__ == "datetime"
