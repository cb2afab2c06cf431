# SPDX-License-Identifier: MIT
"""Argument binding and conversion: the exact TypeError texts, the conversion
failures with their notes, and both calling conventions of a constructor."""
import decimal
import operator

import pytest

from chronexa import Date, DateTime, Duration, Time, Weekday

NEW = "Date.__new__()"
TOO_LARGE = "Python int too large to convert to C long"
NARROW = "out of range integral type conversion attempted"
NOT_INT = "object cannot be interpreted as an integer"
NOT_STR = "is not an instance of 'str'"
DAY = Date(2024, 1, 1)
fields = operator.attrgetter("year", "month", "day")


@pytest.fixture(params=[Date, lambda *a, **k: Date.__new__(Date, *a, **k)], ids=["call", "__new__"])
def new(request):
    return request.param


def check(call, exc_type, message, note):  # `call` raises exactly this
    with pytest.raises(exc_type) as info:
        call()
    assert type(info.value) is exc_type and info.value.args == (message,)
    assert getattr(info.value, "__notes__", None) == (note and [f"while processing '{note}'"])


@pytest.mark.parametrize(("args", "kwargs", "message"), [
    ((2024, 1), {}, "missing 1 required positional argument: 'day'"),
    ((), {}, "missing 3 required positional arguments: 'year', 'month', and 'day'"),
    ((2024,), {"day": 1}, "missing 1 required positional argument: 'month'"),
    ((), {"day": 1}, "missing 2 required positional arguments: 'year' and 'month'"),
    ((2024, 1, 1, 1), {}, "takes 3 positional arguments but 4 were given"),
    # too many positional arguments is decided before any keyword is looked at
    ((2024, 1, 1, 1), {"foo": 1}, "takes 3 positional arguments but 4 were given"),
    ((2024, 1, 1), {"year": 2024}, "got multiple values for argument 'year'"),
    ((2024,), {"year": 1, "month": 1, "day": 1}, "got multiple values for argument 'year'"),
    ((2024, 1, 1), {"text": 1}, "got an unexpected keyword argument 'text'"),
    ((), {"foo": 1}, "got an unexpected keyword argument 'foo'"),  # before missing parameters
    # the first failing keyword decides, in call order
    ((), {"bar": 2, "foo": 1}, "got an unexpected keyword argument 'bar'"),
    ((2024,), {"zzz": 1, "year": 1}, "got an unexpected keyword argument 'zzz'"),
    ((2024,), {"year": 1, "zzz": 1}, "got multiple values for argument 'year'"),
    ((2024, 1, 1), {"\ud800": 1}, "got an unexpected keyword argument '\ud800'"),
])
def test_constructor_binding_errors(new, args, kwargs, message):
    check(lambda: new(*args, **kwargs), TypeError, f"{NEW} {message}", None)


@pytest.mark.parametrize("call", [
    lambda new: new(day=5, month=1, year=2024), lambda new: new(2024, day=5, month=1),
    lambda new: new(Index(2024), True, Index(5)),
])
def test_constructor_accepts(new, call):
    assert fields(call(new)) == (2024, 1, 5)


def test_numpy_integers(new):
    np = pytest.importorskip("numpy")
    assert fields(new(np.int64(-4), np.uint8(2), np.int32(29))) == (-4, 2, 29)
    check(lambda: new(2024, np.int64(256), 1), OverflowError, NARROW, "month")


def test_method_arguments():
    text = type("S", (str,), {})("2024-1-5")  # a str subclass
    assert Date.parse(s="2024-01-05") == Date.parse(text) == Date(2024, 1, 5)
    assert fields(Date.from_days_since_unix_epoch(days=-1)) == (1969, 12, 31)
    assert fields(DAY.add_days(days=-1)) == (2023, 12, 31)
    assert fields(Date.add_days(DAY, days=Index(1))) == fields(DAY.add_days(True)) == (2024, 1, 2)
    # 128-bit counts: exact ints of one digit are read inline, everything else by __index__
    ns = Duration.nanoseconds
    big = type("I", (int,), {})(2**100)  # an int subclass
    assert ns(Index(2**100)).total_nanos() == ns(big).total_nanos() == 2**100
    assert [ns(v).total_nanos() for v in (True, -(2**30), 2**30 - 1)] == [1, -(2**30), 2**30 - 1]


