# SPDX-License-Identifier: MIT
"""Date and Weekday: the standard library's datetime.date as oracle for years
1 to 9999, a plain floor-division calendar for the whole 32-bit year range."""
import datetime
import operator
import re
import struct

import pytest
from hypothesis import given, settings
from hypothesis import strategies as st

from chronexa import Date, Weekday

INT32_MIN, INT32_MAX = -(2**31), 2**31 - 1
MIN_DAYS, MAX_DAYS = -784353015833, 784351576776
UNIX_ORDINAL = datetime.date(1970, 1, 1).toordinal()  # 719163
NAMES = ["Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"]
MEMBERS = ["MONDAY", "TUESDAY", "WEDNESDAY", "THURSDAY", "FRIDAY", "SATURDAY", "SUNDAY"]


# ---- independent oracles ----


def is_leap(y):
    return y % 4 == 0 and (y % 100 != 0 or y % 400 == 0)


def month_length(y, m):
    return 29 if m == 2 and is_leap(y) else [31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31][m - 1]


def leaps_before(y):
    return (y - 1) // 4 - (y - 1) // 100 + (y - 1) // 400


def ref_days(y, m, d):
    """Days from 1970-01-01, from whole years, leap days and month lengths."""
    before = sum(month_length(y, k) for k in range(1, m))
    return 365 * (y - 1970) + leaps_before(y) - leaps_before(1970) + before + d - 1


def siphash13(data):
    """SipHash-1-3 with the zero key, as a Python hash (never -1)."""
    mask = 2**64 - 1

    def rotl(x, b):
        return ((x << b) | (x >> (64 - b))) & mask

    v = [0x736F6D6570736575, 0x646F72616E646F6D, 0x6C7967656E657261, 0x7465646279746573]

    def sipround():
        v[0] = (v[0] + v[1]) & mask; v[1] = rotl(v[1], 13) ^ v[0]; v[0] = rotl(v[0], 32)
        v[2] = (v[2] + v[3]) & mask; v[3] = rotl(v[3], 16) ^ v[2]
        v[0] = (v[0] + v[3]) & mask; v[3] = rotl(v[3], 21) ^ v[0]
        v[2] = (v[2] + v[1]) & mask; v[1] = rotl(v[1], 17) ^ v[2]; v[2] = rotl(v[2], 32)

    tail = len(data) % 8
    blocks = [int.from_bytes(data[i:i + 8], "little") for i in range(0, len(data) - tail, 8)]
    blocks.append(int.from_bytes(data[len(data) - tail:], "little") | (len(data) & 0xFF) << 56)
    for m in blocks:
        v[3] ^= m
        sipround()
        v[0] ^= m
    v[2] ^= 0xFF
    for _ in range(3):
        sipround()
    h = v[0] ^ v[1] ^ v[2] ^ v[3]
    h = min(h, 2**64 - 2)
    return h - 2**64 if h >= 2**63 else h


DATE_TEXT = re.compile(r"([+-]?[0-9]+)-([0-9]+)-([0-9]+)")


def ref_parse(text):
    """The accepted grammar, as a regular expression plus range checks."""
    m = DATE_TEXT.fullmatch(text)
    if m is None:
        return None
    y, mo, d = (int(g) for g in m.groups())
    if not (INT32_MIN <= y <= INT32_MAX and 1 <= mo <= 12 and 1 <= d <= month_length(y, mo)):
        return None
    return (y, mo, d)


def fields(d):
    return (d.year, d.month, d.day)


years = st.integers(INT32_MIN, INT32_MAX)


@st.composite
def any_date(draw):
    y = draw(st.one_of(years, st.integers(-3000, 3000)))
    m = draw(st.integers(1, 12))
    return (y, m, draw(st.integers(1, month_length(y, m))))


# ---- against datetime.date, years 1 to 9999 ----


@settings(max_examples=400)
@given(st.dates())
def test_agrees_with_datetime(pd):
    d = Date(pd.year, pd.month, pd.day)
    assert fields(d) == (pd.year, pd.month, pd.day)
    days = pd.toordinal() - UNIX_ORDINAL
    assert d.days_since_unix_epoch() == days
    assert Date.from_days_since_unix_epoch(days) == d
    assert d.weekday().number_from_monday() == pd.isoweekday()
    assert str(d.weekday()) == NAMES[pd.weekday()]
    assert d.ordinal() == pd.timetuple().tm_yday
    assert str(d) == pd.isoformat()
    assert Date.parse(pd.isoformat()) == d
    assert repr(d) == f"Date(year={pd.year}, month={pd.month}, day={pd.day})"


