# SPDX-License-Identifier: MIT
"""One instant, shown at several fixed offsets: the local date and time
change, the instant (and so its Unix time) does not."""

from chronexa import DateTime, OffsetDateTime, UtcOffset

launch = DateTime.parse("2024-12-31T22:15:00Z")
places = [
    ("Honolulu", UtcOffset.from_hours_minutes(False, 10, 0)),
    ("New York", UtcOffset.from_hours_minutes(False, 5, 0)),
    ("UTC", UtcOffset.from_seconds(0)),
    ("Berlin", UtcOffset.from_hours_minutes(True, 1, 0)),
    ("Kolkata", UtcOffset.from_hours_minutes(True, 5, 30)),
    ("Kathmandu", UtcOffset.from_hours_minutes(True, 5, 45)),
    ("Kiritimati", UtcOffset.from_hours_minutes(True, 14, 0)),
]
for name, offset in places:
    shown = OffsetDateTime.from_utc(launch, offset)
    local = shown.to_local()
    year = "new year" if local.date.year == 2025 else "old year"
    print(f"{name:<11} {str(shown):<26} {local.date.weekday()!s:<9} {year}  {shown.unix_timestamp()}")

# Read back, every text is the same instant.
texts = [str(OffsetDateTime.from_utc(launch, offset)) for _, offset in places]
print("all equal instants:", all(OffsetDateTime.parse(t).utc == launch for t in texts))
