# SPDX-License-Identifier: MIT
"""DateTime: calendar.timegm and the standard library's aware datetime (UTC) as oracles for
years 1 to 9999; round trips and exact integer arithmetic over the whole range."""
import calendar
import datetime
import time

import pytest
from hypothesis import example, given, settings, strategies as st

from chronexa import Date, DateTime, Duration, Time

UTC, SECOND, US = datetime.timezone.utc, datetime.timedelta(0, 1), datetime.timedelta(0, 0, 1)
EPOCH = datetime.datetime(1970, 1, 1, tzinfo=UTC)
MIN_SECS, MAX_SECS = -67768100567971200, 67767976233532799
FORMAT = "Expected format: YYYY-MM-DDTHH:MM:SS[.fffffffff]Z"
ts, NOON = DateTime.from_unix_timestamp, DateTime.parse("2024-01-01T12:00:00Z")
std_datetimes, any_secs = st.datetimes(timezones=st.just(UTC)), st.integers(MIN_SECS, MAX_SECS)


def from_std(p, extra=0):  # extra: nanoseconds below the standard library's microsecond
    return DateTime(Date(p.year, p.month, p.day),
                    Time(p.hour, p.minute, p.second, p.microsecond * 1000 + extra))


@settings(max_examples=500)
@given(std_datetimes, st.integers(0, 999), st.integers(-(2**31), 2**31 - 1), std_datetimes,
       st.integers(0, 999))
def test_against_timegm_and_aware_datetime(p, extra, nanos, q, m):
    secs, n = calendar.timegm(p.utctimetuple()), p.microsecond * 1000 + extra
    a, b, ka, kb = ts(secs, n), from_std(q, m), (p, extra), (q, m)
    assert a == from_std(p, extra) and a.unix_timestamp() == secs == (p - EPOCH) // SECOND
    assert a.unix_timestamp_nanos() == secs * 10**9 + n
    fraction = f".{n:09d}".rstrip("0") if n else ""
    assert str(a) == p.replace(tzinfo=None, microsecond=0).isoformat() + fraction + "Z"
    s, r = divmod(secs * 10**9 + nanos, 10**9)  # any 32-bit count is split by floor division
    if calendar.timegm((1, 1, 1, 0, 0, 0)) <= s <= calendar.timegm((9999, 12, 31, 23, 59, 59)):
        assert ts(secs=secs, nanos=nanos) == from_std(EPOCH + s * SECOND, r)
    assert (a < b, a <= b, a == b, a != b, a > b, a >= b) == (
        ka < kb, ka <= kb, ka == kb, ka != kb, ka > kb, ka >= kb)
    assert hash(a) == hash(from_std(p, extra)) and (a == b) == (hash(a) == hash(b))
    d = (q - p) // US * 1000 + m - extra
    assert b.difference(a).total_nanos() == d and a.add_duration(Duration.nanoseconds(d)) == b


@settings(max_examples=300)
@given(any_secs, st.integers(0, 10**9 - 1), any_secs, st.integers(0, 10**9 - 1))
@example(MIN_SECS, 0, MAX_SECS, 10**9 - 1)
def test_whole_range_round_trips(s, n, t, m):
    a, b = ts(s, n), ts(t, m)
    assert a.unix_timestamp_nanos() == s * 10**9 + n and a.add_duration(d := b.difference(a)) == b
    assert d.total_nanos() == (t - s) * 10**9 + m - n
    assert DateTime.parse(str(a)) == a == eval(repr(a)) and repr(a) == f"DateTime.parse('{a}')"


def test_now_utc_reads_the_clock():  # the first call of the day converts it, the next reuse it
    for _ in range(3):
        before, now = time.time_ns(), DateTime.now_utc().unix_timestamp_nanos()
        assert before - 2 * 10**9 <= now <= time.time_ns() + 2 * 10**9


D, T, W = Date(2024, 2, 29), Time(23, 58, 7, 1), "\nwhile processing "
OUT, BAD = (ValueError(f"{m}: OutOfRange") for m in ("DateTime out of range", "Invalid timestamp"))
NOT, INVALID = "' object is not an instance of '", "Invalid datetime string "


# Text (a DateTime), a value or the error: range ends, parsing (repr() quoting), hash values, errors
# with notes.
@pytest.mark.parametrize("call, expected", [
    (lambda: ts(MIN_SECS - 1), BAD),  # the splits and the other range ends: the core tests
    (lambda: ts(MAX_SECS, 999999999).add_duration(Duration.nanoseconds(1)), OUT),
    (lambda: ts(MIN_SECS).add_duration(Duration.nanoseconds(-1)), OUT),
    (lambda: NOON.add_duration(Duration.nanoseconds(2**127 - 1)), OUT),
    (lambda: DateTime.parse(s="2024-1-1 12:0:0.0z"), str(NOON)),  # the first "T" splits, else " "
    (lambda: DateTime.parse("+2024-2-29T1:2:3.999999999Z"), "2024-02-29T01:02:03.999999999Z"),
    (lambda: DateTime.parse("abc"), ValueError(INVALID + "'abc'. " + FORMAT)),
    *((lambda t=t: DateTime.parse(t), ValueError(f"{INVALID}{t!r}. {FORMAT}"))
      for t in ["2024-01-01t12:00:00Z", "2024-01-01T12:00:00", " 2024-01-01T12:00:00Z", "",
                "2024-1-1T1:2:3.1234567891Z", "2024-1-1 T1:2:3Z", "2024-1-1T1:2:3ZZ", "T1:2:3Z",
                "2024-1-1T1:2:3 Z", "2024-1-1T1:2:3Z ", "2024-01-01T12:00:00.Z", "2024-1-11:2:3Z",
                "2024-01-01T12:00:00+00:00", "x\n2024-01-01T00:00:00Z", "it's", 'a"b',
                "back\\slash", "\x00\x1b[31m", "é\u2028", "x" * 300]),
    (lambda: [hash(NOON), hash(ts(0)), hash(DateTime(D, T))],
     [5219630723068717795, -5339081515209119773, -5256995040971618970]),
    (lambda: DateTime(time=T, date=D), "2024-02-29T23:58:07.000000001Z"),
    (lambda: DateTime.__new__(DateTime, D, time=T), "2024-02-29T23:58:07.000000001Z"),
    (lambda: DateTime(T, D), TypeError(f"'Time{NOT}Date'{W}'date'")),
    (lambda: DateTime.__new__(DateTime, D, D), TypeError(f"'Date{NOT}Time'{W}'time'")),
])
def test_values_and_errors(call, expected):
    try:
        value = call()
    except Exception as e:
        value = type(e)("\n".join([str(e), *getattr(e, "__notes__", [])]))
    kind = DateTime if isinstance(expected, str) else type(expected)
    assert (type(value), str(value)) == (kind, str(expected))
