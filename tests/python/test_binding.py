# SPDX-License-Identifier: MIT
"""Argument binding and conversion: the exact TypeError texts, the conversion
failures with their notes, and both calling conventions of a constructor."""
import decimal

import pytest

import chronexa
from chronexa import Date


def fields(d):
    return (d.year, d.month, d.day)


def via_vectorcall(*args, **kwargs):
    return Date(*args, **kwargs)


def via_tp_new(*args, **kwargs):
    return Date.__new__(Date, *args, **kwargs)


def via_tp_call(*args, **kwargs):
    return type.__call__(Date, *args, **kwargs)


@pytest.fixture(params=[via_vectorcall, via_tp_new, via_tp_call],
                ids=["vectorcall", "tp_new", "tp_call"])
def new(request):
    return request.param


def raised(call):
    """The exception `call` raises (it must raise)."""
    with pytest.raises(BaseException) as info:
        call()
    return info.value


# ---- binding ----

NEW = "Date.__new__()"


@pytest.mark.parametrize(("args", "kwargs", "message"), [
    ((2024, 1), {}, f"{NEW} missing 1 required positional argument: 'day'"),
    ((), {}, f"{NEW} missing 3 required positional arguments: 'year', 'month', and 'day'"),
    ((2024,), {}, f"{NEW} missing 2 required positional arguments: 'month' and 'day'"),
    ((2024,), {"day": 1}, f"{NEW} missing 1 required positional argument: 'month'"),
    ((), {"day": 1}, f"{NEW} missing 2 required positional arguments: 'year' and 'month'"),
    ((), {"month": 1, "day": 1}, f"{NEW} missing 1 required positional argument: 'year'"),
    ((2024, 1, 1, 1), {}, f"{NEW} takes 3 positional arguments but 4 were given"),
    ((1, 2, 3, 4, 5), {}, f"{NEW} takes 3 positional arguments but 5 were given"),
    # too many positional arguments is decided before any keyword is looked at
    ((2024, 1, 1, 1), {"foo": 1}, f"{NEW} takes 3 positional arguments but 4 were given"),
    ((2024, 1, 1), {"year": 2024}, f"{NEW} got multiple values for argument 'year'"),
    ((2024, 1, 1), {"month": 1}, f"{NEW} got multiple values for argument 'month'"),
    ((2024,), {"year": 1, "month": 1, "day": 1}, f"{NEW} got multiple values for argument 'year'"),
    ((2024, 1, 1), {"text": 1}, f"{NEW} got an unexpected keyword argument 'text'"),
    ((), {"Year": 2024, "month": 1, "day": 1}, f"{NEW} got an unexpected keyword argument 'Year'"),
    # a bad keyword is reported before missing parameters
    ((), {"foo": 1}, f"{NEW} got an unexpected keyword argument 'foo'"),
    # the first failing keyword decides, in call order
    ((), {"foo": 1, "bar": 2}, f"{NEW} got an unexpected keyword argument 'foo'"),
    ((), {"bar": 2, "foo": 1}, f"{NEW} got an unexpected keyword argument 'bar'"),
    ((2024,), {"zzz": 1, "year": 1}, f"{NEW} got an unexpected keyword argument 'zzz'"),
    ((2024,), {"year": 1, "zzz": 1}, f"{NEW} got multiple values for argument 'year'"),
])
def test_constructor_binding_errors(new, args, kwargs, message):
    exc = raised(lambda: new(*args, **kwargs))
    assert type(exc) is TypeError
    assert exc.args == (message,)
    assert not hasattr(exc, "__notes__")


def test_unexpected_keyword_that_is_not_utf8(new):
    exc = raised(lambda: new(2024, 1, 1, **{"\ud800": 1}))
    assert type(exc) is TypeError
    assert str(exc).startswith(f"{NEW} got an unexpected keyword argument '")


@pytest.mark.parametrize(("args", "kwargs"), [
    ((2024, 1, 5), {}),
    ((), {"year": 2024, "month": 1, "day": 5}),
    ((), {"day": 5, "month": 1, "year": 2024}),
    ((2024,), {"day": 5, "month": 1}),
    ((2024, 1), {"day": 5}),
])
def test_constructor_keywords(new, args, kwargs):
    assert fields(new(*args, **kwargs)) == (2024, 1, 5)


