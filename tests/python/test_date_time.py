# SPDX-License-Identifier: MIT
"""DateTime: calendar.timegm and the standard library's aware datetime (UTC) as
oracles for years 1 to 9999, round trips over the whole range."""
import calendar
import datetime
import time

import pytest
from hypothesis import given, settings
from hypothesis import strategies as st

from chronexa import Date, DateTime, Duration, Time

UTC = datetime.timezone.utc
EPOCH = datetime.datetime(1970, 1, 1, tzinfo=UTC)
MIN_SECS, MAX_SECS = -67768100567971200, 67767976233532799
STD_MIN_SECS = calendar.timegm((1, 1, 1, 0, 0, 0))
STD_MAX_SECS = calendar.timegm((9999, 12, 31, 23, 59, 59))
FORMAT = "Expected format: YYYY-MM-DDTHH:MM:SS[.fffffffff]Z"

std_datetimes = st.datetimes(timezones=st.just(UTC))
extra_nanos = st.integers(0, 999)  # below the standard library's microsecond
any_secs = st.integers(MIN_SECS, MAX_SECS)
any_nanos = st.integers(0, 999_999_999)
date_times = st.builds(DateTime.from_unix_timestamp, any_secs, any_nanos)


def from_std(p, extra=0):
    return DateTime(Date(p.year, p.month, p.day),
                    Time(p.hour, p.minute, p.second, p.microsecond * 1000 + extra))


def fields(dt):
    d, t = dt.date, dt.time
    return (d.year, d.month, d.day, t.hour, t.minute, t.second, t.nanosecond)


def std_fields(p, extra=0):
    return (p.year, p.month, p.day, p.hour, p.minute, p.second, p.microsecond * 1000 + extra)


# ---- construction and timestamps ----


@pytest.mark.parametrize("new", [DateTime, lambda *a, **k: DateTime.__new__(DateTime, *a, **k)],
                         ids=["vectorcall", "tp_new"])
def test_constructor(new):
    d, t = Date(2024, 2, 29), Time(23, 59, 59, 1)
    dt = new(d, t)
    assert dt.date == d and dt.time == t
    assert new(time=t, date=d) == dt
    with pytest.raises(TypeError) as e:
        new(t, d)
    assert e.value.args == ("'Time' object is not an instance of 'Date'",)
    assert e.value.__notes__ == ["while processing 'date'"]


@settings(max_examples=400)
@given(std_datetimes, extra_nanos)
def test_timestamps_agree_with_timegm(p, extra):
    secs = calendar.timegm(p.utctimetuple())
    nanos = p.microsecond * 1000 + extra
    dt = DateTime.from_unix_timestamp(secs, nanos)
    assert fields(dt) == std_fields(p, extra)
    assert dt == from_std(p, extra)
    assert dt.unix_timestamp() == secs == (p - EPOCH) // datetime.timedelta(seconds=1)
    assert dt.unix_timestamp_nanos() == secs * 10**9 + nanos


@settings(max_examples=400)
@given(st.integers(STD_MIN_SECS + 3, STD_MAX_SECS - 3), st.integers(-(2**31), 2**31 - 1))
def test_any_32_bit_nanos_is_floor_split(secs, nanos):
    s, n = divmod(secs * 10**9 + nanos, 10**9)
    p = EPOCH + datetime.timedelta(seconds=s)
    dt = DateTime.from_unix_timestamp(secs=secs, nanos=nanos)
    assert fields(dt) == std_fields(p, n)


@pytest.mark.parametrize("args, text", [
    ((0,), "1970-01-01T00:00:00Z"),
    ((0, 2**31 - 1), "1970-01-01T00:00:02.147483647Z"),
    ((MIN_SECS, 0), "-2147483648-01-01T00:00:00Z"),
    ((MAX_SECS, 999_999_999), "2147483647-12-31T23:59:59.999999999Z"),
])
def test_from_unix_timestamp_table(args, text):
    assert str(DateTime.from_unix_timestamp(*args)) == text


@pytest.mark.parametrize("secs, nanos", [(MIN_SECS - 1, 0), (MIN_SECS, -1), (MAX_SECS + 1, 0),
                                         (MAX_SECS, 10**9)])
def test_from_unix_timestamp_out_of_range(secs, nanos):
    with pytest.raises(ValueError) as e:
        DateTime.from_unix_timestamp(secs, nanos)
    assert e.value.args == ("Invalid timestamp: OutOfRange",)


@pytest.mark.parametrize("args, note", [((0, 2**31), "nanos"), ((2**63, 0), "secs"),
                                        ((0.5,), "secs")])
def test_from_unix_timestamp_conversion_errors(args, note):
    with pytest.raises((OverflowError, TypeError)) as e:
        DateTime.from_unix_timestamp(*args)
    assert e.value.__notes__ == [f"while processing '{note}'"]


def test_range_ends_as_timestamps():
    lo = DateTime.parse("-2147483648-01-01T00:00:00Z")
    hi = DateTime.parse("2147483647-12-31T23:59:59.999999999Z")
    assert (lo.unix_timestamp(), lo.unix_timestamp_nanos()) == (MIN_SECS, MIN_SECS * 10**9)
    assert (hi.unix_timestamp(), hi.unix_timestamp_nanos() - MAX_SECS * 10**9) == (MAX_SECS,
                                                                                 999_999_999)


