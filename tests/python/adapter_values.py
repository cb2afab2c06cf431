# SPDX-License-Identifier: MIT
"""Hypothesis strategies and sample values for the adapter tests."""

from __future__ import annotations

from hypothesis import strategies as st

from chronexa import Date, DateTime, Duration, OffsetDateTime, Time, UtcOffset, Weekday

YEAR_MIN, YEAR_MAX = -2147483648, 2147483647
NS = 1_000_000_000
DAY_NS = 86400 * NS

WEEKDAYS = [Weekday.MONDAY, Weekday.TUESDAY, Weekday.WEDNESDAY, Weekday.THURSDAY,
            Weekday.FRIDAY, Weekday.SATURDAY, Weekday.SUNDAY]

_DAYS_MIN = Date(YEAR_MIN, 1, 1).days_since_unix_epoch()
_DAYS_MAX = Date(YEAR_MAX, 12, 31).days_since_unix_epoch()

# Edges first (whole-range ends, year 0 and -1, the epoch), then anything.
_edge_days = st.sampled_from([_DAYS_MIN, _DAYS_MAX, Date(0, 1, 1).days_since_unix_epoch(),
                              Date(-1, 12, 31).days_since_unix_epoch(), -1, 0, 1])
days = st.one_of(_edge_days, st.integers(-800_000, 3_000_000), st.integers(_DAYS_MIN, _DAYS_MAX))
dates = days.map(Date.from_days_since_unix_epoch)
_nanos_of_day = st.one_of(st.sampled_from([0, 1, DAY_NS - 1, 500_000_000, 1000]),
                          st.integers(0, DAY_NS - 1))
times = _nanos_of_day.map(lambda n: Time(n // 3_600_000_000_000, n // 60_000_000_000 % 60,
                                         n // NS % 60, n % NS))
date_times = st.builds(DateTime, dates, times)
offset_seconds = st.one_of(st.sampled_from([0, 3600, -3600, 19800, -86400, 86400]),
                           st.integers(-86400, 86400))
whole_minute_offsets = st.integers(-1439, 1439).map(lambda m: UtcOffset.from_seconds(m * 60))
utc_offsets = offset_seconds.map(UtcOffset.from_seconds)


def _offset_date_time(utc: DateTime, offset: UtcOffset) -> OffsetDateTime | None:
    try:
        return OffsetDateTime.from_utc(utc, offset)
    except ValueError:
        return None


def _printable(v: OffsetDateTime | None) -> bool:
    # from_utc accepts an instant whose local time leaves the range of years;
    # such a value has no text form.
    try:
        str(v)
    except ValueError:
        return False
    return v is not None


def _odts(offsets: st.SearchStrategy[UtcOffset], printable: bool = False) -> st.SearchStrategy[OffsetDateTime]:
    keep = _printable if printable else (lambda v: v is not None)
    return st.builds(_offset_date_time, date_times, offsets).filter(keep).map(_present)


def _present(v: OffsetDateTime | None) -> OffsetDateTime:
    return v  # type: ignore[return-value]  # None was filtered out


offset_date_times = _odts(utc_offsets)
minute_offset_date_times = _odts(whole_minute_offsets, printable=True)
DURATION_MIN, DURATION_MAX = -(2**127), 2**127 - 1
durations = st.one_of(st.sampled_from([0, 1, -1, 2**63, -(2**63) - 1, DURATION_MIN, DURATION_MAX]),
                      st.integers(-(10**20), 10**20),
                      st.integers(DURATION_MIN, DURATION_MAX)).map(Duration.nanoseconds)
weekdays = st.sampled_from(WEEKDAYS)
any_value = st.one_of(dates, times, date_times, utc_offsets, offset_date_times, durations, weekdays)

SAMPLES = [
    Date(2024, 2, 29), Date(YEAR_MIN, 1, 1), Date(-1, 12, 31),
    Time(23, 59, 59, 999_999_999), Time(0, 0, 0),
    DateTime.parse("2024-01-02T03:04:05.123456789Z"),
    DateTime(Date(YEAR_MAX, 12, 31), Time(23, 59, 59, 999_999_999)),
    Duration.nanoseconds(-(2**127)), Duration.nanoseconds(2**127 - 1), Duration.nanoseconds(-1500),
    UtcOffset.from_seconds(-3661), UtcOffset.from_seconds(0),
    OffsetDateTime.parse("2024-01-02T03:04:05.5+05:30"),
    OffsetDateTime.from_utc(DateTime.parse("1999-12-31T23:59:59Z"), UtcOffset.from_seconds(3661)),
    *WEEKDAYS,
]
