# SPDX-License-Identifier: MIT
"""OffsetDateTime: the standard library's aware datetime as oracle for years 1
to 9999 (parsing, local/UTC conversion, printing, ordering), tables of the
accepted and refused RFC 3339 shapes, round trips, and the range ends."""
import datetime
import re

import pytest
from hypothesis import given, settings
from hypothesis import strategies as st

from chronexa import Date, DateTime, Duration, OffsetDateTime, Time, UtcOffset

UTC = datetime.timezone.utc
EPOCH = datetime.datetime(1970, 1, 1, tzinfo=UTC)
US = datetime.timedelta(microseconds=1)
INT32_MIN, INT32_MAX = -(2**31), 2**31 - 1
EXPECTED = "Expected RFC 3339 format: YYYY-MM-DDTHH:MM:SS[.fffffffff][Z|\u00b1HH:MM]"
OUT_OF_RANGE = "OffsetDateTime local representation out of range: OutOfRange"
WHITE_SPACE = "\t\n\v\f\r \x85\xa0\u1680" + "".join(map(chr, range(0x2000, 0x200B))) + (
    "\u2028\u2029\u202f\u205f\u3000"
)

parse = OffsetDateTime.parse


def offset(seconds):
    return UtcOffset.from_seconds(seconds)


def odt_from_utc(y, mo, d, h=0, mi=0, s=0, ns=0, off=0):
    return OffsetDateTime.from_utc(DateTime(Date(y, mo, d), Time(h, mi, s, ns)), offset(off))


def nanos(aware):
    return (aware - EPOCH) // US * 1000


def fields(dt):
    return (dt.date.year, dt.date.month, dt.date.day,
            dt.time.hour, dt.time.minute, dt.time.second, dt.time.nanosecond)


def oracle_fields(naive):
    return (naive.year, naive.month, naive.day,
            naive.hour, naive.minute, naive.second, naive.microsecond * 1000)


def expected_text(aware):
    """isoformat() in our shape: "Z" for zero, no trailing zeros in the fraction."""
    text = aware.isoformat()
    date_time, sign, rest = re.fullmatch(r"(.*?)([+-])(\d\d:\d\d(?::\d\d)?)", text).groups()
    if "." in date_time:
        date_time = date_time.rstrip("0")
    return date_time + ("Z" if aware.utcoffset() == datetime.timedelta(0) else sign + rest)


# ---- oracle: aware datetime, years 1 to 9999 ----

offsets_minutes = st.integers(-1439, 1439).map(lambda m: m * 60)
offsets_seconds = st.integers(-86399, 86399)
locals_ = st.datetimes(datetime.datetime(2, 1, 1), datetime.datetime(9998, 12, 31))


def tz(seconds):
    return datetime.timezone(datetime.timedelta(seconds=seconds))


@settings(max_examples=400)
@given(locals_, offsets_minutes, st.sampled_from(["T", " "]))
def test_parse_agrees_with_fromisoformat(local, off, sep):
    aware = local.replace(tzinfo=tz(off))
    text = aware.isoformat(sep=sep)
    oracle = datetime.datetime.fromisoformat(text)
    ours = parse(text)
    assert ours.unix_timestamp_nanos() == nanos(oracle)
    assert ours.offset.as_seconds() == off
    assert fields(ours.utc) == oracle_fields(oracle.astimezone(UTC))
    assert fields(ours.to_local()) == oracle_fields(local)


def ours(aware):
    """The OffsetDateTime of an aware datetime, built from its local fields."""
    local, off = aware.replace(tzinfo=None), aware.utcoffset() // datetime.timedelta(seconds=1)
    return OffsetDateTime.from_local(
        Date(local.year, local.month, local.day),
        Time(local.hour, local.minute, local.second, local.microsecond * 1000), offset(off))


@settings(max_examples=400)
@given(locals_, offsets_seconds)
def test_local_utc_conversion_and_text(local, off):
    aware = local.replace(tzinfo=tz(off))
    x = ours(aware)
    assert fields(x.utc) == oracle_fields(aware.astimezone(UTC))
    assert fields(x.to_local()) == oracle_fields(local)
    assert x == OffsetDateTime.from_utc(x.utc, offset(off))
    assert x.unix_timestamp() == nanos(aware) // 10**9
    # Offsets with leftover seconds print them, as isoformat does.
    assert str(x) == expected_text(aware)


@settings(max_examples=300)
@given(locals_, offsets_seconds, locals_, offsets_seconds)
def test_ordering_by_instant(la, oa, lb, ob):
    a, b = la.replace(tzinfo=tz(oa)), lb.replace(tzinfo=tz(ob))
    x, y = ours(a), ours(b)
    assert (x < y, x <= y, x > y, x >= y) == (a < b, a <= b, a > b, a >= b)
    assert (x == y) == (a == b and oa == ob)
    assert x.difference(y).total_nanos() == nanos(a) - nanos(b)


@settings(max_examples=300)
@given(st.datetimes(datetime.datetime(100, 1, 1), datetime.datetime(9900, 1, 1)), offsets_seconds,
       st.one_of(st.integers(-(86400 * 10**6) - 5, 86400 * 10**6 + 5),
                 st.integers(-(10**15), 10**15)))
