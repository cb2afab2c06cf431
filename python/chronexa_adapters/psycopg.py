# SPDX-License-Identifier: MIT
"""chronexa's values in PostgreSQL, through psycopg 3.

``register(conn)`` (or a cursor, or ``psycopg.adapters`` for every new
connection) installs dumpers and loaders, text and binary:

============================  ==========================  =================
chronexa                      PostgreSQL                  loaded as
============================  ==========================  =================
``Date``                      ``date``                    ``Date``
``Time``                      ``time``                    ``Time``
``DateTime``                  ``timestamptz``             ``DateTime``
``OffsetDateTime``            ``timestamptz`` (instant)   ``DateTime``
(none)                        ``timestamp``               ``DateTime``, its
                                                          wall time read as
                                                          UTC
============================  ==========================  =================

``timestamptz`` holds an instant, not an offset: an ``OffsetDateTime`` is
stored as its instant and loads as a ``DateTime`` (store the offset in a
column of its own to keep it).

PostgreSQL holds microseconds, dates from 4714-11-24 BC to 5874897 AD and
timestamps from 4714-11-24 BC to 294276 AD. A value with nanoseconds below
the microsecond raises ValueError unless registered with ``truncate=True``
(which drops those digits, towards the past); a value outside PostgreSQL's
range always raises. PostgreSQL's ``infinity``, ``-infinity`` and the time
``24:00:00`` have no chronexa value and raise ValueError when loaded.

The text loaders read PostgreSQL's ISO output (``DateStyle`` ISO, the
default and what psycopg requires for its own date loaders), at any session
``TimeZone``.
"""

from __future__ import annotations

import re
import struct
from typing import TYPE_CHECKING, Any

from chronexa import Date, DateTime, OffsetDateTime, Time

if TYPE_CHECKING:
    from psycopg.abc import AdaptContext

__all__ = ["register"]

_US = 1000
_DAY_US = 86_400_000_000
_PG_EPOCH_DAYS = 10957  # 2000-01-01, PostgreSQL's epoch, in days since 1970-01-01
_PG_EPOCH_US = _PG_EPOCH_DAYS * _DAY_US
# PostgreSQL's limits, relative to its epoch: Julian day 0 (4714-11-24 BC) up
# to 5874898-01-01 for dates, 294277-01-01 for timestamps (both excluded).
_DATE_MIN, _DATE_END = -2451545, 2147483494 - 2451545
_TS_MIN, _TS_END = -211813488000000000, 9223371331200000000
_INT32_MIN, _INT32_MAX = -(2**31), 2**31 - 1
_INT64_MIN, _INT64_MAX = -(2**63), 2**63 - 1
_pack_int4 = struct.Struct("!i").pack
_pack_int8 = struct.Struct("!q").pack
_unpack_int4 = struct.Struct("!i").unpack
_unpack_int8 = struct.Struct("!q").unpack

_DATE_TEXT = re.compile(rb"([0-9]{4,})-([0-9]{2})-([0-9]{2})( BC)?")
_TIME_TEXT = re.compile(rb"([0-9]{2}):([0-9]{2}):([0-9]{2})(?:\.([0-9]{1,6}))?")
_TS_TEXT = re.compile(
    rb"([0-9]{4,})-([0-9]{2})-([0-9]{2}) ([0-9]{2}):([0-9]{2}):([0-9]{2})(?:\.([0-9]{1,6}))?"
    rb"(?:([+-])([0-9]{2})(?::([0-9]{2}))?(?::([0-9]{2}))?)?( BC)?")


def _lost_nanoseconds(value: object) -> ValueError:
    return ValueError(f"{value} has nanoseconds, which PostgreSQL cannot hold "
                      "(microsecond precision); register with truncate=True to drop them")


def _out_of_range(value: object, target: str, years: str) -> ValueError:
    return ValueError(f"{value} is outside the range of PostgreSQL's {target} ({years})")


# Values to PostgreSQL's counts: days and microseconds since 2000-01-01.

