# SPDX-License-Identifier: MIT
"""Date and Weekday against datetime.date, an oracle for every 32-bit year: the calendar
repeats every 400 years (146097 days, whole weeks), so years shift into datetime's range."""
import calendar
import datetime
import operator
import re

import pytest
from hypothesis import example, given, settings
from hypothesis import strategies as st

from chronexa import Date, Weekday

INT32_MIN, INT32_MAX = -(2**31), 2**31 - 1
I64_MIN, I64_MAX = -(2**63), 2**63 - 1
fields = operator.attrgetter("year", "month", "day")
COMPARISONS = (operator.lt, operator.le, operator.eq, operator.ne, operator.gt, operator.ge)


def oracle(y, m, d):
    """datetime.date of the same day 400*k years away, and the day count of (y, m, d)."""
    k = 0 if 1 <= y <= 9999 else (y - 2000) // 400
    p = datetime.date(y - 400 * k, m, d)
    return p, (p - datetime.date(1970, 1, 1)).days + 146097 * k


MIN_DAYS, MAX_DAYS = oracle(INT32_MIN, 1, 1)[1], oracle(INT32_MAX, 12, 31)[1]
years = st.one_of(st.integers(INT32_MIN, INT32_MAX), st.integers(-1100, 10100))
ymds = years.flatmap(lambda y: st.integers(1, 12).flatmap(
    lambda m: st.tuples(st.just(y), st.just(m), st.integers(1, calendar.monthrange(y, m)[1]))))


@settings(max_examples=600)
@given(ymds, ymds)
@example((INT32_MIN, 1, 1), (INT32_MAX, 12, 31))
def test_agrees_with_datetime(ymd, other):
    (y, m, dd), d, (p, days) = ymd, Date(*ymd), oracle(*ymd)
    assert fields(d) == fields(Date.from_days_since_unix_epoch(days)) == ymd
    assert d.days_since_unix_epoch() == days and d.ordinal() == p.timetuple().tm_yday
    w = d.weekday()
    assert (w.number_from_monday(), str(w)) == (p.isoweekday(), calendar.day_name[p.weekday()])
    text = f"{y:04d}-{m:02d}-{dd:02d}"  # a minus sign counts towards the four characters
    assert str(d) == text and fields(Date.parse(text)) == ymd
    assert repr(d) == f"Date(year={y}, month={m}, day={dd})" and eval(repr(d)) == d
    for op in COMPARISONS:  # ordering follows the day count
        assert op(d, Date(*other)) is op(days, oracle(*other)[1]) and op(d, Date(*ymd)) is op(1, 1)


@settings(max_examples=400)
@given(st.integers(MIN_DAYS, MAX_DAYS), st.integers(I64_MIN, I64_MAX) | st.integers(-9999, 9999))
@example(MIN_DAYS, MAX_DAYS - MIN_DAYS)
@example(MAX_DAYS, 1)
@example(MIN_DAYS, -1)
def test_day_counts_and_add_days(start, n):
    d = Date.from_days_since_unix_epoch(start)
    if MIN_DAYS <= start + n <= MAX_DAYS:
        assert d.add_days(n).days_since_unix_epoch() == start + n
        return
    with pytest.raises(ValueError, match="^Date out of range: OutOfRange$"):
        d.add_days(n)
    if I64_MIN <= start + n <= I64_MAX:
        with pytest.raises(ValueError, match="^Invalid date: OutOfRange$"):
            Date.from_days_since_unix_epoch(start + n)


def check_parse(text, ymd=...):
    if ymd is ...:  # the grammar: a regular expression plus range checks
        m = re.fullmatch(r"([+-]?[0-9]+)-([0-9]+)-([0-9]+)", text)
        y, mo, d = (int(g) for g in m.groups()) if m else (0, 0, 0)
        ok = INT32_MIN <= y <= INT32_MAX and 1 <= mo <= 12 and 1 <= d <= 31
        ymd = (y, mo, d) if ok and d <= calendar.monthrange(y, mo)[1] else None
    if ymd is None:
        with pytest.raises(ValueError, match="^Invalid date string: InvalidDate$"):
            Date.parse(text)
    else:
        assert fields(Date.parse(text)) == ymd


sign, sep = st.sampled_from(["", "+", "-", "--", "+-"]), st.sampled_from("---/")
number = st.integers(0, 2**32).map(str) | st.from_regex(r"0*[0-9]{0,11}", fullmatch=True)
shaped = st.builds("{}{}{}{}{}{}".format, sign, number, sep, number, sep, number)


