# SPDX-License-Identifier: MIT
"""chronexa's values in the standard library's sqlite3.

``register()`` installs adapters (value -> stored form) and converters
(stored form -> value). Declare each column with the class's name, and
connect with ``detect_types=sqlite3.PARSE_DECLTYPES``::

    CREATE TABLE events (at CHRONEXA_OFFSETDATETIME, day CHRONEXA_DATE)

(or name the type in a query's column alias with ``PARSE_COLNAMES``:
``SELECT x AS "x [CHRONEXA_DATE]"``). The names are chronexa's own rather
than ``DATE`` or ``TIMESTAMP``, whose converters the standard library
registers for its datetime objects and whose stored forms differ.

Every value reads back exactly, and ``ORDER BY``, ``MIN``, ``MAX`` and range
comparisons between stored values follow the values' own order over the
whole range of years (-2147483648 to 2147483647):

====================  ==================================================
declared type         stored form
====================  ==================================================
``CHRONEXA_DATE``     INTEGER: days since 1970-01-01
``CHRONEXA_TIME``     INTEGER: nanoseconds since midnight
``CHRONEXA_UTCOFFSET``  INTEGER: seconds east of UTC
``CHRONEXA_WEEKDAY``  INTEGER: 1 (Monday) to 7 (Sunday)
``CHRONEXA_DATETIME``  TEXT ``DDDDDDDDDDDDD:NNNNNNNNNNNNNN``: days since
                      -2147483648-01-01 (13 digits), nanoseconds of the day
                      (14 digits)
``CHRONEXA_OFFSETDATETIME``  TEXT: the instant as for ``CHRONEXA_DATETIME``,
                      then ``:`` and the offset in seconds plus 86400
                      (6 digits): it sorts by instant, then by offset
``CHRONEXA_DURATION``  TEXT: nanoseconds plus 2**127 (39 digits), then ``ns``
====================  ==================================================

Why these: SQLite's integers are 64-bit, which holds a day count, a time of
day and an offset but not the instants' nanoseconds over 4.3 billion years
(about 1.4e29) nor a 128-bit duration. Those are fixed-width digit strings
of counts shifted to start at zero, so that text order (SQLite compares
text byte by byte) is the values' order, negative years included. Each has
a non-digit (``:``, ``ns``) so that a column's numeric affinity never turns
it into a number.
"""

from __future__ import annotations

import re
from typing import Any

from chronexa import Date, DateTime, Duration, OffsetDateTime, Time, UtcOffset, Weekday

__all__ = ["DECLARED_TYPES", "register"]

_NS = 1_000_000_000
_DAY_NS = 86400 * _NS
_DAYS_MIN = Date(-2147483648, 1, 1).days_since_unix_epoch()
_BIAS_NS = -_DAYS_MIN * _DAY_NS  # nanoseconds from the first instant to the epoch
_DURATION_BIAS = 2**127
_OFFSET_BIAS = 86400
_INSTANT = re.compile(rb"([0-9]{13}):([0-9]{14})")
_OFFSET_INSTANT = re.compile(rb"([0-9]{13}):([0-9]{14}):([0-9]{6})")
_DURATION = re.compile(rb"([0-9]{39})ns")
_WEEKDAYS = (Weekday.MONDAY, Weekday.TUESDAY, Weekday.WEDNESDAY, Weekday.THURSDAY,
             Weekday.FRIDAY, Weekday.SATURDAY, Weekday.SUNDAY)

DECLARED_TYPES = {
    Date: "CHRONEXA_DATE", Time: "CHRONEXA_TIME", DateTime: "CHRONEXA_DATETIME",
    OffsetDateTime: "CHRONEXA_OFFSETDATETIME", UtcOffset: "CHRONEXA_UTCOFFSET",
    Duration: "CHRONEXA_DURATION", Weekday: "CHRONEXA_WEEKDAY",
}
"""The declared column type (and converter name) of each class."""


