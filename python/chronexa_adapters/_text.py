# SPDX-License-Identifier: MIT
"""The text forms the wire adapters (JSON, msgspec, pydantic) share.

Every form reads back to the value it was written from, exactly:

- ``Date``, ``Time``, ``DateTime``: their ``str()``, read by their ``parse``
  (``DateTime`` is RFC 3339 in UTC, ``...Z``).
- ``OffsetDateTime``: its ``str()``, RFC 3339 with the offset. RFC 3339
  offsets are whole minutes from -23:59 to +23:59: writing a value with any
  other offset (``+01:01:01``, ``+24:00``) raises ValueError rather than
  send a text no reader (chronexa's included) accepts.
- ``UtcOffset``: its ``str()``, ``+HH:MM`` or ``+HH:MM:SS``; read back only in
  that canonical form.
- ``Duration``: ISO 8601 seconds, ``PT1.5S``, ``-PT0.000000001S``, ``PT0S``.
  A duration is a 128-bit count of nanoseconds, beyond the 64-bit integers of
  orjson and msgspec and far beyond the 2**53 a JavaScript reader keeps
  exact, so an integer would not cross every wire; this text does, and
  names its unit.
- ``Weekday``: its name as ``str()`` prints it, ``"Monday"``.
"""

from __future__ import annotations

import re
from typing import Any, Final, TypeVar

from chronexa import Date, DateTime, Duration, OffsetDateTime, Time, UtcOffset, Weekday

T = TypeVar("T", Date, Time, DateTime, UtcOffset, OffsetDateTime, Duration, Weekday)

CLASSES: Final = (Date, Time, DateTime, UtcOffset, OffsetDateTime, Duration, Weekday)
_NS = 1_000_000_000
_RFC3339_OFFSET_MAX = 23 * 3600 + 59 * 60
_DURATION_MIN, _DURATION_MAX = -(2**127), 2**127 - 1
_DURATION = re.compile(r"(-?)PT([0-9]+)(?:\.([0-9]{1,9}))?S")
_OFFSET = re.compile(r"([+-])([0-9]{2}):([0-9]{2})(?::([0-9]{2}))?")
_WEEKDAYS: Final = {str(w): w for w in (
    Weekday.MONDAY, Weekday.TUESDAY, Weekday.WEDNESDAY, Weekday.THURSDAY,
    Weekday.FRIDAY, Weekday.SATURDAY, Weekday.SUNDAY)}


def duration_text(d: Duration) -> str:
    n = d.total_nanos()
    secs, frac = divmod(abs(n), _NS)
    text = f"PT{secs}.{frac:09d}".rstrip("0").rstrip(".") + "S" if frac else f"PT{secs}S"
    return "-" + text if n < 0 else text


def parse_duration(s: str) -> Duration:
    m = _DURATION.fullmatch(s)
    if m is None:
        raise ValueError(f"Invalid duration string {s!r}. Expected format: [-]PTseconds[.fffffffff]S")
    n = int(m[2]) * _NS + int((m[3] or "").ljust(9, "0"))
    n = -n if m[1] else n
    if not _DURATION_MIN <= n <= _DURATION_MAX:
        raise ValueError(f"duration {s!r} is outside the range of Duration (128-bit nanoseconds)")
    return Duration.nanoseconds(n)


def parse_utc_offset(s: str) -> UtcOffset:
    m = _OFFSET.fullmatch(s)
    if m is not None:
        secs = int(m[2]) * 3600 + int(m[3]) * 60 + int(m[4] or 0)
        try:
            offset = UtcOffset.from_seconds(-secs if m[1] == "-" else secs)
        except ValueError:
            offset = None
        # Only the form str() prints: no "-00:00", no ":00" seconds, minutes < 60.
        if offset is not None and str(offset) == s:
            return offset
    raise ValueError(f"Invalid UTC offset string {s!r}. Expected format: +HH:MM[:SS] "
                     "(-24:00 to +24:00)")


def parse_weekday(s: str) -> Weekday:
    try:
        return _WEEKDAYS[s]
    except KeyError:
        raise ValueError(f"Invalid weekday string {s!r}. Expected one of: "
                         + ", ".join(_WEEKDAYS)) from None


def to_text(value: object) -> str:
    """The text form of a chronexa value; TypeError for anything else."""
    cls = type(value)
    if cls is Duration:
        return duration_text(value)  # type: ignore[arg-type]
    if cls is OffsetDateTime:
        seconds = value.offset.as_seconds()  # type: ignore[attr-defined]
        if seconds % 60 or abs(seconds) > _RFC3339_OFFSET_MAX:
            raise ValueError(f"{value!r} has the offset {value.offset}, "  # type: ignore[attr-defined]
                             "which RFC 3339 cannot write (whole minutes, -23:59 to +23:59); "
                             "convert it to UTC (.utc) or to such an offset first")
        return str(value)
    if cls in CLASSES:
        return str(value)
    raise TypeError(f"Object of type {cls.__name__} is not JSON serializable")


_PARSERS: Final[dict[type, Any]] = {
    Date: Date.parse, Time: Time.parse, DateTime: DateTime.parse,
    OffsetDateTime: OffsetDateTime.parse, UtcOffset: parse_utc_offset,
    Duration: parse_duration, Weekday: parse_weekday,
}


def from_text(value: object, cls: type[T]) -> T:
    """Read ``cls`` from its text form: exactly what ``to_text`` writes
    (and, for the classes with a ``parse``, exactly what it accepts)."""
    if type(value) is cls:
        return value
    if not isinstance(value, str):
        raise TypeError(f"expected a str for {cls.__name__}, got {type(value).__name__}")
    try:
        parse = _PARSERS[cls]
    except KeyError:
        raise TypeError(f"{cls!r} is not a chronexa class") from None
    return parse(value)  # type: ignore[no-any-return]
