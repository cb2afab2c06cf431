# SPDX-License-Identifier: MIT
"""chronexa_datetime: exact round trips wherever both sides hold the value,
ValueError wherever the standard library cannot."""

import datetime as dt
import re

import pytest
from hypothesis import example, given
from hypothesis import strategies as st

import chronexa_datetime as cdt
from chronexa import Date, DateTime, Duration, OffsetDateTime, Time, UtcOffset, Weekday

UTC = dt.timezone.utc
US = dt.timedelta(microseconds=1)
EPOCH = dt.datetime(1970, 1, 1, tzinfo=UTC)
PRECISION = "has nanoseconds, which the standard library cannot hold"
RANGE = "is outside the range of"

# Day counts around the standard library's years 1 to 9999, and anywhere.
days = st.integers(-720_000, 2_940_000) | st.integers(-784353015833, 784351576776)
nanos_of_day = st.integers(0, 86_400 * 10**9 - 1)
offsets = st.integers(-86_400, 86_400)
# Every fixed offset the standard library can hold, to the second.
zones = st.integers(-86_399, 86_399).map(lambda s: dt.timezone(dt.timedelta(seconds=s)))


def in_stdlib(year: int) -> bool:
    return 1 <= year <= 9999


def time_of(ns: int) -> Time:
    s, n = divmod(ns, 10**9)
    return Time(s // 3600, s // 60 % 60, s % 60, n)


@given(days)
def test_dates_round_trip_or_range_error(n):
    ours = Date.from_days_since_unix_epoch(n)
    if in_stdlib(ours.year):
        got = cdt.to_date(ours)
        assert got == dt.date(1970, 1, 1) + dt.timedelta(days=n) and cdt.from_date(got) == ours
    else:
        with pytest.raises(ValueError, match=f"^{ours} {RANGE} datetime.date"):
            cdt.to_date(ours)


@given(nanos_of_day, st.integers(0, 1))
def test_times_round_trip_or_truncate_on_request(ns, fold):
    ours = time_of(ns)
    truncated = cdt.to_time(ours, truncate=True)
    assert (dt.datetime.combine(dt.date.min, truncated) - dt.datetime.min) // US == ns // 1000
    assert cdt.from_time(truncated.replace(fold=fold)) == time_of(ns // 1000 * 1000)
    if ns % 1000:
        with pytest.raises(ValueError, match=f"^{re.escape(str(ours))} {PRECISION}"):
            cdt.to_time(ours)
    else:
        assert cdt.to_time(ours) == truncated


@given(offsets)
def test_offset_to_timezone_and_back(seconds):
    ours = UtcOffset.from_seconds(seconds)
    if abs(seconds) == 86_400:
        with pytest.raises(ValueError, match=r"offset [+-]24:00 is outside the range of datetime.timezone"):
            cdt.to_timezone(ours)
    else:
        tz = cdt.to_timezone(ours)
        assert tz.utcoffset(None) == dt.timedelta(seconds=seconds) and cdt.from_timezone(tz) == ours


@given(st.datetimes(timezones=zones))
def test_aware_datetime_round_trips(d):
    odt = cdt.from_datetime(d)
    assert odt.unix_timestamp_nanos() == (d - EPOCH) // US * 1000
    assert odt.offset.as_seconds() == d.utcoffset() // dt.timedelta(seconds=1)
    back = cdt.to_datetime(odt)
    assert back == d and back.utcoffset() == d.utcoffset() and back.replace(tzinfo=None) == d.replace(tzinfo=None)
    utc = cdt.from_datetime_utc(d)
    assert utc == odt.utc
    if in_stdlib(utc.date.year):
        assert cdt.to_datetime(utc) == d


@given(days, nanos_of_day, offsets)
@example(784351576776, 86_399 * 10**9, 3_600)  # a local time past the last year
def test_chronexa_instants_to_stdlib_or_error(n, ns, seconds):
    utc = DateTime(Date.from_days_since_unix_epoch(n), time_of(ns))
    odt = OffsetDateTime.from_utc(utc, UtcOffset.from_seconds(seconds))
    for value in (utc, odt):
        try:
            local_year = value.to_local().date.year if value is odt else utc.date.year
        except ValueError:
            local_year = 0
        if not in_stdlib(local_year) or value is odt and abs(seconds) == 86_400:
            with pytest.raises(ValueError, match=RANGE):
                cdt.to_datetime(value, truncate=True)
            continue
        got = cdt.to_datetime(value, truncate=True)
        assert (got - EPOCH) // US == value.unix_timestamp_nanos() // 1000
        if ns % 1000:
            with pytest.raises(ValueError, match=PRECISION):
                cdt.to_datetime(value)
        else:
            assert cdt.to_datetime(value) == got and cdt.from_datetime(got).utc == utc


@given(st.timedeltas())
def test_timedeltas_convert_exactly(td):
    assert cdt.from_timedelta(td).total_nanos() == td // US * 1000


@given(st.integers(-(2**127), 2**127 - 1) | st.integers(-(10**23), 10**23))
def test_durations_round_trip_or_error(ns):
    ours = Duration.nanoseconds(ns)
    micros = abs(ns) // 1000 * (1 if ns >= 0 else -1)  # towards zero
    if abs(micros) > 999_999_999 * 86_400 * 10**6 + (86_400 * 10**6 - 1 if micros > 0 else 0):
        with pytest.raises(ValueError, match=f"{RANGE} datetime.timedelta"):
            cdt.to_timedelta(ours, truncate=True)
        return
    assert cdt.to_timedelta(ours, truncate=True) // US == micros
    if ns % 1000:
        with pytest.raises(ValueError, match=PRECISION):
            cdt.to_timedelta(ours)
    else:
        assert cdt.from_timedelta(cdt.to_timedelta(ours)) == ours


def test_weekdays_match_isoweekday():
    for d in (dt.date(2024, 1, 1) + dt.timedelta(days=i) for i in range(7)):
        w = cdt.from_date(d).weekday()
        assert cdt.to_isoweekday(w) == d.isoweekday() and cdt.from_isoweekday(d.isoweekday()) is w
    for bad in (0, 8):
        with pytest.raises(ValueError, match="run from 1 .Monday. to 7 .Sunday., not"):
            cdt.from_isoweekday(bad)


class Stamp(dt.datetime):
    """A subclass with a nanosecond field, as pandas' Timestamp has."""

    nanosecond = 250


@pytest.mark.parametrize("call, error, message", [
    (lambda: cdt.from_datetime(dt.datetime(2024, 1, 1)), ValueError,
     r"naive datetime .* has no offset; attach one first, e\.g\. dt\.replace\(tzinfo=datetime\.timezone\.utc\)"),
    (lambda: cdt.from_datetime_utc(dt.datetime(2024, 1, 1)), ValueError, "naive datetime"),
    (lambda: cdt.from_datetime(dt.datetime(2024, 1, 1, tzinfo=dt.timezone(dt.timedelta(microseconds=1)))),
     ValueError, "has a fraction of a second, which UtcOffset cannot hold"),
    (lambda: cdt.from_date(dt.datetime(2024, 1, 1)), TypeError, "takes a date, not a datetime"),
    (lambda: cdt.from_time(dt.time(1, tzinfo=UTC)), ValueError, "has a tzinfo, which Time cannot hold"),
    (lambda: cdt.from_timezone(dt.tzinfo()), TypeError, "takes a datetime.timezone"),
    (lambda: cdt.to_datetime(Date(2024, 1, 1)), TypeError, "takes a DateTime or an OffsetDateTime, not Date"),
])
def test_refusals(call, error, message):
    with pytest.raises(error, match=message):
        call()


class Span(dt.timedelta):
    """A subclass with a nanoseconds field past its microseconds, as pandas' Timedelta has."""

    nanoseconds = 500


class BrokenZone(dt.tzinfo):
    def utcoffset(self, _):
        return "+01:00"


@pytest.mark.parametrize("call, error, message", [
    (lambda: cdt.from_datetime(dt.datetime(2024, 1, 1, tzinfo=BrokenZone())), TypeError,
     "utcoffset.. must return None or timedelta, not 'str'"),
    (lambda: cdt.from_datetime_utc(dt.datetime(2024, 1, 1, tzinfo=BrokenZone())), TypeError,
     "utcoffset.. must return None or timedelta, not 'str'"),
    (lambda: cdt.from_timedelta(type("Odd", (dt.timedelta,), {"nanoseconds": 1000})(1)),
     ValueError, "has a nanoseconds field of 1000, not 0 to 999"),
    (lambda: cdt.from_timedelta(type("Odd", (dt.timedelta,), {"nanoseconds": lambda s: 5})(1)),
     ValueError, "has a nanoseconds field of <bound method"),
])
def test_subclass_refusals(call, error, message):
    with pytest.raises(error, match=message):
        call()


def test_timedelta_subclass_nanoseconds():
    assert cdt.from_timedelta(Span(microseconds=1)).total_nanos() == 1500
    assert cdt.from_timedelta(Span(microseconds=-1)).total_nanos() == -500
    pd = pytest.importorskip("pandas")
    for ns in [1500, -1, 1, -(10**18) - 7, 86_400 * 10**9 + 999]:
        assert cdt.from_timedelta(pd.Timedelta(ns, "ns")).total_nanos() == ns


def test_subclass_nanoseconds_and_fractional_offsets():
    stamp = Stamp(2024, 1, 1, 0, 0, 0, 5, tzinfo=UTC)
    assert cdt.from_datetime(stamp).utc.time.nanosecond == cdt.from_datetime_utc(stamp).time.nanosecond == 5250
    odd = dt.datetime(2024, 1, 1, tzinfo=dt.timezone(dt.timedelta(microseconds=1)))
    assert str(cdt.from_datetime_utc(odd)) == "2023-12-31T23:59:59.999999Z"