@settings(max_examples=300)
@given(st.dates(), st.integers(-4_000_000, 4_000_000))
def test_add_days_agrees_with_timedelta(pd, n):
    try:
        expected = pd + datetime.timedelta(days=n)
    except OverflowError:  # outside datetime's years; the whole-range test covers those
        return
    got = Date(pd.year, pd.month, pd.day).add_days(n)
    assert fields(got) == (expected.year, expected.month, expected.day)


# ---- the whole 32-bit year range ----


@settings(max_examples=500)
@given(any_date())
def test_whole_range(ymd):
    y, m, dd = ymd
    d = Date(y, m, dd)
    days = ref_days(y, m, dd)
    assert d.days_since_unix_epoch() == days
    assert fields(Date.from_days_since_unix_epoch(days)) == ymd
    assert d.ordinal() == days - ref_days(y, 1, 1) + 1
    assert d.weekday().number_from_monday() == (days + 3) % 7 + 1
    text = f"{y:04d}-{m:02d}-{dd:02d}"  # the sign counts towards the four characters
    assert str(d) == text
    assert Date.parse(text) == d
    assert eval(repr(d), {"Date": Date}) == d
    assert hash(d) == siphash13(struct.pack("<iBB", y, m, dd))


@settings(max_examples=300)
@given(st.integers(MIN_DAYS, MAX_DAYS), st.integers(-(2**63), 2**63 - 1))
def test_add_days_whole_range(start, n):
    d = Date.from_days_since_unix_epoch(start)
    if MIN_DAYS <= start + n <= MAX_DAYS:
        assert d.add_days(n).days_since_unix_epoch() == start + n
    else:
        with pytest.raises(ValueError, match="^Date out of range: OutOfRange$"):
            d.add_days(n)


@settings(max_examples=300)
@given(any_date(), any_date())
def test_ordering_follows_day_count(a, b):
    da, db = Date(*a), Date(*b)
    ka, kb = ref_days(*a), ref_days(*b)
    assert (da < db, da <= db, da == db, da != db, da > db, da >= db) == (
        ka < kb, ka <= kb, ka == kb, ka != kb, ka > kb, ka >= kb)
    if da == db:
        assert hash(da) == hash(db)


date_like_text = st.one_of(
    st.text(alphabet="0123456789+-", max_size=24),
    st.builds(
        lambda s, y, m, d, sep: f"{s}{y}{sep}{m}{sep}{d}",
        st.sampled_from(["", "+", "-", "--", "+-"]),
        st.one_of(st.integers(0, 2**32).map(str), st.from_regex(r"0*[0-9]{1,11}", fullmatch=True)),
        st.from_regex(r"[0-9]{0,4}", fullmatch=True),
        st.from_regex(r"[0-9]{0,4}", fullmatch=True),
        st.sampled_from(["-", "-", "-", "/", "--"]),
    ),
    st.text(max_size=12),
)


@settings(max_examples=300)
@given(date_like_text)
def test_parse_agrees_with_grammar(text):
    expected = ref_parse(text)
    if expected is None:
        with pytest.raises(ValueError, match="^Invalid date string: InvalidDate$"):
            Date.parse(text)
    else:
        assert fields(Date.parse(text)) == expected


# ---- tables ----


@pytest.mark.parametrize("ymd", [(2024, 2, 29), (0, 2, 29), (-4, 2, 29), (2000, 2, 29),
                                 (INT32_MIN, 1, 1), (INT32_MAX, 12, 31), (2024, 4, 30)])
def test_constructs(ymd):
    assert fields(Date(*ymd)) == ymd


@pytest.mark.parametrize("ymd", [(2023, 2, 29), (1900, 2, 29), (-100, 2, 29), (2024, 2, 30),
                                 (2024, 13, 1), (2024, 0, 1), (2024, 1, 0), (2024, 4, 31),
                                 (2024, 1, 32), (2024, 255, 1), (2024, 1, 255)])
def test_constructor_refuses(ymd):
    with pytest.raises(ValueError, match="^Invalid date: InvalidDate$") as info:
        Date(*ymd)
    assert info.value.args == ("Invalid date: InvalidDate",)