def _date_days(d: Date) -> int:
    days = d.days_since_unix_epoch() - _PG_EPOCH_DAYS
    if not _DATE_MIN <= days < _DATE_END:
        raise _out_of_range(d, "date", "4714-11-24 BC to 5874897-12-31")
    return days


def _time_us(t: Time, truncate: bool) -> int:
    us, ns = divmod(t.nanos_since_midnight(), _US)
    if ns and not truncate:
        raise _lost_nanoseconds(t)
    return us


def _instant_us(v: DateTime | OffsetDateTime, truncate: bool) -> int:
    us, ns = divmod(v.unix_timestamp_nanos(), _US)
    if ns and not truncate:
        raise _lost_nanoseconds(v)
    us -= _PG_EPOCH_US
    if not _TS_MIN <= us < _TS_END:
        raise _out_of_range(v, "timestamptz", "4714-11-24 BC to 294276-12-31")
    return us


# PostgreSQL's counts to values.

def _infinite(what: str) -> ValueError:
    return ValueError(f"PostgreSQL's {what} infinity has no chronexa value")


def _from_days(days: int) -> Date:
    if days in (_INT32_MIN, _INT32_MAX):
        raise _infinite("date")
    return Date.from_days_since_unix_epoch(days + _PG_EPOCH_DAYS)


def _from_us(us: int) -> DateTime:
    if us in (_INT64_MIN, _INT64_MAX):
        raise _infinite("timestamp")
    secs, us = divmod(us + _PG_EPOCH_US, 1_000_000)
    return DateTime.from_unix_timestamp(secs, us * _US)


def _time_from_us(us: int) -> Time:
    if not 0 <= us < _DAY_US:
        raise ValueError(f"PostgreSQL's time {us} µs after midnight has no chronexa value "
                         "(24:00:00 is not a Time)")
    ns = us * _US
    return Time(ns // 3_600_000_000_000, ns // 60_000_000_000 % 60, ns // 1_000_000_000 % 60,
                ns % 1_000_000_000)


# Text forms: ISO, with " BC" for years up to 0 (PostgreSQL has no year 0).

def _year_text(year: int) -> tuple[str, str]:
    return (f"{year:04d}", "") if year > 0 else (f"{1 - year:04d}", " BC")


def _date_text(d: Date) -> bytes:
    _date_days(d)  # the range check
    year, era = _year_text(d.year)
    return f"{year}-{d.month:02d}-{d.day:02d}{era}".encode()


def _instant_text(us: int) -> str:
    dt = _from_us(us)  # the (possibly truncated) instant PostgreSQL will hold
    d, t = dt.date, dt.time
    year, era = _year_text(d.year)
    return (f"{year}-{d.month:02d}-{d.day:02d} {t.hour:02d}:{t.minute:02d}:{t.second:02d}"
            f".{t.nanosecond // _US:06d}+00{era}")


def _year_from_text(digits: bytes, bc: bytes | None) -> int:
    year = int(digits)
    return 1 - year if bc else year


def _micros(frac: bytes | None) -> int:
    return int((frac or b"").ljust(6, b"0"))


def _load_date_text(data: bytes) -> Date:
    m = _DATE_TEXT.fullmatch(data)
    if m is None:
        if data in (b"infinity", b"-infinity"):
            raise _infinite("date")
        raise ValueError(f"cannot read PostgreSQL date {bytes(data)!r}: set DateStyle to ISO")
    return Date(_year_from_text(m[1], m[4]), int(m[2]), int(m[3]))


def _load_time_text(data: bytes) -> Time:
    m = _TIME_TEXT.fullmatch(data)
    if m is None:
        raise ValueError(f"cannot read PostgreSQL time {bytes(data)!r}")
    h, mi, s = int(m[1]), int(m[2]), int(m[3])
    return _time_from_us(((h * 60 + mi) * 60 + s) * 1_000_000 + _micros(m[4]))


