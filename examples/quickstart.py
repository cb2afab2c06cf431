# SPDX-License-Identifier: MIT
"""A tour of chronexa: run with `make demo`."""

from chronexa import Date, Weekday

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
