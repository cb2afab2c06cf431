# SPDX-License-Identifier: MIT
"""The calls of the leak loop and of the allocation-failure sweep: every
constructor, method, property, operator, str/repr/hash and error path.

Loops are map() and filter() rather than comprehensions (which CPython 3.14
also compiles tuple(<generator>) into): under python3.14d a comprehension
whose list fails to grow trips an assertion in the interpreter itself
(_Py_Dealloc, "current_frame->stackpointer != NULL"), which the
allocation-failure sweep would otherwise hit."""
from chronexa import Date, DateTime, Duration, OffsetDateTime, Time, UtcOffset, Weekday


class Index:
    """An integer through __index__."""

    def __init__(self, value):
        self.value = value

    def __index__(self):
        return self.value


class NotNumpy:
    """A class whose module name is not a str."""

    __module__ = 12345


class BadIndex:
    def __index__(self):
        raise RuntimeError("no index")


class NotAnIntIndex:
    def __index__(self):
        return "1"


def raises(kind, call, *args, **kwargs):
    try:
        call(*args, **kwargs)
    except kind:
        return
    raise AssertionError(f"{call!r}{args}{kwargs} did not raise {kind.__name__}")


d = Date(2024, 2, 29)
t = Time(12, 30, 0, 5)
dt = DateTime(d, t)
off = UtcOffset.from_seconds(19800)
neg = UtcOffset.from_hours_minutes(False, 5, 0)
odt = OffsetDateTime.from_utc(dt, off)
dur = Duration.seconds(90)
big = Duration.nanoseconds(-(2**127))
edge = DateTime(Date(2147483647, 12, 31), Time(23, 30, 0))
far = OffsetDateTime.from_utc(edge, UtcOffset.from_seconds(3600))  # no local text
values = [d, t, dt, off, odt, dur, Weekday.MONDAY]

