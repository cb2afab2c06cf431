# SPDX-License-Identifier: MIT
"""Conversions between chronexa and the standard library's datetime.

``to_X`` turns a chronexa value into the standard library's ``X``;
``from_X`` turns an ``X`` into a chronexa value. Nothing is lost silently:

- chronexa holds nanoseconds and years -2147483648 to 2147483647, the
  standard library microseconds and years 1 to 9999. A conversion that would
  drop nanoseconds raises ValueError unless called with ``truncate=True``
  (which drops the digits below the microsecond); a value outside the
  standard library's range always raises ValueError.
- A naive datetime has no instant: it is refused, with a hint on attaching an
  offset. A time with a tzinfo, and an offset with a fraction of a second,
  have no chronexa counterpart and are refused too.
"""

from __future__ import annotations

import datetime as _dt
from collections.abc import Callable as _Callable

from chronexa import Date, DateTime, Duration, OffsetDateTime, Time, UtcOffset, Weekday

__all__ = [
    "from_date", "from_datetime", "from_datetime_utc", "from_isoweekday", "from_time",
    "from_timedelta", "from_timezone", "to_date", "to_datetime", "to_isoweekday", "to_time",
    "to_timedelta", "to_timezone",
]

_date = _dt.date
_fromordinal = _dt.date.fromordinal
_from_days = Date.from_days_since_unix_epoch
_nanoseconds = Duration.nanoseconds
_from_unix = DateTime.from_unix_timestamp
_ORDINAL_OF_EPOCH = 719163  # date(1970, 1, 1).toordinal()
_DAYS_MIN, _DAYS_MAX = 1 - _ORDINAL_OF_EPOCH, 3652059 - _ORDINAL_OF_EPOCH  # years 1 to 9999
_time = _dt.time
_datetime = _dt.datetime
_timedelta = _dt.timedelta
_timezone = _dt.timezone
_UTC = _dt.timezone.utc
_EPOCH = _dt.datetime(1970, 1, 1, tzinfo=_UTC)
_US = _dt.timedelta(microseconds=1)
# The standard library's timedelta range, in microseconds.
_TIMEDELTA_MIN_US = _timedelta.min // _US
_TIMEDELTA_MAX_US = _timedelta.max // _US
# Offsets by seconds, built once: most programs meet a handful of them.
_ZONES: dict[int, _dt.timezone] = {0: _UTC}
_WEEKDAYS = (Weekday.MONDAY, Weekday.TUESDAY, Weekday.WEDNESDAY, Weekday.THURSDAY,
             Weekday.FRIDAY, Weekday.SATURDAY, Weekday.SUNDAY)
_NAIVE = ("naive datetime {!r} has no offset; attach one first, e.g. "
          "dt.replace(tzinfo=datetime.timezone.utc) or dt.astimezone() for the system's local time")


def _lost_nanoseconds(what: object) -> ValueError:
    return ValueError(f"{what} has nanoseconds, which the standard library cannot hold "
                      "(microsecond precision); pass truncate=True to drop them")


def _out_of_range(what: object, target: str) -> ValueError:
    return ValueError(f"{what} is outside the range of {target} (years 1 to 9999)")


def _offset_seconds(offset: _dt.timedelta | None, what: object) -> int:
    if offset is None:
        raise ValueError(_NAIVE.format(what))
    if not isinstance(offset, _timedelta):  # a broken tzinfo, as datetime itself reports it
        raise TypeError("tzinfo.utcoffset() must return None or timedelta, "
                        f"not {type(offset).__name__!r}")
    if offset.microseconds:
        raise ValueError(f"the offset {offset} of {what!r} has a fraction of a second, "
                         "which UtcOffset cannot hold")
    return offset.days * 86400 + offset.seconds


def to_date(d: Date) -> _dt.date:
    """The standard library's date for ``d``; ValueError outside years 1 to 9999."""
    days = d.days_since_unix_epoch()
    if not _DAYS_MIN <= days <= _DAYS_MAX:
        raise _out_of_range(d, "datetime.date")
    return _fromordinal(days + _ORDINAL_OF_EPOCH)