def test_now_utc_reads_the_clock():
    before = time.time_ns()
    now = DateTime.now_utc().unix_timestamp_nanos()
    after = time.time_ns()
    assert before - 2 * 10**9 <= now <= after + 2 * 10**9


# ---- arithmetic ----


@settings(max_examples=300)
@given(date_times, date_times)
def test_difference_and_add_duration_are_inverse(a, b):
    d = b.difference(a)
    assert a.add_duration(d) == b
    assert a.difference(b) == -d
    assert d.total_nanos() == b.unix_timestamp_nanos() - a.unix_timestamp_nanos()


@settings(max_examples=300)
@given(std_datetimes, st.integers(-(10**17), 10**17))
def test_add_duration_agrees_with_timedelta(p, micros):
    try:
        q = p + datetime.timedelta(microseconds=micros)
    except OverflowError:
        return
    assert from_std(p).add_duration(Duration.microseconds(micros)) == from_std(q)
    assert from_std(q).difference(from_std(p)) == Duration.microseconds(micros)


def test_add_duration_out_of_range():
    hi = DateTime.from_unix_timestamp(MAX_SECS, 999_999_999)
    lo = DateTime.from_unix_timestamp(MIN_SECS)
    for dt, ns in [(hi, 1), (lo, -1), (lo, 2**127 - 1)]:
        with pytest.raises(ValueError) as e:
            dt.add_duration(Duration.nanoseconds(ns))
        assert e.value.args == ("DateTime out of range: OutOfRange",)
    assert hi.add_duration(Duration.nanoseconds(0)) == hi
    assert hi.add_duration(lo.difference(hi)) == lo


# ---- text ----


@settings(max_examples=300)
@given(std_datetimes, extra_nanos)
def test_text_form_matches_isoformat(p, extra):
    n = p.microsecond * 1000 + extra
    fraction = f".{n:09d}".rstrip("0") if n else ""
    expected = p.replace(tzinfo=None).isoformat(timespec="seconds") + fraction + "Z"
    assert str(from_std(p, extra)) == expected


@settings(max_examples=300)
@given(date_times)
def test_text_and_repr_round_trip(dt):
    assert DateTime.parse(str(dt)) == dt
    assert repr(dt) == f"DateTime.parse('{dt}')"
    assert eval(repr(dt)) == dt


@pytest.mark.parametrize("text", ["2024-01-01T12:00:00z", "2024-01-01 12:00:00Z",
                                  "2024-1-1T12:0:0.0Z"])
def test_parse_accepts(text):
    assert DateTime.parse(s=text) == DateTime.parse("2024-01-01T12:00:00Z")


@pytest.mark.parametrize("text", ["2024-01-01t12:00:00Z", "2024-01-01T12:00:00",
                                  "2024-01-01T12:00:00+00:00", " 2024-01-01T12:00:00Z", ""])
def test_parse_refuses_with_exact_message(text):
    with pytest.raises(ValueError) as e:
        DateTime.parse(text)
    assert e.value.args == (f"Invalid datetime string '{text}'. {FORMAT}",)


@pytest.mark.parametrize("text", ["x\n2024-01-01T00:00:00Z", "it's", 'a"b', "back\\slash",
                                  "\x00\x1b[31m", "é\u2028", "x" * 300])
def test_parse_message_quotes_like_repr(text):
    with pytest.raises(ValueError) as e:
        DateTime.parse(text)
    assert e.value.args == (f"Invalid datetime string {text!r}. {FORMAT}",)


# ---- hashing and comparison ----


@pytest.mark.parametrize("text, value", [
    ("2024-01-01T12:00:00Z", 5219630723068717795),
    ("1970-01-01T00:00:00Z", -5339081515209119773),
])
def test_hash_values(text, value):
    assert hash(DateTime.parse(text)) == value


@settings(max_examples=300)
@given(std_datetimes, extra_nanos, std_datetimes, extra_nanos)
def test_order_agrees_with_datetime(p, m, q, n):
    a, b = from_std(p, m), from_std(q, n)
    key_a, key_b = (p, m), (q, n)
    assert (a < b, a <= b, a == b, a != b, a > b, a >= b) == (
        key_a < key_b, key_a <= key_b, key_a == key_b, key_a != key_b, key_a > key_b,
        key_a >= key_b)
    assert (a == b) == (hash(a) == hash(b))


def test_other_types_are_not_implemented():
    dt = DateTime.parse("2024-01-01T12:00:00Z")
    assert (dt == dt.date) is False and (dt != dt.date) is True
    with pytest.raises(TypeError):
        dt < dt.date
    with pytest.raises(TypeError):
        dt + Duration.seconds(1)
    with pytest.raises(TypeError) as e:
        dt.difference(dt.date)
    assert e.value.__notes__ == ["while processing 'other'"]


def test_text_signatures():
    assert DateTime.__text_signature__ == "(date, time)" and DateTime.__doc__ == ""
    signatures = {
        "parse": "($cls, s)", "from_unix_timestamp": "($cls, secs, nanos=0)",
        "now_utc": "($cls)", "unix_timestamp": "($self)", "unix_timestamp_nanos": "($self)",
        "add_duration": "($self, dur)", "difference": "($self, other)",
    }
    for name, signature in signatures.items():
        assert vars(DateTime)[name].__text_signature__ == signature
