# SPDX-License-Identifier: MIT
import operator

import pytest
from hypothesis import given, settings
from hypothesis import strategies as st

from chronexa import Duration

MIN, MAX = -(2**127), 2**127 - 1
I64_MIN, I64_MAX = -(2**63), 2**63 - 1


def wrap(n):
    """n reduced modulo 2^128 into the signed 128-bit range."""
    return (n + 2**127) % 2**128 - 2**127


edges = [MIN, MIN + 1, -1, 0, 1, MAX - 1, MAX, -(2**64), 2**64 - 1, 2**64, I64_MIN, I64_MAX]
counts = st.one_of(st.integers(MIN, MAX), st.sampled_from(edges))
int64s = st.one_of(st.integers(I64_MIN, I64_MAX), st.sampled_from([I64_MIN, I64_MAX, -1, 0, 1]))
ns = Duration.nanoseconds


@settings(max_examples=400)
@given(counts, counts)
def test_arithmetic_wraps_like_python_ints(a, b):
    assert (ns(a) + ns(b)).total_nanos() == wrap(a + b)
    assert (ns(a) - ns(b)).total_nanos() == wrap(a - b)
    assert (-ns(a)).total_nanos() == wrap(-a)
    c = ns(a)
    c += ns(b)
    assert c == ns(wrap(a + b))
    c -= ns(b)
    assert c == ns(a)


@settings(max_examples=400)
@given(counts, counts)
def test_comparison_and_hash(a, b):
    for op in (operator.lt, operator.le, operator.eq, operator.ne, operator.gt, operator.ge):
        assert op(ns(a), ns(b)) is op(a, b)
    assert hash(ns(a)) == hash(ns(a))


@settings(max_examples=400)
@given(counts)
def test_views_and_text(n):
    d = ns(n)
    assert d.total_nanos() == n
    assert d.total_seconds() == float(n) / 1e9
    assert str(d) == f"Duration({n} ns)"
    assert repr(d) == f"Duration.nanoseconds({n})"
    assert eval(repr(d)) == d


@settings(max_examples=300)
@given(int64s)
def test_scaling_constructors_exact(x):
    assert Duration.seconds(x).total_nanos() == x * 10**9
    assert Duration.milliseconds(x).total_nanos() == x * 10**6
    assert Duration.microseconds(x).total_nanos() == x * 10**3


def test_edge_values():
    assert Duration.milliseconds(I64_MAX).total_nanos() == 9223372036854775807000000
    assert Duration.seconds(I64_MIN).total_nanos() == -9223372036854775808000000000
    assert ns(MAX) + ns(1) == ns(MIN)
    assert -ns(MIN) == ns(MIN)
    one = [Duration.seconds(1), Duration.milliseconds(1000), Duration.microseconds(10**6), ns(10**9)]
    assert all(d == one[0] for d in one) and len({hash(d) for d in one}) == 1
    assert str(ns(0)) == "Duration(0 ns)" and repr(ns(-1)) == "Duration.nanoseconds(-1)"
    assert ns(1_500_000_000).total_seconds() == 1.5 and ns(-1).total_seconds() == -1e-09
    assert ns(2**53 + 1).total_seconds() == ns(2**53).total_seconds()
    assert (hash(ns(0)), hash(ns(10**9)), hash(ns(1))) == (
        8556445246977061536, 1911279753773646808, -8559946577813192710)
    assert bool(ns(0)) is True
    assert Duration.seconds(secs=5) == Duration.milliseconds(ms=5000) == Duration.microseconds(us=5 * 10**6)
    assert ns(ns=-7).total_nanos() == -7


@pytest.mark.parametrize(
    "make, arg, exc, message, note",
    [
        (Duration.seconds, 2**63, OverflowError, "Python int too large to convert to C long", "secs"),
        (Duration.milliseconds, -(2**63) - 1, OverflowError, "Python int too large to convert to C long", "ms"),
        (Duration.microseconds, 1.5, TypeError, "'float' object cannot be interpreted as an integer", "us"),
        (Duration.nanoseconds, 2**127, OverflowError, "Python int larger than 128 bits", "ns"),
        (Duration.nanoseconds, 2**128 - 1, OverflowError, "Python int larger than 128 bits", "ns"),
        (Duration.nanoseconds, -(2**127) - 1, OverflowError, "Python int larger than 128 bits", "ns"),
        (Duration.nanoseconds, "5", TypeError, "'str' object cannot be interpreted as an integer", "ns"),
    ],
)
def test_conversion_errors(make, arg, exc, message, note):
    with pytest.raises(exc) as e:
        make(arg)
    assert str(e.value) == message
    assert e.value.__notes__ == [f"while processing '{note}'"]


@pytest.mark.parametrize(
    "call, message",
    [
        (lambda: Duration.seconds(), "Duration.seconds() missing 1 required positional argument: 'secs'"),
        (lambda: Duration.nanoseconds(1, 2), "Duration.nanoseconds() takes 1 positional arguments but 2 were given"),
        (lambda: Duration.milliseconds(secs=1), "Duration.milliseconds() got an unexpected keyword argument 'secs'"),
    ],
)
def test_binding_errors(call, message):
    with pytest.raises(TypeError) as e:
        call()
    assert str(e.value) == message


@pytest.mark.parametrize(
    "expression",
    ["+d", "abs(d)", "d * 2", "2 * d", "d / 2", "d + 1", "1 + d", "d - 1.5", "d < 1", "d % d", "Duration()"],
)
def test_undefined_operations_raise_type_error(expression):
    d = Duration.seconds(1)
    with pytest.raises(TypeError):
        eval(expression, {"d": d, "Duration": Duration})


def test_other_types_compare_unequal():
    d = Duration.seconds(1)
    assert (d == 1) is False and (d != 10**9) is True


@pytest.mark.parametrize(
    "member, signature, doc",
    [
        (Duration.seconds, "($cls, secs)", "Create a duration from seconds."),
        (Duration.milliseconds, "($cls, ms)", "Create a duration from milliseconds."),
        (Duration.microseconds, "($cls, us)", "Create a duration from microseconds."),
        (Duration.nanoseconds, "($cls, ns)", "Create a duration from nanoseconds."),
        (Duration.total_seconds, "($self)", "Get total seconds as a float."),
        (Duration.total_nanos, "($self)", "Get total nanoseconds as an integer."),
    ],
)
def test_docstrings(member, signature, doc):
    assert member.__text_signature__ == signature
    assert member.__doc__ == doc
    assert Duration.__doc__ is None
