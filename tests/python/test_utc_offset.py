# SPDX-License-Identifier: MIT
"""UtcOffset: the standard library's timezone offsets as the text oracle."""
import operator
from datetime import datetime, timedelta, timezone

import pytest

from chronexa import UtcOffset

F, H, W = UtcOffset.from_seconds, UtcOffset.from_hours_minutes, "\nwhile processing "
OPS = (operator.lt, operator.le, operator.eq, operator.ne, operator.gt, operator.ge)


# Every seventh offset under a day, and a few more: isoformat()'s text, repr, order, hash.
def test_offsets_against_isoformat_and_the_seconds():
    prev = F(-86400)
    for a in [*range(-86399, 86400, 7), 3661, 3599, 3601, -3661, -59, -1, 0, 1]:
        x, text = F(seconds=a), datetime(1, 1, 1, tzinfo=timezone(timedelta(0, a))).isoformat()[19:]
        assert (str(x), x.as_seconds(), x.is_utc(), hash(F(a))) == (text, a, a == 0, hash(x)), a
        assert repr(x) == f"UtcOffset.from_seconds({a})" and eval(repr(x)) == x
        assert [op(prev, x) for op in OPS] == [op(prev.as_seconds(), a) for op in OPS]
        prev = x


# The value, or the error with its note: whole days, hash values, range ends.
@pytest.mark.parametrize("call, expected", [
    (lambda: (str(F(86400)), str(F(-86400))), ("+24:00", "-24:00")),
    (lambda: str(H(sign_positive=False, hours=5, minutes=30)), "-05:30"),
    (lambda: [hash(F(s)) for s in (0, 3600, -18000)],
     [-3737345886862931216, -6999854392838765814, 2797410627461956818]),
    *((call, ValueError("Invalid offset: OutOfRange")) for call in [
        lambda: F(86401), lambda: F(-86401), lambda: H(True, 24, 0), lambda: H(False, 0, 60)]),
    (lambda: H(1, 5, 0), TypeError(f"'int' object is not an instance of 'bool'{W}'sign_positive'")),
    (lambda: H(type("Odd", (), {"__module__": 12345})(), 5, 30),  # a module name that is no str
     TypeError(f"'Odd' object is not an instance of 'bool'{W}'sign_positive'")),
    (lambda: [H(b, 5, 30).as_seconds() for b in map(pytest.importorskip("numpy").bool_, (1, 0))],
     [19800, -19800]),
])
def test_values_and_errors(call, expected):
    try:
        value = call()
    except Exception as e:
        value = type(e)("\n".join([str(e), *getattr(e, "__notes__", [])]))
    assert (type(value), str(value)) == (type(expected), str(expected))