def test_add_duration_agrees_with_timedelta(local, off, us):
    aware = local.replace(tzinfo=tz(off))
    moved = aware + datetime.timedelta(microseconds=us)
    x = ours(aware).add_duration(Duration.microseconds(us))
    assert x == ours(moved)
    assert str(x) == expected_text(moved)


def test_same_instant_other_offset():
    a, b = parse("2024-01-01T12:00:00+01:00"), parse("2024-01-01T13:00:00+02:00")
    assert (a == b, a != b, a < b, a > b, a <= b, a >= b) == (False, True, False, False, True, True)
    assert a.difference(b) == Duration.seconds(0)
    assert a.unix_timestamp() == b.unix_timestamp()
    assert hash(a) != hash(b)


# ---- RFC 3339 shapes ----


@pytest.mark.parametrize("text, seconds", [
    ("2024-01-01T12:00:00Z", 0), ("2024-01-01T12:00:00z", 0),
    ("2024-01-01 12:00:00+05:30", 19800), ("2024-01-01T12:00:00+0530", 19800),
    ("2024-01-01T12:00:00+05", 18000), ("2024-01-01T12:00:00+5:30", 19800),
    ("2024-01-01T12:00:00+05:3", 18180), ("2024-01-01T12:00:00+05:", 18000),
    ("2024-01-01T12:00:00+5:", 18000), ("2024-01-01T12:00:00+23:59", 86340),
    ("2024-01-01T12:00:00-23:59", -86340), ("2024-01-01T12:00:00-00:00", 0),
    ("2024-01-01T12:00:00.123456789-08:00", -28800),
    ("2147483647-12-31T23:30:00+01:00", 3600),
])
def test_accepted_offsets(text, seconds):
    assert parse(text).offset.as_seconds() == seconds


@pytest.mark.parametrize("text", [
    "", "2024-01-01", "2024-01-01T12:00:00", "2024-01-01t12:00:00Z", "2024-01-01 T12:00:00Z",
    "2024-01-01T12:00:00 Z", "2024-01-01T12:00:00+01:00Z", "2024-01-01T12:00-05:00",
    "2024-01-01T24:00:00Z", "2024-01-01T12:00:60Z", "2024-01-01T12:00:00.1234567890Z",
    "2024-01-01T12:00:00+", "2024-01-01T12:00:00+5", "2024-01-01T12:00:00+123",
    "2024-01-01T12:00:00+123456", "2024-01-01T12:00:00+05:30:00", "2024-01-01T12:00:00+005:30",
    "2024-01-01T12:00:00+:30", "2024-01-01T12:00:00+24:00", "2024-01-01T12:00:00+23:60",
    "2024-01-01T12:00:00+0５:30", "2024-01-01T12:00:00UTC", "2147483647-12-31T23:30:00-01:00",
    "\u200b2024-01-01T12:00:00Z", "2024-01-01T12:00:00Z\ufeff", "2024-01-01T12:00:00\xa0Z",
])
def test_refused(text):
    with pytest.raises(ValueError) as info:
        parse(text)
    assert info.value.args == (f"Invalid offset datetime string {text!r}. {EXPECTED}",)


@pytest.mark.parametrize("ws", list(WHITE_SPACE))
def test_white_space_trimmed_at_both_ends(ws):
    expected = parse("2024-01-01T12:00:00+05:30")
    assert parse(ws + "2024-01-01T12:00:00+05:30") == expected
    assert parse("2024-01-01T12:00:00+05:30" + ws * 2) == expected
    assert parse(WHITE_SPACE + ws + "2024-01-01T12:00:00+05:30" + ws + WHITE_SPACE) == expected


def test_error_message_quotes_input_untrimmed_and_whole():
    for text in [" abc ", "x\x00\n\u2028'", "y" * 300, "\t2024-01-01T12:00:00+24:00 "]:
        with pytest.raises(ValueError, match=re.escape(f"string {text!r}. Expected")):
            parse(text)
    with pytest.raises(ValueError) as info:
        parse("abc")
    assert str(info.value) == f"Invalid offset datetime string 'abc'. {EXPECTED}"
    with pytest.raises(TypeError, match="'bytes' object is not an instance of 'str'") as info:
        parse(b"2024-01-01T12:00:00Z")
    assert info.value.__notes__ == ["while processing 's'"]


# ---- round trips ----


@settings(max_examples=300)
@given(st.integers(Date(INT32_MIN, 1, 2).days_since_unix_epoch() * 86400,
                   Date(INT32_MAX, 12, 30).days_since_unix_epoch() * 86400),
       st.integers(0, 10**9 - 1), offsets_minutes)
def test_round_trip_whole_range(secs, ns, off):
    x = OffsetDateTime.from_utc(DateTime.from_unix_timestamp(secs, ns), offset(off))
    assert parse(str(x)) == x
    assert eval(repr(x)) == x
    assert hash(parse(str(x))) == hash(x)


# ---- range ends ----