def _instant_text(unix_nanos: int) -> str:
    days, nanos = divmod(unix_nanos + _BIAS_NS, _DAY_NS)
    return f"{days:013d}:{nanos:014d}"


def _adapt_date_time(v: DateTime) -> str:
    return _instant_text(v.unix_timestamp_nanos())


def _adapt_offset_date_time(v: OffsetDateTime) -> str:
    return f"{_instant_text(v.unix_timestamp_nanos())}:{v.offset.as_seconds() + _OFFSET_BIAS:06d}"


def _adapt_duration(v: Duration) -> str:
    return f"{v.total_nanos() + _DURATION_BIAS:039d}ns"


def _corrupt(data: bytes, what: str) -> ValueError:
    return ValueError(f"stored value {data!r} is not a {what} written by chronexa_adapters.sqlite")


def _instant(m: re.Match[bytes]) -> DateTime:
    total = int(m[1]) * _DAY_NS + int(m[2]) - _BIAS_NS
    secs, nanos = divmod(total, _NS)
    return DateTime.from_unix_timestamp(secs, nanos)


def _convert_date_time(data: bytes) -> DateTime:
    m = _INSTANT.fullmatch(data)
    if m is None:
        raise _corrupt(data, "DateTime")
    return _instant(m)


def _convert_offset_date_time(data: bytes) -> OffsetDateTime:
    m = _OFFSET_INSTANT.fullmatch(data)
    if m is None:
        raise _corrupt(data, "OffsetDateTime")
    return OffsetDateTime.from_utc(_instant(m), UtcOffset.from_seconds(int(m[3]) - _OFFSET_BIAS))


def _convert_duration(data: bytes) -> Duration:
    m = _DURATION.fullmatch(data)
    if m is None:
        raise _corrupt(data, "Duration")
    return Duration.nanoseconds(int(m[1]) - _DURATION_BIAS)


def _integer(data: bytes, what: str) -> int:
    # An INTEGER comes back as its decimal digits; anything else is not ours.
    if not re.fullmatch(rb"-?[0-9]+", data):
        raise _corrupt(data, what)
    return int(data)


def _convert_date(data: bytes) -> Date:
    return Date.from_days_since_unix_epoch(_integer(data, "Date"))


def _convert_time(data: bytes) -> Time:
    n = _integer(data, "Time")
    if not 0 <= n < _DAY_NS:
        raise _corrupt(data, "Time")
    return Time(n // 3_600_000_000_000, n // 60_000_000_000 % 60, n // _NS % 60, n % _NS)


def _convert_utc_offset(data: bytes) -> UtcOffset:
    return UtcOffset.from_seconds(_integer(data, "UtcOffset"))


def _convert_weekday(data: bytes) -> Weekday:
    n = _integer(data, "Weekday")
    if not 1 <= n <= 7:
        raise _corrupt(data, "Weekday")
    return _WEEKDAYS[n - 1]


_ADAPTERS: dict[type, Any] = {
    Date: Date.days_since_unix_epoch, Time: Time.nanos_since_midnight,
    DateTime: _adapt_date_time, OffsetDateTime: _adapt_offset_date_time,
    UtcOffset: UtcOffset.as_seconds, Duration: _adapt_duration,
    Weekday: Weekday.number_from_monday,
}
_CONVERTERS: dict[type, Any] = {
    Date: _convert_date, Time: _convert_time, DateTime: _convert_date_time,
    OffsetDateTime: _convert_offset_date_time, UtcOffset: _convert_utc_offset,
    Duration: _convert_duration, Weekday: _convert_weekday,
}


def register() -> None:
    """Register the adapters and converters with sqlite3 (process-wide, idempotent)."""
    import sqlite3

    for cls, adapt in _ADAPTERS.items():
        sqlite3.register_adapter(cls, adapt)
        sqlite3.register_converter(DECLARED_TYPES[cls], _CONVERTERS[cls])
