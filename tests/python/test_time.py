# SPDX-License-Identifier: MIT
import datetime

import pytest
from hypothesis import given, settings
from hypothesis import strategies as st

from chronexa import Time

hours = st.integers(0, 23)
minutes = st.integers(0, 59)
nanos = st.one_of(st.integers(0, 999_999_999), st.sampled_from([0, 1, 10**8, 999_999_999]))
times = st.builds(Time, hours, minutes, minutes, nanos)
std_times = st.times().map(lambda t: t.replace(fold=0))


def construct_vector(*args, **kwargs):
    return Time(*args, **kwargs)


def construct_tuple(*args, **kwargs):
    return Time.__new__(Time, *args, **kwargs)


# The vector call and the tuple constructor must behave identically.
@pytest.fixture(params=[construct_vector, construct_tuple], ids=["vectorcall", "tp_new"])
def new(request):
    return request.param


def test_fields_and_default(new):
    t = new(23, 59, 59, 999_999_999)
    assert (t.hour, t.minute, t.second, t.nanosecond) == (23, 59, 59, 999_999_999)
    assert new(12, 0, 0).nanosecond == 0
    assert new(second=3, minute=2, hour=1, nanosecond=4) == new(1, 2, 3, 4)
    assert new(True, 2, 3) == new(1, 2, 3)


@pytest.mark.parametrize("args", [(24, 0, 0), (0, 60, 0), (0, 0, 60), (23, 59, 60), (0, 0, 0, 10**9)])
def test_invalid_time(new, args):
    with pytest.raises(ValueError) as e:
        new(*args)
    assert e.value.args == ("Invalid time: InvalidTime",)


@pytest.mark.parametrize(
    "args, exc, message, note",
    [
        ((300, 0, 0), OverflowError, "out of range integral type conversion attempted", "hour"),
        ((0, 0, 1.0), TypeError, "'float' object cannot be interpreted as an integer", "second"),
        ((1, 2, 3, None), TypeError, "'NoneType' object cannot be interpreted as an integer", "nanosecond"),
        ((1, 2, 3, 2**32), OverflowError, "out of range integral type conversion attempted", "nanosecond"),
    ],
)
def test_conversion_errors(new, args, exc, message, note):
    with pytest.raises(exc) as e:
        new(*args)
    assert str(e.value) == message
    assert e.value.__notes__ == [f"while processing '{note}'"]


@pytest.mark.parametrize(
    "args, kwargs, message",
    [
        ((1, 2, 3, 4, 5), {}, "Time.__new__() takes from 3 to 4 positional arguments but 5 were given"),
        ((1,), {}, "Time.__new__() missing 2 required positional arguments: 'minute' and 'second'"),
        ((1, 2, 3), {"hour": 1}, "Time.__new__() got multiple values for argument 'hour'"),
    ],
)
def test_binding_errors(new, args, kwargs, message):
    with pytest.raises(TypeError) as e:
        new(*args, **kwargs)
    assert str(e.value) == message


@pytest.mark.parametrize(
    "args, text",
    [
        ((9, 5, 7), "09:05:07"),
        ((12, 30, 0, 500_000_000), "12:30:00.5"),
        ((12, 30, 0, 123_000_000), "12:30:00.123"),
        ((12, 30, 0, 1_000), "12:30:00.000001"),
        ((12, 30, 0, 1), "12:30:00.000000001"),
        ((23, 59, 59, 999_999_999), "23:59:59.999999999"),
    ],
)
def test_str(args, text):
    assert str(Time(*args)) == text


def test_repr_and_hash_values():
    assert repr(Time(9, 5, 7)) == "Time(hour=9, minute=5, second=7, nanosecond=0)"
    assert repr(Time(23, 59, 59, 999_999_999)) == "Time(hour=23, minute=59, second=59, nanosecond=999999999)"
    assert hash(Time(12, 30, 0, 500_000_000)) == -6111558068616573128
    assert hash(Time(0, 0, 0, 0)) == -8539203582074308692
    assert hash(Time(23, 59, 59, 999_999_999)) == 6725288365840738049