@pytest.mark.parametrize(("text", "ymd"), [
    ("2024-1-5", (2024, 1, 5)),
    ("+2024-01-05", (2024, 1, 5)),
    ("002024-01-05", (2024, 1, 5)),
    ("2024-001-0005", (2024, 1, 5)),
    ("-0005-01-01", (-5, 1, 1)),
    ("-2147483648-01-01", (INT32_MIN, 1, 1)),
    ("2147483647-12-31", (INT32_MAX, 12, 31)),
])
def test_parse_accepts(text, ymd):
    assert fields(Date.parse(text)) == ymd
    assert fields(Date.parse(s=text)) == ymd
    assert fields(Date.parse(type("S", (str,), {})(text))) == ymd  # str subclasses too


@pytest.mark.parametrize("text", [
    "", " 2024-01-05", "2024-01-05 ", "2024/01/05", "20240105", "2024--01-01", "2024-01-05T00",
    "2024-02-30", "2023-02-29", "2024-00-10", "2024-13-01", "2024-01-32", "2147483648-01-01",
    "-", "+", "--1-1", "2024-01-05\x00", "\uff12024-01-05", "2024-01-05\n", "2024-1-\u0665",
])
def test_parse_refuses(text):
    with pytest.raises(ValueError, match="^Invalid date string: InvalidDate$"):
        Date.parse(text)


@pytest.mark.parametrize(("days", "ymd"), [
    (0, (1970, 1, 1)), (-1, (1969, 12, 31)), (19782, (2024, 2, 29)), (-719529, (-1, 12, 31)),
    (MAX_DAYS, (INT32_MAX, 12, 31)), (MIN_DAYS, (INT32_MIN, 1, 1)),
])
def test_day_count_examples(days, ymd):
    assert fields(Date.from_days_since_unix_epoch(days)) == ymd
    assert fields(Date.from_days_since_unix_epoch(days=days)) == ymd
    assert Date(*ymd).days_since_unix_epoch() == days


@pytest.mark.parametrize("days", [MAX_DAYS + 1, MIN_DAYS - 1, 2**63 - 1, -(2**63),
                                  690527217032721, 690527217032722])
def test_day_count_out_of_range(days):
    with pytest.raises(ValueError, match="^Invalid date: OutOfRange$"):
        Date.from_days_since_unix_epoch(days)


@pytest.mark.parametrize(("ymd", "n", "result"), [
    ((1970, 1, 1), -1, (1969, 12, 31)),
    ((2024, 2, 28), 1, (2024, 2, 29)),
    ((2024, 1, 5), 0, (2024, 1, 5)),
    ((INT32_MIN, 1, 1), MAX_DAYS - MIN_DAYS, (INT32_MAX, 12, 31)),
    ((INT32_MAX, 12, 31), 1, None),
    ((INT32_MIN, 1, 1), -1, None),
    ((2024, 1, 1), 2**63 - 1, None),
    ((2024, 1, 1), -(2**63), None),
    ((INT32_MIN, 1, 1), -(2**63), None),
])
def test_add_days(ymd, n, result):
    d = Date(*ymd)
    if result is None:
        with pytest.raises(ValueError, match="^Date out of range: OutOfRange$"):
            d.add_days(n)
    else:
        assert fields(d.add_days(n)) == result
        assert fields(d.add_days(days=n)) == result
    assert fields(d) == ymd  # the receiver never changes


@pytest.mark.parametrize(("ymd", "text", "rep"), [
    ((2024, 1, 5), "2024-01-05", "Date(year=2024, month=1, day=5)"),
    ((5, 3, 1), "0005-03-01", "Date(year=5, month=3, day=1)"),
    ((0, 1, 1), "0000-01-01", "Date(year=0, month=1, day=1)"),
    ((-5, 1, 1), "-005-01-01", "Date(year=-5, month=1, day=1)"),
    ((-12345, 6, 7), "-12345-06-07", "Date(year=-12345, month=6, day=7)"),
    ((12345, 6, 7), "12345-06-07", "Date(year=12345, month=6, day=7)"),
    ((INT32_MAX, 12, 31), "2147483647-12-31", "Date(year=2147483647, month=12, day=31)"),
    ((INT32_MIN, 1, 1), "-2147483648-01-01", "Date(year=-2147483648, month=1, day=1)"),
    ((INT32_MIN, 12, 31), "-2147483648-12-31", "Date(year=-2147483648, month=12, day=31)"),
])
def test_text_forms(ymd, text, rep):
    assert str(Date(*ymd)) == text
    assert repr(Date(*ymd)) == rep


@pytest.mark.parametrize(("ymd", "expected"), [
    ((2024, 1, 1), 6759074801208699987),
    ((1970, 1, 1), 9077067354564779974),
    ((-5, 1, 1), -7786355028771596447),
])
def test_published_hashes(ymd, expected):
    assert hash(Date(*ymd)) == expected
    assert siphash13(struct.pack("<iBB", *ymd)) == expected