@pytest.mark.parametrize("x", [
    odt_from_utc(INT32_MAX, 12, 31, 23, 30, off=3600),
    odt_from_utc(INT32_MAX, 12, 31, 23, 59, 59, 999999999, off=1),
    odt_from_utc(INT32_MIN, 1, 1, 0, 30, off=-3600),
    odt_from_utc(INT32_MIN, 1, 1, off=-86400),
])
def test_local_time_out_of_range(x):
    for call in (str, repr):
        with pytest.raises(ValueError) as info:
            call(x)
        assert info.value.args == (OUT_OF_RANGE,)
    with pytest.raises(ValueError, match="^Local datetime out of range: OutOfRange$"):
        x.to_local()
    same = OffsetDateTime.from_utc(x.utc, offset(0))
    assert x.unix_timestamp() == same.unix_timestamp()
    assert x != same and x <= same and x >= same and not x < same
    assert hash(x) == hash(OffsetDateTime.from_utc(x.utc, x.offset))
    assert x.difference(same) == Duration.seconds(0)


@pytest.mark.parametrize("text", [
    "2147483647-12-31T23:59:59.999999999+23:59", "2147483647-12-31T00:00:00-23:59",
    "-2147483648-01-01T00:00:00-23:59", "-2147483648-01-01T23:59:59+23:59",
])
def test_near_range_ends(text):
    x = parse(text)
    assert str(x) == text
    assert eval(repr(x)) == x


def test_range_errors():
    with pytest.raises(ValueError, match="^Invalid local datetime: OutOfRange$"):
        OffsetDateTime.from_local(Date(INT32_MAX, 12, 31), Time(23, 30, 0), offset(-3600))
    last = parse("2147483647-12-31T23:59:59.999999999Z")
    with pytest.raises(ValueError, match="^DateTime out of range: OutOfRange$"):
        last.add_duration(Duration.nanoseconds(1))
    with pytest.raises(ValueError, match="^DateTime out of range: OutOfRange$"):
        last.add_duration(Duration.nanoseconds(-(2**127)))
    assert str(last) == "2147483647-12-31T23:59:59.999999999Z"


# ---- class members ----


def test_examples_and_hash_values():
    x = OffsetDateTime.from_utc(DateTime(Date(2024, 1, 1), Time(12, 0, 0)),
                                UtcOffset.from_hours_minutes(True, 5, 30))
    assert (str(x), str(x.utc), str(x.to_local())) == (
        "2024-01-01T17:30:00+05:30", "2024-01-01T12:00:00Z", "2024-01-01T17:30:00Z")
    assert repr(parse("2024-01-01T12:00:00-00:00")) == (
        "OffsetDateTime.parse('2024-01-01T12:00:00Z')")
    assert hash(parse("2024-01-01T12:00:00Z")) == 5973037193301466340
    assert hash(parse("2024-01-01T17:30:00+05:30")) == 670535729267145644
    assert parse("1970-01-01T05:00:00.000000001+05:00").unix_timestamp_nanos() == 1
    assert str(odt_from_utc(2024, 1, 1, 12, off=-59)) == "2024-01-01T11:59:01-00:00:59"
    assert x.add_duration(dur=Duration.seconds(60)).offset == x.offset


def test_other_types():
    x = parse("2024-01-01T12:00:00Z")
    assert (x == x.utc) is False and (x != x.utc) is True
    with pytest.raises(TypeError):
        x < x.utc  # noqa: B015
    with pytest.raises(TypeError, match="'Date' object is not an instance of 'DateTime'") as info:
        OffsetDateTime.from_utc(Date(2024, 1, 1), offset(0))
    assert info.value.__notes__ == ["while processing 'utc'"]
    with pytest.raises(TypeError):
        OffsetDateTime()


@pytest.mark.parametrize("name, signature, first_line", [
    ("from_utc", "($cls, utc, offset)", "Create an OffsetDateTime from a UTC DateTime and offset."),
    ("from_local", "($cls, date, time, offset)",
     "Create an OffsetDateTime from local date, time, and offset."),
    ("to_local", "($self)", "Convert to local DateTime."),
    ("unix_timestamp", "($self)", "Get Unix timestamp (seconds since Unix epoch)."),
    ("unix_timestamp_nanos", "($self)", "Get Unix timestamp in nanoseconds."),
    ("add_duration", "($self, dur)", "Add a duration."),
    ("difference", "($self, other)", "Calculate the difference between two OffsetDateTimes."),
    ("parse", "($cls, s)", "Parse an OffsetDateTime from RFC 3339 format."),
])
def test_signatures(name, signature, first_line):
    member = getattr(OffsetDateTime, name)
    assert member.__text_signature__ == signature
    assert member.__doc__.split("\n")[0] == first_line


def test_docstrings():
    assert OffsetDateTime.offset.__doc__ is None and OffsetDateTime.utc.__doc__ is None
    assert OffsetDateTime.parse.__doc__ == (
        "Parse an OffsetDateTime from RFC 3339 format.\n\nArgs:\n    s: The string to parse.\n\n"
        "Returns:\n    OffsetDateTime: A new OffsetDateTime instance.\n\n"
        "Raises:\n    ValueError: If the string is not valid.")
