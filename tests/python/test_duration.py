# SPDX-License-Identifier: MIT
import operator

import pytest
from hypothesis import given, settings, strategies as st

from chronexa import Duration

MIN, MAX = -(2**127), 2**127 - 1
I64_MIN, I64_MAX = -(2**63), 2**63 - 1
TOO_LARGE = "Python int too large to convert to C long"
NOT_INT = "object cannot be interpreted as an integer"
ns = Duration.nanoseconds


def wrap(n):  # n reduced modulo 2**128 into the signed 128-bit range
    return (n + 2**127) % 2**128 - 2**127


# The extremes, 64-bit bounds, 2**53 + 1 (inexact as a double), zeros to pad in the text.
edges = [MIN, MIN + 1, -1, 0, 1, MAX - 1, MAX, -(2**64), 2**64 - 1, 2**64, I64_MIN, I64_MAX,
         2**53 + 1, 10**19, 10**38 + 5, -(10**38) - 5]
counts = st.one_of(st.integers(MIN, MAX), st.sampled_from(edges))
int64s = st.one_of(st.integers(I64_MIN, I64_MAX), st.sampled_from([I64_MIN, I64_MAX, -1, 0, 1]))


@settings(max_examples=400)
@given(counts, counts, int64s)
def test_against_python_ints(a, b, x):
    d = ns(a)
    assert ns(ns=a) == eval(repr(d)) == d and hash(ns(a)) == hash(d)
    assert ((d + ns(b)).total_nanos(), (d - ns(b)).total_nanos()) == (wrap(a + b), wrap(a - b))
    assert (-d).total_nanos() == wrap(-a)
    for op in (operator.lt, operator.le, operator.eq, operator.ne, operator.gt, operator.ge):
        assert op(d, ns(b)) is op(a, b)
    assert d.total_seconds() == float(a) / 1e9
    assert (str(d), repr(d)) == (f"Duration({a} ns)", f"Duration.nanoseconds({a})")
    assert d.total_nanos() == a  # and no operation above changed it
    # The scaling constructors are exact over the whole 64-bit range.
    assert Duration.seconds(x).total_nanos() == Duration.seconds(secs=x).total_nanos() == x * 10**9
    assert Duration.milliseconds(ms=x).total_nanos() == x * 10**6
    assert Duration.microseconds(us=x).total_nanos() == x * 10**3
    assert Duration.seconds(x) == ns(x * 10**9) and hash(Duration.seconds(x)) == hash(ns(x * 10**9))


def test_extremes_truth_and_other_types():
    assert ns(MAX) + ns(1) == ns(MIN) and ns(MIN) - ns(1) == ns(MAX) and -ns(MIN) == ns(MIN)
    assert bool(ns(0)) is True


@pytest.mark.parametrize("n, value", [  # negative counts: from the SipHash oracle
    (0, 8556445246977061536), (10**9, 1911279753773646808), (1, -8559946577813192710),
    (-1, 3819785013809161115), (MIN, -7046515785898924811)])
def test_published_hash_values(n, value):
    assert hash(ns(n)) == value


@pytest.mark.parametrize("call, exc, message, note", [
    (lambda: Duration.milliseconds(-(2**63) - 1), OverflowError, TOO_LARGE, "ms"),
    (lambda: ns("5"), TypeError, f"'str' {NOT_INT}", "ns"),
    *[(lambda n=n: ns(n), OverflowError, "Python int larger than 128 bits", "ns")
      for n in (2**127, 2**128 - 1, -(2**127) - 1)],
])
def test_refused(call, exc, message, note):
    with pytest.raises(exc) as e:
        call()
    assert e.value.args == (message,)
    assert e.value.__notes__ == [f"while processing '{note}'"]


@pytest.mark.parametrize("expression", ["+d", "abs(d)", "d * 2", "2 * d", "d / 2", "d + 1", "1 + d",
                                        "d - 1.5", "d < 1", "d % d", "Duration()"])
def test_unsupported_operations_raise_type_error(expression):
    with pytest.raises(TypeError):
        eval(expression, {"d": Duration.seconds(1), "Duration": Duration})
