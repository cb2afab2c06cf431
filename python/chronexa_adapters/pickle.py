# SPDX-License-Identifier: MIT
"""Opt-in pickling (and so copying) of chronexa's values.

``register()`` installs ``copyreg`` reducers for the seven classes. The
pickled form names only callables of ``chronexa`` itself, so a process that
loads a pickle needs ``chronexa`` importable and nothing else: no call to
``register()`` on the loading side. The form is stable:

==================  ==================================================
class               pickled as
==================  ==================================================
``Date``            ``Date(year, month, day)``
``Time``            ``Time(hour, minute, second, nanosecond)``
``DateTime``        ``DateTime.from_unix_timestamp(secs, nanos)``
``Duration``        ``Duration.nanoseconds(total_nanos)``
``UtcOffset``       ``UtcOffset.from_seconds(seconds)``
``OffsetDateTime``  ``OffsetDateTime.from_utc(utc, offset)``
``Weekday``         ``getattr(Weekday, "MONDAY")`` (the canonical member)
==================  ==================================================

A classmethod is pickled as ``getattr(cls, name)``, so each of these loads
through attribute lookup on the class: renaming a class or one of these
constructors would break old pickles, and the project keeps them.
"""

from __future__ import annotations

import copyreg as _copyreg
from collections.abc import Callable
from typing import Any

from chronexa import Date, DateTime, Duration, OffsetDateTime, Time, UtcOffset, Weekday

__all__ = ["register", "unregister"]

_Reduced = tuple[Callable[..., Any], tuple[Any, ...]]

_WEEKDAY_NAMES = {getattr(Weekday, n): n for n in
                  ("MONDAY", "TUESDAY", "WEDNESDAY", "THURSDAY", "FRIDAY", "SATURDAY", "SUNDAY")}


def _date(d: Date) -> _Reduced:
    return Date, (d.year, d.month, d.day)


def _time(t: Time) -> _Reduced:
    return Time, (t.hour, t.minute, t.second, t.nanosecond)


def _date_time(dt: DateTime) -> _Reduced:
    secs, nanos = divmod(dt.unix_timestamp_nanos(), 1_000_000_000)
    return DateTime.from_unix_timestamp, (secs, nanos)


def _duration(d: Duration) -> _Reduced:
    return Duration.nanoseconds, (d.total_nanos(),)


def _utc_offset(o: UtcOffset) -> _Reduced:
    return UtcOffset.from_seconds, (o.as_seconds(),)


def _offset_date_time(odt: OffsetDateTime) -> _Reduced:
    return OffsetDateTime.from_utc, (odt.utc, odt.offset)


def _weekday(w: Weekday) -> _Reduced:
    return getattr, (Weekday, _WEEKDAY_NAMES[w])


_REDUCERS: dict[type, Callable[[Any], _Reduced]] = {
    Date: _date, Time: _time, DateTime: _date_time, Duration: _duration,
    UtcOffset: _utc_offset, OffsetDateTime: _offset_date_time, Weekday: _weekday,
}


def register() -> None:
    """Make the seven classes picklable and copyable (``copy``, ``deepcopy``).

    Idempotent. Registration is process-wide; pickles made afterwards load
    in any process that can import ``chronexa``.
    """
    for cls, reducer in _REDUCERS.items():
        _copyreg.pickle(cls, reducer)


def unregister() -> None:
    """Undo ``register()``: pickling and copying refuse again."""
    for cls in _REDUCERS:
        _copyreg.dispatch_table.pop(cls, None)