@pytest.mark.parametrize(
    "text, fields",
    [
        ("1:2:3", (1, 2, 3, 0)),
        ("01:02:03.500", (1, 2, 3, 500_000_000)),
        ("00012:00:00", (12, 0, 0, 0)),
        ("12:34:56.000000000", (12, 34, 56, 0)),
        ("12:34:56.123456789", (12, 34, 56, 123_456_789)),
    ],
)
def test_parse_accepted(text, fields):
    assert Time.parse(text) == Time(*fields)
    assert Time.parse(s=text) == Time(*fields)


@pytest.mark.parametrize(
    "text",
    ["", "12:34", "12:34:56:00", "24:00:00", "23:60:00", "23:59:60", "12:34:56.", ".5",
     "12:34:56.1234567890", "12:34:56.1.2", "12:34:56Z", "T12:34:56", " 12:34:56", "12:34:56 ",
     "+1:00:00", "12:-1:00", "12::00", "\uff11:00:00", "12:00:00\x00", "12:00:00.\u0665"],
)
def test_parse_refused(text):
    with pytest.raises(ValueError) as e:
        Time.parse(text)
    assert e.value.args == ("Invalid time string: InvalidTime",)


@pytest.mark.parametrize(
    "arg, exc, message",
    [
        (b"12:00:00", TypeError, "'bytes' object is not an instance of 'str'"),
        (None, TypeError, "'None' is not an instance of 'str'"),
        ("\ud800", UnicodeEncodeError, None),
    ],
)
def test_parse_argument_errors(arg, exc, message):
    with pytest.raises(exc) as e:
        Time.parse(arg)
    assert message is None or str(e.value) == message
    assert e.value.__notes__ == ["while processing 's'"]


@settings(max_examples=300)
@given(times)
def test_round_trip(t):
    assert Time.parse(str(t)) == t
    assert eval(repr(t)) == t


@settings(max_examples=300)
@given(std_times)
def test_standard_library_oracle(pt):
    t = Time(pt.hour, pt.minute, pt.second, pt.microsecond * 1000)
    assert Time.parse(pt.isoformat()) == t
    assert datetime.time.fromisoformat(str(t)) == pt
    if pt.microsecond == 0:
        assert str(t) == pt.isoformat()


@settings(max_examples=300)
@given(times, times)
def test_counts_order_and_hash(a, b):
    fields = lambda t: (t.hour, t.minute, t.second, t.nanosecond)  # noqa: E731
    h, m, s, n = fields(a)
    assert a.seconds_since_midnight() == h * 3600 + m * 60 + s
    assert a.nanos_since_midnight() == (h * 3600 + m * 60 + s) * 10**9 + n
    assert (a < b) == (fields(a) < fields(b))
    assert (a <= b, a > b, a >= b) == (fields(a) <= fields(b), fields(a) > fields(b), fields(a) >= fields(b))
    assert (a == b) == (fields(a) == fields(b)) != (a != b)
    copy = Time(*fields(a))
    assert copy == a and hash(copy) == hash(a)


def test_other_types():
    t = Time(12, 0, 0)
    assert (t == (12, 0, 0)) is False and (t != 5) is True
    with pytest.raises(TypeError):
        t < datetime.time(12)  # noqa: B015
    with pytest.raises(AttributeError):
        t.hour = 1


@pytest.mark.parametrize(
    "member, signature, doc",
    [
        (Time, "(hour, minute, second, nanosecond=0)", ""),
        (Time.parse, "($cls, s)",
         "Parse a time from ISO format (HH:MM:SS[.fffffffff]).\n\n"
         "Args:\n    s: The string to parse.\n\nReturns:\n    Time: A new Time instance.\n\n"
         "Raises:\n    ValueError: If the string is not a valid time."),
        (Time.seconds_since_midnight, "($self)", "Get total seconds since midnight (ignoring nanoseconds)."),
        (Time.nanos_since_midnight, "($self)", "Get total nanoseconds since midnight."),
    ],
)
def test_docstrings(member, signature, doc):
    assert member.__text_signature__ == signature
    assert member.__doc__ == doc