def test_properties_are_plain_ints():
    d = Date(-5, 12, 31)
    assert [type(x) for x in fields(d)] == [int, int, int]
    assert type(d.days_since_unix_epoch()) is int and type(d.ordinal()) is int


@pytest.mark.parametrize("other", [5, None, "2024-01-01", datetime.date(2024, 1, 1), (2024, 1, 1),
                                   Weekday.MONDAY, 1.5])
def test_comparison_with_other_types(other):
    d = Date(2024, 1, 1)
    assert (d == other) is False and (other == d) is False
    assert (d != other) is True and (other != d) is True
    for op in (operator.lt, operator.le, operator.gt, operator.ge):
        with pytest.raises(TypeError, match="not supported between instances"):
            op(d, other)
        with pytest.raises(TypeError, match="not supported between instances"):
            op(other, d)
    assert Date.__eq__(d, other) is NotImplemented
    assert Date.__lt__(d, other) is NotImplemented


# ---- method documentation ----


def doc(summary, args=None, returns=None, raises=None):
    text = summary
    for title, entry in (("Args", args), ("Returns", returns), ("Raises", raises)):
        if entry is not None:
            text += f"\n\n{title}:\n    {entry}"
    return text


@pytest.mark.parametrize(("member", "signature", "body"), [
    (Date.parse, "($cls, s)", doc("Parse a date from ISO format (YYYY-MM-DD).",
                                  "s: The string to parse.", "Date: A new Date instance.",
                                  "ValueError: If the string is not a valid date.")),
    (Date.from_days_since_unix_epoch, "($cls, days)",
     doc("Create a Date from days since Unix epoch (1970-01-01).", "days: Days since Unix epoch.",
         "Date: A new Date instance.", "ValueError: If the date is out of range.")),
    (Date.days_since_unix_epoch, "($self)", "Convert to days since Unix epoch (1970-01-01)."),
    (Date.weekday, "($self)", "Get the weekday."),
    (Date.ordinal, "($self)", "Get the day of the year (1-366)."),
    (Date.add_days, "($self, days)",
     doc("Add days to the date.", "days: Number of days to add (can be negative).",
         "Date: A new Date instance.", "ValueError: If the resulting date is out of range.")),
    (Weekday.number_from_monday, "($self)", "Get the weekday number from Monday (1-7)."),
])
def test_method_docs(member, signature, body):
    assert member.__text_signature__ == signature
    assert member.__doc__ == body


def test_properties_have_no_doc():
    for name in ("year", "month", "day"):
        assert Date.__dict__[name].__doc__ is None


# ---- Weekday ----


@pytest.mark.parametrize("value", range(7))
def test_weekday_members(value):
    w = getattr(Weekday, MEMBERS[value])
    assert str(w) == repr(w) == NAMES[value]
    assert w.number_from_monday() == value + 1
    assert type(w) is Weekday
    assert getattr(Weekday, MEMBERS[value]) is w


def test_weekday_members_in_order():
    assert [k for k in Weekday.__dict__ if k.isupper()] == MEMBERS


def test_weekday_of_date():
    w = Date(1970, 1, 1).weekday()
    assert str(w) == "Thursday" and w.number_from_monday() == 4


def test_weekday_returns_the_canonical_members():
    for offset, member in enumerate(MEMBERS):  # 2024-01-01 was a Monday
        assert Date(2024, 1, 1 + offset).weekday() is getattr(Weekday, member)
    assert Date(2024, 1, 1).weekday() == Weekday.MONDAY
    assert Date(2024, 1, 1).weekday() != Weekday.TUESDAY


def test_rebinding_a_member_does_not_change_weekday():
    monday = Weekday.MONDAY
    try:
        Weekday.MONDAY = "changed"
        assert Date(2024, 1, 1).weekday() is monday
    finally:
        Weekday.MONDAY = monday
    assert Weekday.MONDAY is monday


def test_weekday_identity_semantics():
    assert Weekday.__eq__ is object.__eq__ and Weekday.__hash__ is object.__hash__
    assert hash(Weekday.MONDAY) == object.__hash__(Weekday.MONDAY)
    assert Weekday.MONDAY == Weekday.MONDAY and Weekday.MONDAY != Weekday.SUNDAY
    assert len({Date(2024, 1, k).weekday() for k in range(1, 15)}) == 7
    with pytest.raises(TypeError):
        Weekday.MONDAY < Weekday.TUESDAY  # noqa: B015