def _load_timestamp_text(data: bytes) -> DateTime:
    m = _TS_TEXT.fullmatch(data)
    if m is None:
        if data in (b"infinity", b"-infinity"):
            raise _infinite("timestamp")
        raise ValueError(f"cannot read PostgreSQL timestamp {bytes(data)!r}: set DateStyle to ISO")
    days = Date(_year_from_text(m[1], m[12]), int(m[2]), int(m[3])).days_since_unix_epoch()
    secs = days * 86400 + (int(m[4]) * 60 + int(m[5])) * 60 + int(m[6])
    if m[8]:  # the session TimeZone's offset
        offset = int(m[9]) * 3600 + int(m[10] or 0) * 60 + int(m[11] or 0)
        secs -= -offset if m[8] == b"-" else offset
    return DateTime.from_unix_timestamp(secs, _micros(m[7]) * _US)


def register(context: AdaptContext, *, truncate: bool = False) -> None:
    """Register chronexa's dumpers and loaders on ``context``: a connection,
    a cursor, or ``psycopg.adapters`` (the default for new connections).

    ``truncate=True`` drops nanoseconds below the microsecond on the way to
    PostgreSQL instead of raising ValueError.
    """
    from psycopg import postgres
    from psycopg.adapt import Dumper, Loader
    from psycopg.pq import Format

    oid = {name: postgres.types[name].oid for name in ("date", "time", "timestamp", "timestamptz")}

    def dumper(cls_oid: int, fmt: Format, dump: Any) -> type[Dumper]:
        def dump_method(self: Dumper, obj: Any) -> bytes:
            return dump(obj)  # type: ignore[no-any-return]
        return type("ChronexaDumper", (Dumper,), {"oid": cls_oid, "format": fmt, "dump": dump_method})

    def loader(fmt: Format, load: Any) -> type[Loader]:
        def load_method(self: Loader, data: Any) -> Any:
            return load(bytes(data))
        return type("ChronexaLoader", (Loader,), {"format": fmt, "load": load_method})

    def instant_binary(v: Any) -> bytes:
        return _pack_int8(_instant_us(v, truncate))

    def instant_text(v: Any) -> bytes:
        return _instant_text(_instant_us(v, truncate)).encode()

    def time_text(t: Time) -> bytes:
        us = _time_us(t, truncate)
        s, us = divmod(us, 1_000_000)
        return f"{s // 3600:02d}:{s // 60 % 60:02d}:{s % 60:02d}.{us:06d}".encode()

    adapters = context.adapters
    # Text registered last: "%s" placeholders then send text, "%b" binary.
    for fmt, dumps in (
        (Format.BINARY, {Date: (oid["date"], lambda d: _pack_int4(_date_days(d))),
                         Time: (oid["time"], lambda t: _pack_int8(_time_us(t, truncate))),
                         DateTime: (oid["timestamptz"], instant_binary),
                         OffsetDateTime: (oid["timestamptz"], instant_binary)}),
        (Format.TEXT, {Date: (oid["date"], _date_text),
                       Time: (oid["time"], time_text),
                       DateTime: (oid["timestamptz"], instant_text),
                       OffsetDateTime: (oid["timestamptz"], instant_text)}),
    ):
        for cls, (cls_oid, dump) in dumps.items():
            adapters.register_dumper(cls, dumper(cls_oid, fmt, dump))

    binary_loads = {"date": lambda b: _from_days(_unpack_int4(b)[0]),
                    "time": lambda b: _time_from_us(_unpack_int8(b)[0]),
                    "timestamp": lambda b: _from_us(_unpack_int8(b)[0]),
                    "timestamptz": lambda b: _from_us(_unpack_int8(b)[0])}
    text_loads = {"date": _load_date_text, "time": _load_time_text,
                  "timestamp": _load_timestamp_text, "timestamptz": _load_timestamp_text}
    for name in oid:
        adapters.register_loader(name, loader(Format.BINARY, binary_loads[name]))
        adapters.register_loader(name, loader(Format.TEXT, text_loads[name]))
