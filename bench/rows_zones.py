# SPDX-License-Identifier: MIT
# Named time zones through the bridge (zoneinfo) against whenever's own.
from bench import Row

SETUP = """
import zoneinfo, whenever
import chronexa_datetime as cdt
berlin = zoneinfo.ZoneInfo("Europe/Berlin")
dt = DateTime.parse("2024-07-01T10:30:05.25Z"); d = Date(2024, 7, 1); t = Time(12, 30, 5, 250_000_000)
wi = whenever.Instant.from_utc(2024, 7, 1, 10, 30, 5, nanosecond=250_000_000)
"""

# zoneinfo is C, but each call crosses from Python to datetime and back; the
# target is to stay within twice whenever, which does it all in one call.
TARGET = 2.0

ROWS = [
    Row("cdt.in_zone(DateTime, key)", "cdt.in_zone(dt, 'Europe/Berlin')",
        "whenever Instant.to_tz", "wi.to_tz('Europe/Berlin')", SETUP, TARGET),
    Row("cdt.from_local_in_zone(key)", "cdt.from_local_in_zone(d, t, 'Europe/Berlin')",
        "whenever ZonedDateTime(...)",
        "whenever.ZonedDateTime(2024, 7, 1, 12, 30, 5, nanosecond=250_000_000, tz='Europe/Berlin', "
        "disambiguation='raise')", SETUP, TARGET),
]