class Index:
    def __init__(self, value):
        self.value = value

    def __index__(self):  # a callable value raises a fresh exception each time
        return self.value() if callable(self.value) else self.value


@pytest.mark.parametrize(("args", "exc_type", "message", "parameter"), [
    ((2024, 13.0, 1), TypeError, f"'float' {NOT_INT}", "month"),
    ((2024, 256, 1), OverflowError, NARROW, "month"),
    ((2024, 1, -1), OverflowError, NARROW, "day"),
    ((2**31, 1, 1), OverflowError, NARROW, "year"),
    ((-(2**31) - 1, 1, 1), OverflowError, NARROW, "year"),
    ((2**63, 1, 1), OverflowError, TOO_LARGE, "year"),
    ((2024, 2**64, 1), OverflowError, TOO_LARGE, "month"),
    ((None, 1, 1), TypeError, f"'NoneType' {NOT_INT}", "year"),
    ((decimal.Decimal(2024), 1, 1), TypeError, f"'decimal.Decimal' {NOT_INT}", "year"),
    ((2024.0, 256, None), TypeError, f"'float' {NOT_INT}", "year"),  # the first failure wins
    ((2024, Index(lambda: 1 // 0), 1), ZeroDivisionError, "division by zero", "month"),
    ((2024, 1, Index("5")), TypeError, "__index__ returned non-int (type str)", "day"),
    # converted fine, then refused by the calendar
    *(((ymd, ValueError, "Invalid date: InvalidDate", None)
       for ymd in [(2024, 0, 1), (2024, 255, 1), (2023, 2, 29), (1900, 2, 29)])),
])
def test_constructor_conversion_errors(new, args, exc_type, message, parameter):
    check(lambda: new(*args), exc_type, message, parameter)


def test_conversion_follows_parameter_order(new):
    check(lambda: new(day="x", month=1.0, year=2024), TypeError, f"'float' {NOT_INT}", "month")


# Binding and conversion through the methods' calling convention (the binder's rules themselves are
# walked through the constructor above).
@pytest.mark.parametrize(("call", "exc_type", "message", "parameter"), [
    (lambda: Date.parse("x", "y"), TypeError,
     "Date.parse() takes 1 positional arguments but 2 were given", None),
    (lambda: Time(1, 2, 3, 4, 5), TypeError,
     "Time.__new__() takes from 3 to 4 positional arguments but 5 were given", None),
    (lambda: DateTime.from_unix_timestamp(1, 2, 3), TypeError, "DateTime.from_unix_timestamp() "
     "takes from 1 to 2 positional arguments but 3 were given", None),
    (lambda: DAY.add_days(), TypeError,
     "Date.add_days() missing 1 required positional argument: 'days'", None),
    (lambda: DAY.add_days(self=1), TypeError,
     "Date.add_days() got an unexpected keyword argument 'self'", None),
    (lambda: DAY.add_days(-(2**63) - 1), OverflowError, TOO_LARGE, "days"),
    (lambda: DAY.add_days(days=1.0), TypeError, f"'float' {NOT_INT}", "days"),
    (lambda: Date.from_days_since_unix_epoch(Index(lambda: {}[1])), KeyError, 1, "days"),
    (lambda: Date.parse(b"2024-01-01"), TypeError, f"'bytes' object {NOT_STR}", "s"),
    (lambda: Date.parse(s=None), TypeError, f"'None' {NOT_STR}", "s"),
    (lambda: Date.parse(Weekday.MONDAY), TypeError, f"'Weekday' object {NOT_STR}", "s"),
])
def test_method_errors(call, exc_type, message, parameter):
    check(call, exc_type, message, parameter)


def test_text_without_utf8_form():
    with pytest.raises(UnicodeEncodeError) as info:
        Date.parse("2024-01-0\ud800")
    assert info.value.__notes__ == ["while processing 's'"]
