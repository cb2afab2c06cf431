# SPDX-License-Identifier: MIT
import datetime
import operator

import pytest
from hypothesis import given, settings, strategies as st

from chronexa import Time

fields = operator.attrgetter("hour", "minute", "second", "nanosecond")
nanos = st.builds(lambda n, k: n // 10**k * 10**k, st.integers(0, 10**9 - 1), st.integers(0, 9))
times = st.builds(Time, st.integers(0, 23), st.integers(0, 59), st.integers(0, 59), nanos)
NARROW = "out of range integral type conversion attempted"


# The vector call and the tuple constructor must behave identically.
@pytest.fixture(params=[Time, lambda *a, **k: Time.__new__(Time, *a, **k)],
                ids=["vectorcall", "tp_new"])
def new(request):
    return request.param


def test_fields_keywords_and_default(new):
    assert fields(new(23, 58, 57, 999_999_999)) == (23, 58, 57, 999_999_999)
    assert new(second=3, minute=2, hour=1) == new(True, 2, 3, 0) == new(1, 2, 3, nanosecond=0)
    assert Time.parse(s="01:2:003.500") == new(1, 2, 3, 500_000_000)


# Every refusal, by the constructor (call None: both calling conventions) or by the parser.
@pytest.mark.parametrize("call, args, exc, message, note", [
    *[(None, args, ValueError, "Invalid time: InvalidTime", None)
      for args in [(24, 0, 0), (0, 60, 0), (0, 0, 60), (255, 0, 0), (0, 0, 0, 10**9)]],
    (None, (1, 2, 3, 2**32), OverflowError, NARROW, "nanosecond"),  # the only 32-bit unsigned
    (Time.parse, (None,), TypeError, "'None' is not an instance of 'str'", "s"),
    # the grammar: too few or many fields, a field out of range or no digits, trailing bytes
    *[(Time.parse, (text,), ValueError, "Invalid time string: InvalidTime", None) for text in [
        "", "12:34", "12", ":", "::", "12:34:56:00", "24:00:00", "23:60:00", "23:59:60", "99:00:00",
        "12:34:56.", ".5", ".", "12:34:56.1234567890", "12:34:56.1.2", "12:34:56Z", "T12:34:56",
        " 12:34:56", "12:34:56 ", "+1:00:00", "12:-1:00", ":34:56", "12::56", "12:34:", "1a:00:00",
        "12:34.5:56", "12.5:34:56", "12:34:56.+5", "12:34:56.5Z", "12:34:56.-1", "12:34:56,5",
        "12:34:5x", "12:34:56\x00", "\uff11:00:00", "12:00:00.\u0665", "0000000000000000024:00:00",
        "00:00:00000000000000000060"]],
])
def test_refused(new, call, args, exc, message, note):
    with pytest.raises(exc) as e:
        (call or new)(*args)
    assert e.value.args == (message,)
    assert getattr(e.value, "__notes__", None) == (note and [f"while processing '{note}'"])


@settings(max_examples=300)
@given(times, times, st.times())
def test_properties(a, b, pt):
    h, m, s, n = fields(a)
    assert str(a) == f"{h:02}:{m:02}:{s:02}" + (f".{n:09}".rstrip("0") if n else "")
    assert repr(a) == f"Time(hour={h}, minute={m}, second={s}, nanosecond={n})"
    assert Time.parse(str(a)) == eval(repr(a)) == a
    secs = h * 3600 + m * 60 + s
    assert (a.seconds_since_midnight(), a.nanos_since_midnight()) == (secs, secs * 10**9 + n)
    for op in (operator.lt, operator.le, operator.eq, operator.ne, operator.gt, operator.ge):
        assert op(a, b) is op(fields(a), fields(b))
    copy = Time(*fields(a))
    assert copy == a and not copy != a and hash(copy) == hash(a)
    # The standard library at microsecond precision.
    t = Time(pt.hour, pt.minute, pt.second, pt.microsecond * 1000)
    assert Time.parse(pt.isoformat()) == t and datetime.time.fromisoformat(str(t)) == pt
    assert str(t) == (pt.isoformat().rstrip("0") if pt.microsecond else pt.isoformat())


@pytest.mark.parametrize("args, value", [((12, 30, 0, 500_000_000), -6111558068616573128),
    ((0, 0, 0, 0), -8539203582074308692), ((23, 59, 59, 999_999_999), 6725288365840738049)])
def test_published_hash_values(args, value):
    assert hash(Time(*args)) == value
