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

Named time zones come from the standard library's ``zoneinfo`` (the system's
time-zone database): ``in_zone`` shows an instant at a zone's offset, and
``from_local_in_zone`` reads a zone's wall-clock time as an instant, refusing
a time the clocks skip or show twice unless told how to choose.
"""

from __future__ import annotations

import datetime as _dt
import zoneinfo as _zoneinfo
from collections.abc import Callable as _Callable
from typing import Literal as _Literal

from chronexa import Date, DateTime, Duration, OffsetDateTime, Time, UtcOffset, Weekday

__all__ = [
    "from_date", "from_datetime", "from_datetime_utc", "from_isoweekday", "from_time",
    "from_local_in_zone", "from_timedelta", "from_timezone", "in_zone", "to_date", "to_datetime",
    "to_isoweekday", "to_time", "to_timedelta", "to_timezone",
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


# ---- named time zones ----

_ZoneInfo = _zoneinfo.ZoneInfo
_fromtimestamp = _datetime.fromtimestamp
_from_utc = OffsetDateTime.from_utc
_from_local = OffsetDateTime.from_local
_from_seconds = UtcOffset.from_seconds
# The offsets of a zone's rules, by seconds, built once.
_OFFSETS: dict[int, UtcOffset] = {}
# Unix seconds of 0001-01-01T00:00:00Z and 9999-12-31T23:59:59Z.
_FIRST_SECOND, _LAST_SECOND = -62135596800, 253402300799
_EPOCH_NAIVE = _datetime(1970, 1, 1)

Disambiguate = _Literal["raise", "earlier", "later", "compatible"]


def _zone(zone: _zoneinfo.ZoneInfo | str) -> _zoneinfo.ZoneInfo:
    if type(zone) is _ZoneInfo:
        return zone
    if isinstance(zone, str):
        return _ZoneInfo(zone)  # cached by zoneinfo; ZoneInfoNotFoundError for unknown keys
    if isinstance(zone, _ZoneInfo):
        return zone
    raise TypeError(f"zone must be a zoneinfo.ZoneInfo or a key such as 'Europe/Berlin', "
                    f"not {type(zone).__name__}")


def _utc_offset(delta: _dt.timedelta | None) -> UtcOffset:
    # zoneinfo's offsets are whole seconds (the database stores seconds).
    seconds = delta.days * 86400 + delta.seconds  # type: ignore[union-attr]
    offset = _OFFSETS.get(seconds)
    if offset is None:
        offset = _OFFSETS[seconds] = _from_seconds(seconds)
    return offset


# A zone's offset is constant between its transitions, which in the whole
# database lie at least four days apart (the test of every transition checks
# the lookups around each). So the offsets are kept by span of 2**16 seconds
# (18 hours) of UTC, or of wall-clock time for from_local_in_zone, where one
# span holds at most one transition: a span whose first and last second have
# the same offset (and, for wall time, a single reading) has that offset
# throughout. None marks a span that holds a transition.
_SPAN = 16
_SPANS_KEPT = 4096  # per zone and direction, about eight years
_UTC_SPANS: dict[object, dict[int, UtcOffset | None]] = {}
_WALL_SPANS: dict[object, dict[int, UtcOffset | None]] = {}
_NO_SPANS: dict[int, UtcOffset | None] = {}
assert _SPAN == 16  # written out as a literal on the two lookups


def _spans(kept: dict[object, dict[int, UtcOffset | None]], zone: object) -> dict[int, UtcOffset | None]:
    spans = kept.get(zone)
    if spans is None:
        if len(kept) >= 1024:
            kept.clear()
        spans = kept[zone] = {}
    elif len(spans) >= _SPANS_KEPT:
        spans.clear()
    return spans


def _offset_at(seconds: int, tz: _zoneinfo.ZoneInfo) -> _dt.timedelta | None:
    return _fromtimestamp(seconds, tz).utcoffset()


def _utc_span(span: int, tz: _zoneinfo.ZoneInfo) -> UtcOffset | None:
    first = span << _SPAN
    last = first + (1 << _SPAN) - 1
    if first < _FIRST_SECOND or last > _LAST_SECOND:
        return None
    try:
        a, b = _offset_at(first, tz), _offset_at(last, tz)
    except (OverflowError, ValueError):
        return None
    return _utc_offset(a) if a == b else None


def in_zone(instant: DateTime | OffsetDateTime, zone: _zoneinfo.ZoneInfo | str) -> OffsetDateTime:
    """The OffsetDateTime of ``instant`` at the offset ``zone`` has then: the
    same instant, to the nanosecond, shown as the zone's clocks show it.
    ``zone`` is a ZoneInfo or its key. ValueError outside the standard
    library's years 1 to 9999."""
    if type(instant) is DateTime:
        utc = instant
    elif type(instant) is OffsetDateTime:
        utc = instant.utc
    else:
        raise TypeError(f"in_zone() takes a DateTime or an OffsetDateTime, not {type(instant).__name__}")
    # Transitions fall on whole seconds, so the floor of the instant's
    # seconds has the instant's offset.
    seconds = utc.unix_timestamp()
    offset = _UTC_SPANS.get(zone, _NO_SPANS).get(seconds >> 16)  # _SPAN
    if offset is not None:
        return _from_utc(utc, offset)
    tz = _zone(zone)
    if not _FIRST_SECOND <= seconds <= _LAST_SECOND:
        raise _out_of_range(instant, "zoneinfo")
    try:
        local = _fromtimestamp(seconds, tz)
    except (OverflowError, ValueError):  # a local time past year 9999 or before year 1
        raise _out_of_range(instant, "zoneinfo") from None
    _spans(_UTC_SPANS, zone)[seconds >> _SPAN] = _utc_span(seconds >> _SPAN, tz)
    return _from_utc(utc, _utc_offset(local.utcoffset()))


