# SPDX-License-Identifier: MIT
"""A tour of chronexa: run with `make demo`."""

from chronexa import Date, DateTime, Duration, OffsetDateTime, Time, UtcOffset, Weekday

# Construct and validate: every Date in existence is a real calendar day.
leap_day = Date(2024, 2, 29)
print("constructed:     ", repr(leap_day))
try:
    Date(2023, 2, 29)
except ValueError as e:
    print("2023-02-29:      ", e)

# Parse and print ISO 8601 dates; years run over the whole 32-bit range.
for text in ["2024-01-05", "+2024-1-5", "-0044-03-15", "2147483647-12-31"]:
    print(f"parse({text!r}):".ljust(30), Date.parse(text))

# Compare and hash: dates order by the calendar, across year zero too.
dates = sorted([Date(1, 1, 1), Date(-1, 12, 31), Date(0, 1, 1)])
print("sorted:          ", ", ".join(map(str, dates)))
print("distinct:        ", len({Date(2024, 1, 1), Date.parse("2024-01-01")}))

# Weekdays are the canonical members.
print("weekday:         ", leap_day.weekday(), leap_day.weekday() is Weekday.THURSDAY)
print("day of the year: ", leap_day.ordinal())

# Day counts since 1970-01-01, and arithmetic in days.
print("days since 1970: ", leap_day.days_since_unix_epoch())
print("day 0:           ", Date.from_days_since_unix_epoch(0))
print("a year later:    ", leap_day.add_days(366))
try:
    Date(2147483647, 12, 31).add_days(1)
except ValueError as e:
    print("past the end:    ", e)

# Times of day have nanosecond precision.
t = Time.parse("12:30:00.000000500")
print("time:            ", t, "=", t.nanos_since_midnight(), "ns since midnight")

# Durations are exact 128-bit nanosecond counts.
span = Duration.seconds(90) + Duration.nanoseconds(1)
print("duration:        ", span, "=", span.total_seconds(), "s")

# A DateTime is a UTC instant; timestamps go both ways, to the nanosecond.
dt = DateTime(leap_day, t)
print("instant:         ", dt, "->", dt.unix_timestamp_nanos(), "ns since 1970")
print("from timestamp:  ", DateTime.from_unix_timestamp(-1, 250_000_000))
print("later:           ", dt.add_duration(span))
print("difference:      ", DateTime.parse("2025-01-01T00:00:00Z").difference(dt))
try:
    DateTime.parse("2024-02-29T12:30:00+01:00")
except ValueError as e:
    print("not UTC text:    ", e)

# Fixed offsets and RFC 3339 text: local time = UTC + offset.
india = UtcOffset.from_hours_minutes(True, 5, 30)
odt = OffsetDateTime.from_utc(dt, india)
print("shown at +05:30: ", odt, "| utc:", odt.utc, "| local:", odt.to_local())
parsed = OffsetDateTime.parse(" 2024-02-29 18:00:00.0000005+05:30\n")
print("parsed:          ", repr(parsed), "same instant:", parsed.difference(odt))
print("now:             ", DateTime.now_utc())