def from_date(d: _dt.date) -> Date:
    """The Date of a standard library date (not a datetime: see from_datetime)."""
    if type(d) is not _date and isinstance(d, _datetime):
        raise TypeError("from_date() takes a date, not a datetime: use from_datetime(), "
                        "or from_date(dt.date()) to drop the time on purpose")
    return _from_days(d.toordinal() - _ORDINAL_OF_EPOCH)


def to_time(t: Time, *, truncate: bool = False) -> _dt.time:
    """The standard library's naive time for ``t``.

    ValueError if ``t`` has nanoseconds, unless ``truncate`` is true."""
    nanosecond = t.nanosecond
    micro = nanosecond // 1000
    if micro * 1000 != nanosecond and not truncate:
        raise _lost_nanoseconds(t)
    return _time(t.hour, t.minute, t.second, micro)


def from_time(t: _dt.time) -> Time:
    """The Time of a naive standard library time (its fold is ignored, as the
    standard library ignores it without a tzinfo)."""
    if t.tzinfo is not None:
        raise ValueError(f"{t!r} has a tzinfo, which Time cannot hold; "
                         "drop it with t.replace(tzinfo=None)")
    return Time(t.hour, t.minute, t.second, t.microsecond * 1000)


def to_timezone(offset: UtcOffset) -> _dt.timezone:
    """The standard library's fixed-offset timezone for ``offset``; ValueError
    for +24:00 and -24:00, which it cannot hold."""
    seconds = offset.as_seconds()
    zone = _ZONES.get(seconds)
    if zone is None:
        if not -86400 < seconds < 86400:
            raise ValueError(f"the offset {offset} is outside the range of datetime.timezone "
                             "(strictly within 24 hours)")
        zone = _timezone(_timedelta(seconds=seconds))
        if len(_ZONES) < 512:
            _ZONES[seconds] = zone
    return zone


def from_timezone(tz: _dt.timezone) -> UtcOffset:
    """The UtcOffset of a fixed-offset timezone; ValueError for a fraction of a second."""
    if not isinstance(tz, _timezone):
        raise TypeError(f"from_timezone() takes a datetime.timezone (a fixed offset), not {tz!r}; "
                        "convert an aware datetime with from_datetime() instead")
    return UtcOffset.from_seconds(_offset_seconds(tz.utcoffset(None), tz))


def to_datetime(value: DateTime | OffsetDateTime, *, truncate: bool = False) -> _dt.datetime:
    """An aware standard library datetime for ``value``.

    A DateTime becomes a datetime in ``timezone.utc``; an OffsetDateTime a
    datetime with its local fields and its offset as a fixed timezone.
    ValueError if the local date is outside years 1 to 9999, if the offset is
    24 hours, or if there are nanoseconds and ``truncate`` is false."""
    if type(value) is DateTime:
        d, t, zone = value.date, value.time, _UTC
    elif type(value) is OffsetDateTime:
        zone = to_timezone(value.offset)
        try:
            local = value.to_local()
        except ValueError:  # so far out that its local text cannot be printed either
            raise _out_of_range(f"{value.utc} at {value.offset}", "datetime.datetime") from None
        d, t = local.date, local.time
    else:
        raise TypeError(f"to_datetime() takes a DateTime or an OffsetDateTime, not {type(value).__name__}")
    year = d.year
    if not 1 <= year <= 9999:
        raise _out_of_range(value, "datetime.datetime")
    nanosecond = t.nanosecond
    micro = nanosecond // 1000
    if micro * 1000 != nanosecond and not truncate:
        raise _lost_nanoseconds(value)
    return _datetime(year, d.month, d.day, t.hour, t.minute, t.second, micro, zone)