DAY = Date(2024, 1, 1)


@pytest.mark.parametrize(("call", "message"), [
    (lambda: Date.parse("2024-01-01", "x"), "Date.parse() takes 1 positional arguments but 2 were given"),
    (lambda: Date.parse(text="2024-01-01"), "Date.parse() got an unexpected keyword argument 'text'"),
    (lambda: Date.parse(), "Date.parse() missing 1 required positional argument: 's'"),
    (lambda: Date.parse("x", s="y"), "Date.parse() got multiple values for argument 's'"),
    (lambda: Date.parse(1, 2, x=3), "Date.parse() takes 1 positional arguments but 2 were given"),
    (lambda: Date.from_days_since_unix_epoch(1, 2),
     "Date.from_days_since_unix_epoch() takes 1 positional arguments but 2 were given"),
    (lambda: Date.from_days_since_unix_epoch(),
     "Date.from_days_since_unix_epoch() missing 1 required positional argument: 'days'"),
    (lambda: Date.from_days_since_unix_epoch(day=1),
     "Date.from_days_since_unix_epoch() got an unexpected keyword argument 'day'"),
    (lambda: DAY.add_days(), "Date.add_days() missing 1 required positional argument: 'days'"),
    (lambda: DAY.add_days(1, 2), "Date.add_days() takes 1 positional arguments but 2 were given"),
    (lambda: Date.add_days(DAY, 1, 2), "Date.add_days() takes 1 positional arguments but 2 were given"),
    (lambda: DAY.add_days(1, days=2), "Date.add_days() got multiple values for argument 'days'"),
    (lambda: DAY.add_days(self=1), "Date.add_days() got an unexpected keyword argument 'self'"),
])
def test_method_binding_errors(call, message):
    exc = raised(call)
    assert type(exc) is TypeError
    assert exc.args == (message,)


def test_method_keywords():
    assert fields(Date.parse(s="2024-01-05")) == (2024, 1, 5)
    assert fields(Date.from_days_since_unix_epoch(days=-1)) == (1969, 12, 31)
    assert fields(DAY.add_days(days=-1)) == (2023, 12, 31)
    assert fields(Date.add_days(DAY, days=1)) == (2024, 1, 2)


# ---- conversion ----


class Index:
    def __init__(self, value):
        self.value = value

    def __index__(self):
        return self.value


class Failing:
    def __index__(self):
        raise ZeroDivisionError("no value")


TOO_LARGE = "Python int too large to convert to C long"
NARROW = "out of range integral type conversion attempted"
NOT_INT = "object cannot be interpreted as an integer"


@pytest.mark.parametrize(("args", "exc_type", "message", "parameter"), [
    ((2024, 13.0, 1), TypeError, f"'float' {NOT_INT}", "month"),
    ((2024, 256, 1), OverflowError, NARROW, "month"),
    ((2024, 300, 1), OverflowError, NARROW, "month"),
    ((2024, -1, 1), OverflowError, NARROW, "month"),
    ((2024, 1, 256), OverflowError, NARROW, "day"),
    ((2024, 1, -1), OverflowError, NARROW, "day"),
    ((2024, 1, 1.5), TypeError, f"'float' {NOT_INT}", "day"),
    ((2**31, 1, 1), OverflowError, NARROW, "year"),
    ((-(2**31) - 1, 1, 1), OverflowError, NARROW, "year"),
    ((2**63, 1, 1), OverflowError, TOO_LARGE, "year"),
    ((-(2**63) - 1, 1, 1), OverflowError, TOO_LARGE, "year"),
    ((2024, 2**64, 1), OverflowError, TOO_LARGE, "month"),
    (("2024", 1, 1), TypeError, f"'str' {NOT_INT}", "year"),
    ((None, 1, 1), TypeError, f"'NoneType' {NOT_INT}", "year"),
    ((decimal.Decimal(2024), 1, 1), TypeError, f"'decimal.Decimal' {NOT_INT}", "year"),
    ((2024.0, 256, None), TypeError, f"'float' {NOT_INT}", "year"),  # first failure wins
    ((2024, Failing(), 1), ZeroDivisionError, "no value", "month"),
    ((2024, 1, Index("5")), TypeError, "__index__ returned non-int (type str)", "day"),
])
def test_constructor_conversion_errors(new, args, exc_type, message, parameter):
    exc = raised(lambda: new(*args))
    assert type(exc) is exc_type
    assert exc.args == (message,)
    assert exc.__notes__ == [f"while processing '{parameter}'"]