def _wall_span(span: int, tz: _zoneinfo.ZoneInfo) -> UtcOffset | None:
    readings = set()
    for seconds in (span << _SPAN, ((span + 1) << _SPAN) - 1):
        if not _FIRST_SECOND <= seconds <= _LAST_SECOND:
            return None
        wall = _EPOCH_NAIVE.__add__(_timedelta(seconds=seconds)).replace(tzinfo=tz)
        readings.add(wall.utcoffset())
        readings.add(wall.replace(fold=1).utcoffset())
    return _utc_offset(readings.pop()) if len(readings) == 1 else None


def from_local_in_zone(date: Date, time: Time, zone: _zoneinfo.ZoneInfo | str, *,
                       disambiguate: Disambiguate = "raise") -> OffsetDateTime:
    """The instant at which ``zone``'s clocks show ``date`` and ``time``, as an
    OffsetDateTime at the zone's offset then. A wall time the clocks skip (a
    gap) or show twice (a fold) raises ValueError unless ``disambiguate``
    chooses: ``"earlier"`` or ``"later"`` of the two instants the wall time
    could mean, or ``"compatible"``, as datetime does with fold=0 (the earlier
    in a fold, the later in a gap). ValueError outside years 1 to 9999."""
    if disambiguate not in ("raise", "earlier", "later", "compatible"):
        raise ValueError("disambiguate must be 'raise', 'earlier', 'later' or 'compatible', "
                         f"not {disambiguate!r}")
    wall_seconds = date.days_since_unix_epoch() * 86400 + time.seconds_since_midnight()
    offset = _WALL_SPANS.get(zone, _NO_SPANS).get(wall_seconds >> 16)  # _SPAN
    if offset is not None:
        return _from_local(date, time, offset)
    tz = _zone(zone)
    year = date.year
    if not 1 <= year <= 9999:
        raise _out_of_range(date, "zoneinfo")
    _spans(_WALL_SPANS, zone)[wall_seconds >> _SPAN] = _wall_span(wall_seconds >> _SPAN, tz)
    # The wall time to the second: transitions fall on whole seconds.
    wall = _datetime(year, date.month, date.day, time.hour, time.minute, time.second, 0, tz)
    first = wall.utcoffset()
    second = wall.replace(fold=1).utcoffset()
    if first == second:
        return _from_local(date, time, _utc_offset(first))
    # first is the offset before the transition, second the one after: a fold
    # when the clocks went back (first > second), a gap when they went ahead.
    fold = first > second  # type: ignore[operator]
    if disambiguate == "raise":
        a, b = _utc_offset(first), _utc_offset(second)
        if fold:
            raise ValueError(
                f"{date}T{time} exists twice in {tz.key}, at {a} and then at {b}; pass "
                "disambiguate='earlier' or 'later' to choose one (or 'compatible': the earlier)")
        raise ValueError(
            f"{date}T{time} does not exist in {tz.key}: the clocks skip it, going from {a} to {b}; "
            "pass disambiguate='earlier' or 'later' for the instant it names at either offset "
            "(or 'compatible': the later, as datetime does)")
    # Read at either offset, the wall time names two instants; at `first` the
    # later one in a gap and the earlier one in a fold.
    use_first = (disambiguate == "earlier") == fold if disambiguate != "compatible" else True
    chosen = _utc_offset(first if use_first else second)
    result = _from_local(date, time, chosen)
    if fold:
        return result
    # In a gap the instant is shown at the offset the zone has then: the other one.
    return _from_utc(result.utc, _utc_offset(second if use_first else first))