def _extra_nanoseconds(dt: _dt.datetime) -> int:
    # A subclass may carry more precision than microseconds (pandas'
    # Timestamp has a nanosecond field).
    extra = getattr(dt, "nanosecond", 0)
    return extra if isinstance(extra, int) and 0 <= extra < 1000 else 0


def _fields(dt: _dt.datetime) -> tuple[Date, Time]:
    nanosecond = dt.microsecond * 1000
    if type(dt) is not _datetime:
        nanosecond += _extra_nanoseconds(dt)
    return Date(dt.year, dt.month, dt.day), Time(dt.hour, dt.minute, dt.second, nanosecond)


def from_datetime(dt: _dt.datetime) -> OffsetDateTime:
    """The OffsetDateTime of an aware datetime: its local fields and its offset
    at that moment (a tzinfo with rules, such as zoneinfo, becomes a fixed
    offset). ValueError for a naive datetime or an offset with a fraction of a
    second."""
    seconds = _offset_seconds(dt.utcoffset(), dt)
    d, t = _fields(dt)
    return OffsetDateTime.from_local(d, t, UtcOffset.from_seconds(seconds))


def from_datetime_utc(dt: _dt.datetime) -> DateTime:
    """The UTC DateTime of an aware datetime, exactly (an offset with a fraction
    of a second is fine here); ValueError for a naive one."""
    try:
        since = dt - _EPOCH
    except TypeError:
        # Naive, or a tzinfo whose utcoffset() is broken: asking again raises
        # the standard library's own TypeError for the latter.
        if not isinstance(dt, _datetime) or dt.utcoffset() is not None:
            raise
        raise ValueError(_NAIVE.format(dt)) from None
    nanos = since.microseconds * 1000
    if type(dt) is not _datetime:
        nanos += _extra_nanoseconds(dt)
    return _from_unix(since.days * 86400 + since.seconds, nanos)


def to_timedelta(d: Duration, *, truncate: bool = False) -> _dt.timedelta:
    """The standard library's timedelta for ``d``. ValueError outside its range
    (999999999 days either way), or if ``d`` has nanoseconds and ``truncate``
    is false (truncation is towards zero)."""
    nanos = d.total_nanos()
    micros, rest = divmod(nanos, 1000)
    if rest:
        if not truncate:
            raise _lost_nanoseconds(d)
        micros += nanos < 0  # towards zero
    if not _TIMEDELTA_MIN_US <= micros <= _TIMEDELTA_MAX_US:
        raise ValueError(f"{d} is outside the range of datetime.timedelta "
                         "(-999999999 days to 999999999 days)")
    return _timedelta(0, 0, micros)


def from_timedelta(td: _dt.timedelta) -> Duration:
    """The Duration of a timedelta, exactly (any timedelta fits). A subclass
    with a ``nanoseconds`` field (0 to 999 past its microseconds, as pandas'
    Timedelta has) keeps those nanoseconds; ValueError when that field holds
    anything else."""
    if type(td) is _timedelta:
        return _nanoseconds(td // _US * 1000)
    extra = getattr(td, "nanoseconds", 0)
    if type(extra) is not int or not 0 <= extra < 1000:
        raise ValueError(f"{td!r} has a nanoseconds field of {extra!r}, not 0 to 999; "
                         "convert it to whole nanoseconds first")
    micros = (td.days * 86400 + td.seconds) * 1_000_000 + td.microseconds
    return _nanoseconds(micros * 1000 + extra)


# The ISO weekday number of a Weekday, as date.isoweekday() gives it (Monday
# is 1, Sunday 7): number_from_monday itself.
to_isoweekday: _Callable[[Weekday], int] = Weekday.number_from_monday


def from_isoweekday(number: int) -> Weekday:
    """The Weekday of an ISO weekday number (1 to 7, as date.isoweekday() gives it)."""
    if not 1 <= number <= 7:
        raise ValueError(f"ISO weekday numbers run from 1 (Monday) to 7 (Sunday), not {number!r}")
    return _WEEKDAYS[number - 1]
