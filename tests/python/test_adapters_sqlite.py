# SPDX-License-Identifier: MIT
import sqlite3
from collections.abc import Iterator
from pathlib import Path
from typing import Any

import pytest
from adapter_values import (
    SAMPLES,
    date_times,
    dates,
    durations,
    offset_date_times,
    times,
    utc_offsets,
    weekdays,
)
from hypothesis import HealthCheck, given, settings
from hypothesis import strategies as st

from chronexa import Date, DateTime, Duration, OffsetDateTime, Time, UtcOffset, Weekday
from chronexa_adapters import sqlite as csqlite

CLASSES = [Date, Time, DateTime, OffsetDateTime, UtcOffset, Duration, Weekday]
STRATEGIES: dict[type, st.SearchStrategy[Any]] = {
    Date: dates, Time: times, DateTime: date_times, OffsetDateTime: offset_date_times,
    UtcOffset: utc_offsets, Duration: durations, Weekday: weekdays,
}


@pytest.fixture(scope="module")
def db(tmp_path_factory: pytest.TempPathFactory) -> Iterator[sqlite3.Connection]:
    csqlite.register()
    path = tmp_path_factory.mktemp("sqlite") / "values.db"
    conn = sqlite3.connect(path, detect_types=sqlite3.PARSE_DECLTYPES)
    columns = ", ".join(f"c{i} {csqlite.DECLARED_TYPES[cls]}" for i, cls in enumerate(CLASSES))
    conn.execute(f"CREATE TABLE t ({columns})")
    yield conn
    conn.close()


def _column(cls: type) -> str:
    return f"c{CLASSES.index(cls)}"


def test_samples_round_trip_through_a_file(db: sqlite3.Connection, tmp_path: Path) -> None:
    path = tmp_path / "samples.db"
    with sqlite3.connect(path) as conn:  # written without converters
        conn.execute("CREATE TABLE s (cls TEXT, v CHRONEXA_DATE, w CHRONEXA_DATETIME, x CHRONEXA_DURATION,"
                     " y CHRONEXA_OFFSETDATETIME, z CHRONEXA_TIME, u CHRONEXA_UTCOFFSET, d CHRONEXA_WEEKDAY)")
        for value in SAMPLES:
            col = "vwxyzud"[[Date, DateTime, Duration, OffsetDateTime, Time, UtcOffset, Weekday].index(type(value))]
            conn.execute(f"INSERT INTO s (cls, {col}) VALUES (?, ?)", (type(value).__name__, value))
    conn.close()
    conn = sqlite3.connect(path, detect_types=sqlite3.PARSE_DECLTYPES)
    got = [next(v for v in row[1:] if v is not None) for row in conn.execute("SELECT * FROM s ORDER BY rowid")]
    conn.close()
    assert [repr(v) for v in got] == [repr(v) for v in SAMPLES]


@pytest.mark.parametrize("cls", CLASSES, ids=lambda c: c.__name__)
def test_round_trip_and_order(db: sqlite3.Connection, cls: type) -> None:
    col = _column(cls)

    @settings(max_examples=40, suppress_health_check=[HealthCheck.function_scoped_fixture])
    @given(st.lists(STRATEGIES[cls], min_size=1, max_size=12))
    def check(values: list[Any]) -> None:
        db.execute("DELETE FROM t")
        db.executemany(f"INSERT INTO t ({col}) VALUES (?)", [(v,) for v in values])
        got = [row[0] for row in db.execute(f"SELECT {col} FROM t ORDER BY rowid")]
        assert [repr(v) for v in got] == [repr(v) for v in values]
        if cls is Weekday:
            key: Any = Weekday.number_from_monday
        elif cls is OffsetDateTime:  # by instant, ties by offset
            key = lambda v: (v.unix_timestamp_nanos(), v.offset.as_seconds())  # noqa: E731
        else:
            key = None
        ordered = [row[0] for row in db.execute(f"SELECT {col} FROM t ORDER BY {col}")]
        assert [repr(v) for v in ordered] == [repr(v) for v in sorted(values, key=key)]
        (lo, hi), = db.execute(f"SELECT MIN({col}) = ?, MAX({col}) = ? FROM t", (ordered[0], ordered[-1]))
        assert lo == hi == 1

    check()


def test_sub_second_order_is_time_order(db: sqlite3.Connection) -> None:
    # The form str() gives sorts ...:00.5Z before ...:00Z; the stored form does not.
    values = [DateTime.parse(s) for s in ("2024-01-01T12:00:00.5Z", "2024-01-01T12:00:00Z",
                                          "-0001-01-01T00:00:00Z", "0000-12-31T23:59:59.999999999Z")]
    db.execute("DELETE FROM t")
    db.executemany("INSERT INTO t (c2) VALUES (?)", [(v,) for v in values])
    assert [r[0] for r in db.execute("SELECT c2 FROM t ORDER BY c2")] == sorted(values)
    (n,), = db.execute("SELECT count(*) FROM t WHERE c2 < ?", (DateTime.parse("0001-01-01T00:00:00Z"),))
    assert n == 2


def test_stored_forms(db: sqlite3.Connection) -> None:
    db.execute("DELETE FROM t")
    odt = OffsetDateTime.parse("1970-01-01T01:00:00+01:00")
    db.execute("INSERT INTO t VALUES (?, ?, ?, ?, ?, ?, ?)",
               (Date(1969, 12, 31), Time(0, 0, 1), odt.utc, odt, odt.offset, Duration.nanoseconds(-1),
                Weekday.SUNDAY))
    raw = db.execute("SELECT " + ", ".join(f"typeof(c{i}), CAST(c{i} AS TEXT)" for i in range(7)) + " FROM t")
    row = next(raw)
    days = -Date(-2147483648, 1, 1).days_since_unix_epoch()
    assert row == ("integer", "-1", "integer", "1000000000", "text", f"{days:013d}:{0:014d}",
                   "text", f"{days:013d}:{0:014d}:090000", "integer", "3600",
                   "text", f"{2**127 - 1:039d}ns", "integer", "7")


@pytest.mark.parametrize(("cls", "stored"), [
    (DateTime, "2024-01-01T00:00:00Z"), (OffsetDateTime, "0000000000000:00000000000000"),
    (Duration, "5"), (Time, str(86400 * 10**9)), (Weekday, "0"), (Date, "x"),
])
def test_foreign_data_refused(db: sqlite3.Connection, cls: type, stored: str) -> None:
    db.execute("DELETE FROM t")
    db.execute(f"INSERT INTO t ({_column(cls)}) VALUES (?)", (stored,))
    with pytest.raises(ValueError, match="not a .* written by chronexa_adapters.sqlite"):
        db.execute(f"SELECT {_column(cls)} FROM t").fetchall()