CASES = [
    # constructors, both conventions, keywords, __index__ operands
    lambda: Date(2024, 1, 1),
    lambda: Date(year=2024, month=1, day=1),
    lambda: Date(2024, day=Index(5), month=True),
    lambda: Date.__new__(Date, 2024, 1, 1),
    lambda: Time(1, 2, 3),
    lambda: Time(1, 2, 3, 4),
    lambda: Time(hour=1, minute=2, second=3, nanosecond=4),
    lambda: Time.__new__(Time, 1, 2, 3),
    lambda: DateTime(d, t),
    lambda: DateTime(date=d, time=t),
    lambda: DateTime.__new__(DateTime, d, t),
    # class methods
    lambda: Date.parse("2024-02-29"),
    lambda: Date.parse(s="-0005-1-1"),
    lambda: Date.from_days_since_unix_epoch(19782),
    lambda: Time.parse("12:30:00.123456789"),
    lambda: Duration.seconds(-5),
    lambda: Duration.milliseconds(2**62),
    lambda: Duration.microseconds(us=7),
    lambda: Duration.nanoseconds(2**100),
    lambda: Duration.nanoseconds(-(2**127)),
    lambda: DateTime.parse("2024-01-01T12:00:00.5Z"),
    lambda: DateTime.from_unix_timestamp(1_709_164_800),
    lambda: DateTime.from_unix_timestamp(-1, nanos=-5),
    lambda: DateTime.now_utc(),
    lambda: UtcOffset.from_seconds(-3599),
    lambda: UtcOffset.from_hours_minutes(True, 5, 30),
    lambda: UtcOffset.from_hours_minutes(sign_positive=False, hours=Index(1), minutes=0),
    lambda: OffsetDateTime.from_utc(dt, off),
    lambda: OffsetDateTime.from_local(d, t, neg),
    lambda: OffsetDateTime.parse(" 2024-01-01 12:00:00-05:30\u3000"),
    lambda: OffsetDateTime.parse("2024-01-05T12:30:45.123456+05:30"),
    # methods and properties
    lambda: (d.days_since_unix_epoch(), d.weekday(), d.ordinal(), d.add_days(1),
             d.add_days(days=-1)),
    lambda: (d.year, d.month, d.day),
    lambda: (t.seconds_since_midnight(), t.nanos_since_midnight(), t.hour, t.minute, t.second,
             t.nanosecond),
    lambda: (dur.total_seconds(), dur.total_nanos(), big.total_nanos()),
    lambda: (dt.unix_timestamp(), dt.unix_timestamp_nanos(), dt.add_duration(dur),
             dt.add_duration(dur=dur), dt.difference(dt), dt.date,
             dt.time),
    lambda: (off.as_seconds(), off.is_utc(), neg.as_seconds()),
    lambda: (odt.to_local(), odt.unix_timestamp(), odt.unix_timestamp_nanos(),
             odt.add_duration(dur), odt.difference(odt), odt.utc, odt.offset),
    lambda: (far.unix_timestamp(), far.utc, far.offset, hash(far)),
    lambda: tuple(map(lambda w: w.number_from_monday(), (Weekday.MONDAY, d.weekday()))),
    # str, repr, hash of every class
    lambda: tuple(map(lambda v: (str(v), repr(v)), values)),
    lambda: tuple(map(lambda v: hash(v), filter(lambda v: not isinstance(v, Weekday), values))),
    # operators
    lambda: (dur + dur, dur - dur, -dur, -big, big + big, big - dur),
    lambda: tuple(map(lambda v: (v == v, v != v), values)),
    lambda: tuple(map(lambda v: (v < v, v <= v, v > v, v >= v), filter(lambda v: not isinstance(v, Weekday), values))),
    lambda: (odt == OffsetDateTime.from_utc(dt, neg), odt < far),
    # NotImplemented: equality falls back, ordering and arithmetic raise
    lambda: tuple(map(lambda v: (v == 1, v != "x", v.__eq__(None)), values)),
    lambda: [d.__lt__(1), dur.__add__(1), dur.__sub__(d), dur.__radd__("x"), dur.__rsub__(1.0)],
    lambda: raises(TypeError, lambda: d < 1),
    lambda: raises(TypeError, lambda: dt >= t),
    lambda: raises(TypeError, lambda: dur + 1),
    lambda: raises(TypeError, lambda: 1 - dur),
    lambda: raises(TypeError, lambda: dur - odt),
    # wrong arity
    lambda: raises(TypeError, Date),
    lambda: raises(TypeError, Date, 2024, 1),
    lambda: raises(TypeError, Date, 2024, 1, 1, 1),
    lambda: raises(TypeError, Time, 1, 2, 3, 4, 5),
    lambda: raises(TypeError, DateTime, d),
    lambda: raises(TypeError, DateTime.from_unix_timestamp, 1, 2, 3),
    lambda: raises(TypeError, DateTime.from_unix_timestamp),
    lambda: raises(TypeError, d.add_days),
    lambda: raises(TypeError, d.add_days, 1, 2),
    lambda: raises(TypeError, d.ordinal, 1),
    lambda: raises(TypeError, Date.parse),
    lambda: raises(TypeError, OffsetDateTime.from_local, d, t),
    lambda: raises(TypeError, UtcOffset.from_hours_minutes, True, 5, 30, 0),
    lambda: raises(TypeError, Weekday),
    lambda: raises(TypeError, Duration),
    # bad keywords
    lambda: raises(TypeError, Date, 2024, 1, 1, foo=1),
    lambda: raises(TypeError, Date, 2024, year=2024, month=1, day=1),
    lambda: raises(TypeError, Date, 2024, 1, 1, **{"\ud800": 1}),
    lambda: raises(TypeError, Time, 1, 2, 3, nano=4),
    lambda: raises(TypeError, d.add_days, day=1),
    lambda: raises(TypeError, Date.parse, text="2024-01-01"),
    lambda: raises(TypeError, DateTime.from_unix_timestamp, 1, secs=1),
    lambda: raises(TypeError, d.weekday, x=1),
    # wrong types
    lambda: raises(TypeError, Date, "2024", 1, 1),
    lambda: raises(TypeError, Date, 2024.0, 1, 1),
    lambda: raises(TypeError, Date, NotAnIntIndex(), 1, 1),
    lambda: raises(RuntimeError, Date, BadIndex(), 1, 1),
    lambda: raises(TypeError, d.add_days, "1"),
    lambda: raises(TypeError, Date.parse, 5),
    lambda: raises(TypeError, Date.parse, b"2024-01-01"),
    lambda: raises(TypeError, Time.parse, None),
    lambda: raises(TypeError, DateTime, t, d),
    lambda: raises(TypeError, dt.add_duration, 5),
    lambda: raises(TypeError, dt.difference, d),
    lambda: raises(TypeError, odt.difference, dt),
    lambda: raises(TypeError, OffsetDateTime.from_utc, d, off),
    lambda: raises(TypeError, OffsetDateTime.from_local, d, t, 3600),
    lambda: raises(TypeError, UtcOffset.from_hours_minutes, "yes", 5, 30),
    lambda: raises(TypeError, UtcOffset.from_hours_minutes, None, 5, 30),
    lambda: raises(TypeError, UtcOffset.from_hours_minutes, NotNumpy(), 5, 30),
    lambda: raises(TypeError, object.__new__, Date),
    lambda: raises(TypeError, Duration.nanoseconds, 1.5),
    # overflowing integers
    lambda: raises(OverflowError, Date, 2**40, 1, 1),
    lambda: raises(OverflowError, Date, 2024, 300, 1),
    lambda: raises(OverflowError, Date, 2024, -1, 1),
    lambda: raises(OverflowError, d.add_days, 2**70),
    lambda: raises(OverflowError, Duration.nanoseconds, 2**200),
    lambda: raises(OverflowError, Duration.seconds, -(2**64)),
    lambda: raises(OverflowError, DateTime.from_unix_timestamp, 2**63, 0),
    lambda: raises(OverflowError, DateTime.from_unix_timestamp, 0, 2**31),
    lambda: raises(OverflowError, Time, 1, 2, 3, 2**33),
    lambda: raises(OverflowError, UtcOffset.from_seconds, 2**31),
    # bad text
    lambda: raises(ValueError, Date.parse, "2024-02-30"),
    lambda: raises(ValueError, Date.parse, "x" * 100),
    lambda: raises(ValueError, Time.parse, "24:00:00"),
    lambda: raises(ValueError, Time.parse, "1:2:3\0"),
    lambda: raises(ValueError, DateTime.parse, "2024-01-01T12:00:00+00:00"),
    lambda: raises(ValueError, OffsetDateTime.parse, "2024-01-01T12:00:00"),
    lambda: raises(ValueError, OffsetDateTime.parse, "\u00e9\u20ac\U0001f600"),
    lambda: raises(UnicodeEncodeError, Date.parse, "2024-01-0\ud800"),
    lambda: raises(UnicodeEncodeError, OffsetDateTime.parse, "\udfff"),
    # core errors
    lambda: raises(ValueError, Date, 2023, 2, 29),
    lambda: raises(ValueError, Date.from_days_since_unix_epoch, 10**15),
    lambda: raises(ValueError, Date(2147483647, 12, 31).add_days, 1),
    lambda: raises(ValueError, Time, 24, 0, 0),
    lambda: raises(ValueError, UtcOffset.from_seconds, 86401),
    lambda: raises(ValueError, UtcOffset.from_hours_minutes, True, 24, 0),
    lambda: raises(ValueError, DateTime.from_unix_timestamp, 2**62, 0),
    lambda: raises(ValueError, dt.add_duration, Duration.nanoseconds(2**120)),
    lambda: raises(ValueError, odt.add_duration, big),
    lambda: raises(ValueError, far.to_local),
    lambda: raises(ValueError, str, far),
    lambda: repr(far),
    lambda: raises(ValueError, OffsetDateTime.from_local, edge.date, edge.time, neg),
]
