# SPDX-License-Identifier: MIT
import re
import struct
from datetime import datetime, timedelta, timezone

import pytest
from hypothesis import given, settings, strategies as st

from chronexa import Date, DateTime, Duration, OffsetDateTime, Time, UtcOffset

parse, UTC, SECOND = OffsetDateTime.parse, timezone.utc, timedelta(seconds=1)
EPOCH, US = datetime(1970, 1, 1, tzinfo=UTC), timedelta(microseconds=1)
FIRST = DateTime(Date(-(2**31), 1, 1), Time(0, 0, 0))
LAST = DateTime(Date(2**31 - 1, 12, 31), Time(23, 59, 59, 999999999))
NOON, OUT = parse("2024-01-01T12:00:00Z"), OffsetDateTime.from_utc(LAST, UtcOffset.from_seconds(1))
awares = st.datetimes(datetime(2, 1, 1), datetime(9998, 12, 31), timezones=st.one_of(
    st.sampled_from([0, 19800]), st.integers(-1439, 1439).map(lambda m: m * 60),
    st.integers(-86399, 86399)).map(lambda s: timezone(s * SECOND)))


def ours(a):  # built from the local fields of an aware datetime
    return OffsetDateTime.from_local(Date(a.year, a.month, a.day), Time(a.hour, a.minute, a.second,
        a.microsecond * 1000), UtcOffset.from_seconds(a.utcoffset() // SECOND))


def text_of(a):  # isoformat() with offset seconds, no trailing zeros, "Z" for a zero offset
    text = re.sub(r"(\.\d*[1-9])0+(?=[+-])", r"\1", a.isoformat())
    return text[:-6] + "Z" if text.endswith("+00:00") else text


def siphash13(data):  # SipHash-1-3 with a zero key: an independent oracle for the hash values
    v = [0x736F6D6570736575, 0x646F72616E646F6D, 0x6C7967656E657261, 0x7465646279746573]

    def sipround(rotl=lambda x, b: (x << b | x >> (64 - b)) % 2**64):
        for a, b, s, t in ((0, 1, 13, 32), (2, 3, 16, 0), (0, 3, 21, 0), (2, 1, 17, 32)):
            v[a] = (v[a] + v[b]) % 2**64; v[b] = rotl(v[b], s) ^ v[a]; v[a] = rotl(v[a], t)

    full = len(data) - len(data) % 8  # then the rest, zero padded, with the length in the top byte
    tail = data[full:].ljust(7, b"\0") + bytes([len(data) % 256])
    for (m,) in struct.iter_unpack("<Q", data[:full] + tail):
        v[3] ^= m; sipround(); v[0] ^= m
    v[2] ^= 0xFF
    for _ in range(3):
        sipround()
    h = min(v[0] ^ v[1] ^ v[2] ^ v[3], 2**64 - 2)
    return h - 2**64 if h >= 2**63 else h


@settings(max_examples=1000)
@given(awares, awares, st.booleans(), st.sampled_from("T "), st.one_of(
    st.integers(-86400 * 10**6 - 5, 86400 * 10**6 + 5), st.integers(-(10**13), 10**13)))
def test_against_aware_datetime(a, b, same_instant, sep, us):
    x, b = ours(a), a.astimezone(b.tzinfo) if same_instant else b
    assert (str(x), str(x.utc), str(x.to_local())) == (
        text_of(a), text_of(a.astimezone(UTC)), text_of(a.replace(tzinfo=UTC)))
    assert x.unix_timestamp_nanos() == (a - EPOCH) // US * 1000
    u = x.utc  # negative offsets fill the offset field's high bytes, which straddle two words
    assert hash(x) == siphash13(struct.pack("<i5BIi", u.date.year, u.date.month, u.date.day,
        u.time.hour, u.time.minute, u.time.second, u.time.nanosecond, x.offset.as_seconds()))
    if a.second == a.astimezone(UTC).second:  # an offset in whole minutes
        assert parse(a.isoformat(sep)) == ours(datetime.fromisoformat(a.isoformat(sep)))
    assert x.add_duration(Duration.microseconds(us)) == ours(a + us * US)
    y, eq = ours(b), a == b and a.utcoffset() == b.utcoffset()  # ordered by the instant alone
    assert (x < y, x <= y, x > y, x >= y, x == y) == (a < b, a <= b, a > b, a >= b, eq)
    assert (x != y) is not eq and (hash(x) == hash(y) or not eq)
    assert x.difference(y).total_nanos() == (a - b) // US * 1000


@settings(max_examples=300)
@given(st.integers(FIRST.unix_timestamp() + 86400, LAST.unix_timestamp() - 86400),
       st.integers(0, 10**9 - 1), st.integers(-1439, 1439).map(lambda m: 60 * m))
def test_round_trip_whole_range(secs, ns, off):
    x = OffsetDateTime.from_utc(DateTime.from_unix_timestamp(secs, ns), UtcOffset.from_seconds(off))
    assert parse(str(x)) == x and eval(repr(x)) == x and hash(parse(str(x))) == hash(x)


# Accepted texts with their offset (White_Space trimmed at either end); refused ones (None). Each
# offset follows the direct read ("T"), the general rules (" ") and a long form of the local time.
@pytest.mark.parametrize("text, seconds", [
    *((local + offset, s) for local in ["2024-01-01T12:00:00", "2024-01-01 12:00:00",
                                         "+2024-1-1T12:0:0.0"]
      for offset, s in [("Z", 0), ("z", 0), ("-00:00", 0), ("-0000", 0), ("+05:30", 19800),
        ("+0530", 19800), ("-0530", -19800), ("+05", 18000), ("+5:30", 19800), ("+05:3", 18180),
        ("+05:", 18000), ("+23:59", 86340), ("-23:59", -86340), *((o, None) for o in [
            "", " Z", "+01:00Z", "UTC", "+", "+5", "+123", "+05:30:00", "+005:30", "+:30",
            "+05:000", "+24:00", "+23:60", "+2400", "+0a:00", "+05:3a", "+05 \u200b", "+0\uff15:30",
            "\xa0Z", "Z\ufeff"])]),
    ("\t\n\v\f\r \x85\xa0\u1680\u2028\u2029\u202f\u205f\u3000" + "2024-01-01 12:00:00.5-01:00"
     + "".join(map(chr, range(0x2000, 0x200B))), -3600), ("", None),
    ("2147483647-12-31T23:59:59.999999999+23:59", 86340), ("\u200b2024-01-01T12:00:00Z", None),
    ("-2147483648-01-01T00:00:00-23:59", -86340), ("2147483647-12-31T23:30:00-01:00", None),
    ("x\x00\n\u2028'", None), ("y" * 300, None)])
def test_parse_shapes_and_messages(text, seconds):
    try:
        x = parse(text)
    except ValueError as e:
        msg = "Expected RFC 3339 format: YYYY-MM-DDTHH:MM:SS[.fffffffff][Z|\u00b1HH:MM]"
        assert seconds is None and e.args == (f"Invalid offset datetime string {text!r}. {msg}",)
    else:
        assert x.offset.as_seconds() == seconds and eval(repr(x)) == x


# A ValueError with its message, never PanicException.
@pytest.mark.parametrize("call, message", [
    (lambda: str(OUT), "OffsetDateTime local representation out of range: OutOfRange"),
    (OUT.to_local, "Local datetime out of range: OutOfRange"),
    *((lambda e=e, s=s: OffsetDateTime.from_local(e.date, e.time, UtcOffset.from_seconds(s)),
       "Invalid local datetime: OutOfRange") for e, s in [(LAST, -1), (FIRST, 1)]),
    (lambda: NOON.add_duration(Duration.nanoseconds(-(2**127))),
     "DateTime out of range: OutOfRange")])
def test_errors(call, message):
    with pytest.raises(ValueError) as info:
        call()
    assert info.value.args == (message,) and not hasattr(info.value, "__notes__")


def test_text_of_every_quarter_hour_offset():
    # Quarter-hour offsets take their own path through the text when the local time is on the UTC
    # day in a year of four digits: each must read as UtcOffset's text (another writer) after the
    # local time, and a zero offset as "Z", on both sides of that path's bounds.
    for utc in [NOON.utc, *map(DateTime.parse, ["9999-12-31T23:50:00.5Z", "10000-01-01T00:10:00Z",
                                                 "0000-01-01T00:05:00Z"])]:
        for q in range(-96, 97):
            x = OffsetDateTime.from_utc(utc, UtcOffset.from_seconds(q * 900))
            assert str(x) == str(x.to_local())[:-1] + (str(x.offset) if q else "Z")


def test_examples_hash_values_and_local_time_out_of_range():
    x = OffsetDateTime.from_utc(NOON.utc, UtcOffset.from_hours_minutes(True, 5, 30))
    assert (str(x), str(x.utc), str(x.to_local()), repr(parse("2024-01-01T12:00:00-00:00"))) == (
        "2024-01-01T17:30:00+05:30", "2024-01-01T12:00:00Z", "2024-01-01T17:30:00Z",
        "OffsetDateTime.parse('2024-01-01T12:00:00Z')")
    assert (hash(NOON), hash(x), hash(parse("2024-01-01T12:00:00-05:00"))) == (
        5973037193301466340, 670535729267145644, 1823082830197036667)
    edge = DateTime(LAST.date, Time(23, 30, 0))
    assert repr(OffsetDateTime.from_utc(edge, UtcOffset.from_seconds(3600))) == (
        "OffsetDateTime.from_utc(DateTime.parse('2147483647-12-31T23:30:00Z'), "
        "UtcOffset.from_seconds(3600))")
    for utc, off in [(LAST, 1), (LAST, 86400), (FIRST, -1), (FIRST, -86400)]:
        x, same = (OffsetDateTime.from_utc(utc, UtcOffset.from_seconds(s)) for s in (off, 0))
        assert repr(x) == f"OffsetDateTime.from_utc({utc!r}, {x.offset!r})" and eval(repr(x)) == x
        assert x != same and x <= same and x >= same and not x < same  # the instant still works
        assert x.difference(same).total_nanos() == 0 and x.unix_timestamp() == same.unix_timestamp()


# The repr evaluates back: the parse form where the parser takes the text back (whole minutes,
# under a day), the from_utc form for offsets with seconds (local mean times) and for +-24:00.
@pytest.mark.parametrize("seconds, parse_form", [
    (0, True), (-60, True), (86340, True), (-86340, True), (1172, False), (-59, False),
    (86400, False), (-86400, False), (86399, False)])
def test_repr_evaluates_back(seconds, parse_form):
    x = OffsetDateTime.from_utc(NOON.utc, UtcOffset.from_seconds(seconds))
    assert eval(repr(x)) == x and repr(x).startswith("OffsetDateTime.parse(") == parse_form