def test_conversion_follows_parameter_order(new):
    exc = raised(lambda: new(day="x", month=1.0, year=2024))
    assert exc.__notes__ == ["while processing 'month'"]


@pytest.mark.parametrize(("args", "ymd"), [
    ((True, 1, 1), (1, 1, 1)),
    ((False, True, True), (0, 1, 1)),
    ((Index(2024), Index(2), Index(29)), (2024, 2, 29)),
    ((2**31 - 1, 12, 31), (2**31 - 1, 12, 31)),
    ((-(2**31), 1, 1), (-(2**31), 1, 1)),
])
def test_constructor_accepts_integers(new, args, ymd):
    assert fields(new(*args)) == ymd


def test_constructor_accepts_numpy_integers(new):
    np = pytest.importorskip("numpy")
    assert fields(new(np.int64(-4), np.uint8(2), np.int32(29))) == (-4, 2, 29)
    exc = raised(lambda: new(2024, np.int64(256), 1))
    assert type(exc) is OverflowError and exc.__notes__ == ["while processing 'month'"]
    exc = raised(lambda: new(2024, np.float64(1.0), 1))
    assert type(exc) is TypeError and exc.__notes__ == ["while processing 'month'"]


def test_conversion_before_validation(new):
    # month 0 converts fine and is then refused by the calendar
    exc = raised(lambda: new(2024, 0, 1))
    assert type(exc) is ValueError and exc.args == ("Invalid date: InvalidDate",)
    assert not hasattr(exc, "__notes__")


@pytest.mark.parametrize(("call", "exc_type", "message"), [
    (lambda: DAY.add_days(2**63), OverflowError, TOO_LARGE),
    (lambda: DAY.add_days(-(2**63) - 1), OverflowError, TOO_LARGE),
    (lambda: DAY.add_days(1.0), TypeError, f"'float' {NOT_INT}"),
    (lambda: DAY.add_days("1"), TypeError, f"'str' {NOT_INT}"),
    (lambda: DAY.add_days(days=None), TypeError, f"'NoneType' {NOT_INT}"),
    (lambda: Date.from_days_since_unix_epoch(2**63), OverflowError, TOO_LARGE),
    (lambda: Date.from_days_since_unix_epoch(-(2**63) - 1), OverflowError, TOO_LARGE),
    (lambda: Date.from_days_since_unix_epoch(Failing()), ZeroDivisionError, "no value"),
])
def test_day_count_conversion_errors(call, exc_type, message):
    exc = raised(call)
    assert type(exc) is exc_type
    assert exc.args == (message,)
    assert exc.__notes__ == ["while processing 'days'"]


def test_day_counts_take_the_whole_64_bit_range():
    for n in (2**63 - 1, -(2**63)):
        with pytest.raises(ValueError, match="^Invalid date: OutOfRange$"):
            Date.from_days_since_unix_epoch(n)
        with pytest.raises(ValueError, match="^Date out of range: OutOfRange$"):
            DAY.add_days(n)
    assert fields(DAY.add_days(Index(1))) == (2024, 1, 2)
    assert fields(DAY.add_days(True)) == (2024, 1, 2)


@pytest.mark.parametrize(("arg", "exc_type", "message"), [
    (b"2024-01-01", TypeError, "'bytes' object is not an instance of 'str'"),
    (bytearray(b"2024-01-01"), TypeError, "'bytearray' object is not an instance of 'str'"),
    (None, TypeError, "'None' is not an instance of 'str'"),
    (20240101, TypeError, "'int' object is not an instance of 'str'"),
    (DAY, TypeError, "'Date' object is not an instance of 'str'"),
    (chronexa.Weekday.MONDAY, TypeError, "'Weekday' object is not an instance of 'str'"),
])
def test_text_conversion_errors(arg, exc_type, message):
    for call in (lambda: Date.parse(arg), lambda: Date.parse(s=arg)):
        exc = raised(call)
        assert type(exc) is exc_type
        assert exc.args == (message,)
        assert exc.__notes__ == ["while processing 's'"]