@settings(max_examples=400)
@given(st.text(alphabet="0123456789+-", max_size=24) | st.text(max_size=12) | shaped)
def test_parse_agrees_with_grammar(text):
    check_parse(text)


@pytest.mark.parametrize(("text", "ymd"), [
    ("+002024-001-0005", (2024, 1, 5)), ("-2147483648-01-01", (INT32_MIN, 1, 1)), ("", None),
    ("2147483648-01-01", None), (" 2024-01-05", None), ("2024-01-05T00", None), ("-1-1", None),
    ("2024-01-05\x00", None), ("\uff12024-01-05", None), ("2024-1-\u0665", None),
])
def test_parse_shapes(text, ymd):
    check_parse(text, ymd)


@pytest.mark.parametrize(("ymd", "expected"), [
    ((2024, 1, 1), 6759074801208699987), ((1970, 1, 1), 9077067354564779974),
    ((-5, 1, 1), -7786355028771596447), ((INT32_MAX, 12, 31), 4465140095717970772),
    ((INT32_MIN, 1, 1), 8099276388444241537),
])
def test_hash_values(ymd, expected):
    assert hash(Date(*ymd)) == expected


@pytest.mark.parametrize("other", [5, "2024-01-01", datetime.date(2024, 1, 1), Weekday.MONDAY])
def test_comparison_with_other_types(other):
    d = Date(2024, 1, 1)
    assert (d == other, other == d, d != other, other != d) == (False, False, True, True)
    assert Date.__eq__(d, other) is NotImplemented and Date.__lt__(d, other) is NotImplemented
    # lt, le, gt, ge each once, sides alternating: every own and reflected slot is reached
    for op, (x, y) in zip(COMPARISONS[:2] + COMPARISONS[4:], [(d, other), (other, d)] * 2):
        with pytest.raises(TypeError, match="not supported between instances"):
            op(x, y)


def doc(summary, arg, error):
    returns = "Date: A new Date instance."
    return f"{summary}\n\nArgs:\n    {arg}\n\nReturns:\n    {returns}\n\nRaises:\n    {error}"


@pytest.mark.parametrize(("member", "signature", "body"), [
    (Date.parse, "($cls, s)",
     doc("Parse a date from ISO format (YYYY-MM-DD).", "s: The string to parse.",
         "ValueError: If the string is not a valid date.")),
    (Date.from_days_since_unix_epoch, "($cls, days)",
     doc("Create a Date from days since Unix epoch (1970-01-01).", "days: Days since Unix epoch.",
         "ValueError: If the date is out of range.")),
    (Date.days_since_unix_epoch, "($self)", "Convert to days since Unix epoch (1970-01-01)."),
    (Date.weekday, "($self)", "Get the weekday."),
    (Date.ordinal, "($self)", "Get the day of the year (1-366)."),
    (Date.add_days, "($self, days)",
     doc("Add days to the date.", "days: Number of days to add (can be negative).",
         "ValueError: If the resulting date is out of range.")),
    (Weekday.number_from_monday, "($self)", "Get the weekday number from Monday (1-7)."),
    (Date.year, None, None), (Date.month, None, None), (Date.day, None, None),
])
def test_docs(member, signature, body):
    assert getattr(member, "__text_signature__", None) == signature and member.__doc__ == body


def test_weekday_members():
    assert [k for k in Weekday.__dict__ if k.isupper()] == [n.upper() for n in calendar.day_name]
    for i, name in enumerate(calendar.day_name):  # 2024-01-01 was a Monday
        w = getattr(Weekday, name.upper())
        assert type(w) is Weekday and str(w) == repr(w) == name and w.number_from_monday() == i + 1
        assert Date(2024, 1, 1 + i).weekday() is w and Date(2024, 1, 8 + i).weekday() is w
    assert Weekday.__eq__ is object.__eq__ and Weekday.__hash__ is object.__hash__
    with pytest.raises(TypeError):
        Weekday.MONDAY < Weekday.TUESDAY  # noqa: B015


def test_rebinding_a_member_does_not_change_weekday():
    monday, Weekday.MONDAY = Weekday.MONDAY, "changed"
    try:
        assert Date(2024, 1, 1).weekday() is monday
    finally:
        Weekday.MONDAY = monday
