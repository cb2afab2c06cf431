# SPDX-License-Identifier: MIT
# chronexa_datetime against the conversion written out by hand (the same
# fields, without the checks for lost precision, range and naive values).
from bench import Row

SETUP = """
import chronexa_datetime as cdt
SEC = datetime.timedelta(seconds=1); US = datetime.timedelta(microseconds=1)
d = Date(2024, 2, 29); t = Time(12, 30, 5, 250_000); dt = DateTime(d, t)
off = UtcOffset.from_hours_minutes(True, 5, 30); odt = OffsetDateTime.from_utc(dt, off)
dur = Duration.seconds(90061); w = d.weekday()
WEEKDAYS = [Weekday.MONDAY, Weekday.TUESDAY, Weekday.WEDNESDAY, Weekday.THURSDAY,
            Weekday.FRIDAY, Weekday.SATURDAY, Weekday.SUNDAY]
tz = datetime.timezone(datetime.timedelta(hours=5, minutes=30))
pd = datetime.date(2024, 2, 29); pt = datetime.time(12, 30, 5, 250)
pdt = datetime.datetime(2024, 2, 29, 18, 0, 5, 250, tz); ptd = datetime.timedelta(days=1, seconds=3661)
"""

# The bridge may cost somewhat more than the bare conversion: it checks what
# the hand-written one gets wrong, and it is one Python call more (about 40 ns,
# which weighs most on the cheapest conversions, those of times).
TARGET = 1.5
SMALL = 2.0

ROWS = [
    Row("cdt.to_date(Date)", "cdt.to_date(d)", "date(d.year, d.month, d.day)",
        "datetime.date(d.year, d.month, d.day)", SETUP, TARGET),
    Row("cdt.from_date(date)", "cdt.from_date(pd)", "Date(pd.year, pd.month, pd.day)",
        "Date(pd.year, pd.month, pd.day)", SETUP, TARGET),
    Row("cdt.to_time(Time)", "cdt.to_time(t)", "time(t.hour, ..., t.nanosecond // 1000)",
        "datetime.time(t.hour, t.minute, t.second, t.nanosecond // 1000)", SETUP, SMALL),
    Row("cdt.from_time(time)", "cdt.from_time(pt)", "Time(pt.hour, ..., pt.microsecond * 1000)",
        "Time(pt.hour, pt.minute, pt.second, pt.microsecond * 1000)", SETUP, SMALL),
    Row("cdt.to_datetime(DateTime)", "cdt.to_datetime(dt)", "datetime(fields of .date, .time, UTC)",
        "a = dt.date; b = dt.time; datetime.datetime(a.year, a.month, a.day, b.hour, b.minute, b.second, "
        "b.nanosecond // 1000, UTC)", SETUP, TARGET),
    Row("cdt.to_datetime(OffsetDateTime)", "cdt.to_datetime(odt)", "datetime(fields of to_local(), timezone)",
        "l = odt.to_local(); a = l.date; b = l.time; datetime.datetime(a.year, a.month, a.day, b.hour, "
        "b.minute, b.second, b.nanosecond // 1000, datetime.timezone(datetime.timedelta("
        "seconds=odt.offset.as_seconds())))", SETUP, TARGET),
    Row("cdt.from_datetime(datetime)", "cdt.from_datetime(pdt)", "OffsetDateTime.from_local(fields)",
        "OffsetDateTime.from_local(Date(pdt.year, pdt.month, pdt.day), Time(pdt.hour, pdt.minute, "
        "pdt.second, pdt.microsecond * 1000), UtcOffset.from_seconds(pdt.utcoffset() // SEC))", SETUP, TARGET),
    Row("cdt.from_datetime_utc(datetime)", "cdt.from_datetime_utc(pdt)", "DateTime(fields of astimezone(UTC))",
        "u = pdt.astimezone(UTC); DateTime(Date(u.year, u.month, u.day), Time(u.hour, u.minute, u.second, "
        "u.microsecond * 1000))", SETUP, TARGET),
    Row("cdt.to_timezone(UtcOffset)", "cdt.to_timezone(off)", "timezone(timedelta(seconds=...))",
        "datetime.timezone(datetime.timedelta(seconds=off.as_seconds()))", SETUP, TARGET),
    Row("cdt.from_timezone(timezone)", "cdt.from_timezone(tz)", "UtcOffset.from_seconds(utcoffset // 1s)",
        "UtcOffset.from_seconds(tz.utcoffset(None) // SEC)", SETUP, TARGET),
    Row("cdt.to_timedelta(Duration)", "cdt.to_timedelta(dur)", "timedelta(microseconds=ns // 1000)",
        "datetime.timedelta(microseconds=dur.total_nanos() // 1000)", SETUP, TARGET),
    Row("cdt.from_timedelta(timedelta)", "cdt.from_timedelta(ptd)", "Duration.microseconds(td // 1us)",
        "Duration.microseconds(ptd // US)", SETUP, TARGET),
    Row("cdt.to_isoweekday(Weekday)", "cdt.to_isoweekday(w)", "w.number_from_monday()",
        "w.number_from_monday()", SETUP, TARGET),
    # A function call with a range check against a bare index: the call is
    # all there is to measure.
    Row("cdt.from_isoweekday(4)", "cdt.from_isoweekday(4)", "WEEKDAYS[4 - 1]", "WEEKDAYS[4 - 1]", SETUP, 6.0),
]