def test_text_without_utf8_form():
    exc = raised(lambda: Date.parse("2024-01-0\ud800"))
    assert type(exc) is UnicodeEncodeError
    assert exc.__notes__ == ["while processing 's'"]


def test_failed_calls_leave_no_exception_behind():
    for call in (lambda: Date(2024, 256, 1), lambda: Date.parse(None), lambda: Date(2024)):
        raised(call)
    assert fields(Date(2024, 1, 5)) == (2024, 1, 5)


# ---- the same binding behind the other classes ----


def need(cls_name, member):
    cls = getattr(chronexa, cls_name)
    if member not in vars(cls):
        pytest.skip(f"{cls_name}.{member} is not there yet")
    return cls


@pytest.mark.parametrize(("cls_name", "member", "call", "exc_type", "message", "note"), [
    ("UtcOffset", "from_hours_minutes", lambda c: c.from_hours_minutes(True), TypeError,
     "UtcOffset.from_hours_minutes() missing 2 required positional arguments: 'hours' and 'minutes'",
     None),
    ("DateTime", "from_unix_timestamp", lambda c: c.from_unix_timestamp(1, 2, 3), TypeError,
     "DateTime.from_unix_timestamp() takes from 1 to 2 positional arguments but 3 were given", None),
    ("Time", "__new__", lambda c: c(1, 2, 3, 4, 5), TypeError,
     "Time.__new__() takes from 3 to 4 positional arguments but 5 were given", None),
    ("Time", "__new__", lambda c: c.__new__(c, 1, 2, 3, 4, 5), TypeError,
     "Time.__new__() takes from 3 to 4 positional arguments but 5 were given", None),
    ("Duration", "nanoseconds", lambda c: c.nanoseconds(2**127), OverflowError,
     "Python int larger than 128 bits", "ns"),
    ("Duration", "nanoseconds", lambda c: c.nanoseconds(-(2**127) - 1), OverflowError,
     "Python int larger than 128 bits", "ns"),
    ("Duration", "seconds", lambda c: c.seconds(2**63), OverflowError, TOO_LARGE, "secs"),
    ("UtcOffset", "from_hours_minutes", lambda c: c.from_hours_minutes(1, 5, 0), TypeError,
     "'int' object is not an instance of 'bool'", "sign_positive"),
    ("DateTime", "__new__", lambda c: c(Date(2024, 1, 1), None), TypeError,
     "'None' is not an instance of 'Time'", "time"),
    ("Time", "__new__", lambda c: c(1, 2, 3, None), TypeError, f"'NoneType' {NOT_INT}",
     "nanosecond"),
])
def test_other_classes(cls_name, member, call, exc_type, message, note):
    exc = raised(lambda: call(need(cls_name, member)))
    assert type(exc) is exc_type
    assert exc.args == (message,)
    assert getattr(exc, "__notes__", None) == (None if note is None else [f"while processing '{note}'"])


def test_other_classes_instances_and_keywords():
    Duration = need("Duration", "nanoseconds")
    need("Duration", "seconds")
    for n in (2**127 - 1, -(2**127)):
        assert Duration.nanoseconds(n).total_nanos() == n
    assert Duration.seconds(secs=5) == Duration.seconds(5)
    DateTime = need("DateTime", "__new__")
    Time = need("Time", "__new__")
    d, t = Date(2024, 1, 1), Time(1, 2, 3)
    assert DateTime(time=t, date=d) == DateTime(d, t)
    need("DateTime", "add_duration")
    exc = raised(lambda: DateTime.add_duration(DateTime(d, t), 5))
    assert type(exc) is TypeError
    assert exc.args == ("'int' object is not an instance of 'Duration'",)
    assert exc.__notes__ == ["while processing 'dur'"]
