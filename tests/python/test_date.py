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


def check_parse(text):  # the grammar: a regular expression plus range checks
    m = re.fullmatch(r"([+-]?[0-9]+)-([0-9]+)-([0-9]+)", text)
    y, mo, d = (int(g) for g in m.groups()) if m else (0, 0, 0)
    ok = INT32_MIN <= y <= INT32_MAX and 1 <= mo <= 12 and 1 <= d <= 31
    if ok and d <= calendar.monthrange(y, mo)[1]:
        assert fields(Date.parse(text)) == (y, mo, d)
    else:
        with pytest.raises(ValueError, match="^Invalid date string: InvalidDate$"):
            Date.parse(text)


sign, sep = st.sampled_from(["", "+", "-", "--", "+-"]), st.sampled_from("---/")
number = st.integers(0, 2**32).map(str) | st.from_regex(r"0*[0-9]{0,11}", fullmatch=True)
shaped = st.builds("{}{}{}{}{}{}".format, sign, number, sep, number, sep, number)


@settings(max_examples=400)
@given(st.text(alphabet="0123456789+-", max_size=24) | st.text(max_size=12) | shaped)
def test_parse_agrees_with_grammar(text):
    check_parse(text)


@pytest.mark.parametrize("text", [
    "+002024-001-0005", "-2147483648-01-01", "-02147483648-1-1", "+000000000002147483647-1-1",
    "-0-1-1", "2024-012-0000000031", "2024-1-5", "", " 2024-01-05", "2024-01-05 ", "2024-01-05T00",
    "-1-1", "2024-01-05\x00", "2024-1\x00-1", "\uff12024-01-05", "2024-1-\u0665", "2024-01-05-",
    "2147483648-01-01", "-2147483649-01-01", "21474836470-01-01", "2024-1-4294967297", "2024-100-1",
    "2024-+1-01", "2024-1-+1", "-+1-1-1", "--1-1", "2024--01-01", "2024/01/05", "20240105",
    "2024-13-01", "2024-00-10", "2024-01-00", "2024-04-31", "2023-02-29", "1900-02-29",
])
def test_parse_shapes(text):
    check_parse(text)


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
    # lt, le, gt, ge each once, sides alternating: every own and reflected slot is reached
    for op, (x, y) in zip(COMPARISONS[:2] + COMPARISONS[4:], [(d, other), (other, d)] * 2):
        with pytest.raises(TypeError, match="not supported between instances"):
            op(x, y)


def test_weekday_members():
    assert [k for k in Weekday.__dict__ if k.isupper()] == [n.upper() for n in calendar.day_name]
    for i, name in enumerate(calendar.day_name):  # 2024-01-01 was a Monday
        w = getattr(Weekday, name.upper())
        assert type(w) is Weekday and str(w) == repr(w) == name and w.number_from_monday() == i + 1
        assert Date(2024, 1, 1 + i).weekday() is w  # the member itself
    assert Weekday.__eq__ is object.__eq__ and Weekday.__hash__ is object.__hash__
    monday, Weekday.MONDAY = Weekday.MONDAY, "changed"  # rebinding a member changes no weekday
    try:
        assert Date(2024, 1, 1).weekday() is monday
    finally:
        Weekday.MONDAY = monday
