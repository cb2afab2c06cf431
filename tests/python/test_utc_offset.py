# SPDX-License-Identifier: MIT
"""UtcOffset: the standard library's timezone offsets as the text oracle."""
import datetime

import pytest
from hypothesis import given, settings
from hypothesis import strategies as st

from chronexa import UtcOffset

offsets = st.integers(-86400, 86400)


def std_text(seconds):
    """The offset as Python's isoformat prints it: +HH:MM, or +HH:MM:SS when
    the offset is not a whole minute."""
    tz = datetime.timezone(datetime.timedelta(seconds=seconds))
    return datetime.datetime(2000, 1, 1, tzinfo=tz).isoformat()[len("2000-01-01T00:00:00"):]


def test_text_agrees_with_isoformat():
    for seconds in [*range(-86399, 86400, 7), -3661, -1, 1, 3599, 3601]:
        assert str(UtcOffset.from_seconds(seconds)) == std_text(seconds), seconds
    # Python's timezone stops short of a whole day.
    assert [str(UtcOffset.from_seconds(s)) for s in (86400, -86400)] == ["+24:00", "-24:00"]


@settings(max_examples=300)
@given(offsets, offsets)
def test_order_hash_and_repr_follow_the_seconds(a, b):
    x, y = UtcOffset.from_seconds(a), UtcOffset.from_seconds(seconds=b)
    assert (x < y, x <= y, x == y, x != y, x > y, x >= y) == (a < b, a <= b, a == b, a != b,
                                                              a > b, a >= b)
    assert (x == y) == (hash(x) == hash(y))
    assert repr(x) == f"UtcOffset.from_seconds({a})" and eval(repr(x)) == x
    assert x.as_seconds() == a and x.is_utc() is (a == 0)


@pytest.mark.parametrize("seconds, value", [
    (0, -3737345886862931216), (3600, -6999854392838765814), (-18000, 2797410627461956818),
])
def test_hash_values(seconds, value):
    assert hash(UtcOffset.from_seconds(seconds)) == value


@pytest.mark.parametrize("call", [
    lambda: UtcOffset.from_seconds(86401), lambda: UtcOffset.from_seconds(-86401),
    lambda: UtcOffset.from_seconds(2**31 - 1), lambda: UtcOffset.from_hours_minutes(True, 24, 0),
    lambda: UtcOffset.from_hours_minutes(False, 0, 60),
    lambda: UtcOffset.from_hours_minutes(True, 255, 255),
])
def test_out_of_range(call):
    with pytest.raises(ValueError) as e:
        call()
    assert e.value.args == ("Invalid offset: OutOfRange",)


def test_from_hours_minutes():
    assert UtcOffset.from_hours_minutes(True, 23, 59).as_seconds() == 86340
    assert str(UtcOffset.from_hours_minutes(sign_positive=False, hours=5, minutes=30)) == "-05:30"
    zero = UtcOffset.from_hours_minutes(False, 0, 0)
    assert zero.is_utc() is True and str(zero) == "+00:00" and zero.as_seconds() == 0


def test_numpy_bool_is_a_bool():
    np = pytest.importorskip("numpy")
    assert UtcOffset.from_hours_minutes(np.bool_(True), 5, 30).as_seconds() == 19800
    assert UtcOffset.from_hours_minutes(np.bool_(False), 5, 30).as_seconds() == -19800


@pytest.mark.parametrize("call, exc_type, message, note", [
    (lambda: UtcOffset.from_seconds(2**31), OverflowError,
     "out of range integral type conversion attempted", "seconds"),
    (lambda: UtcOffset.from_hours_minutes(True, 256, 0), OverflowError,
     "out of range integral type conversion attempted", "hours"),
    (lambda: UtcOffset.from_hours_minutes(True, 1, -1), OverflowError,
     "out of range integral type conversion attempted", "minutes"),
    (lambda: UtcOffset.from_hours_minutes(1, 5, 0), TypeError,
     "'int' object is not an instance of 'bool'", "sign_positive"),
    (lambda: UtcOffset.from_hours_minutes(None, 5, 0), TypeError,
     "'None' is not an instance of 'bool'", "sign_positive"),
])
def test_conversion_errors(call, exc_type, message, note):
    with pytest.raises(exc_type) as e:
        call()
    assert e.value.args == (message,)
    assert e.value.__notes__ == [f"while processing '{note}'"]


def test_class_surface():
    o = UtcOffset.from_seconds(0)
    assert (o == 0) is False and (o != 0) is True
    with pytest.raises(TypeError):
        o < 0
    with pytest.raises(TypeError):
        UtcOffset()
    assert UtcOffset.__doc__ is None
    signatures = {
        "from_seconds": "($cls, seconds)", "as_seconds": "($self)", "is_utc": "($self)",
        "from_hours_minutes": "($cls, sign_positive, hours, minutes)",
    }
    for name, signature in signatures.items():
        assert vars(UtcOffset)[name].__text_signature__ == signature
