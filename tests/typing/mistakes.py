# SPDX-License-Identifier: MIT
# Deliberate mistakes: mypy --strict must report each line marked "error:" with
# the code named there, and nothing else; pyright an error on each such line.
import datetime

import chronexa_datetime as cdt
from chronexa import Date, DateTime, Duration, OffsetDateTime, Time, UtcOffset, Weekday

d = Date(2024, 1, 1)
Date("2024", 1, 1)  # error: arg-type
Date(2024, 1)  # error: call-arg
Date.parse(b"2024-01-01")  # error: arg-type
d.add_day(1)  # error: attr-defined
d.year = 2025  # error: misc
Time(1, 2, 3, nanosecond=None)  # error: arg-type
DateTime.from_unix_timestamp(1, nanoseconds=5)  # error: call-arg
DateTime(d, d)  # error: arg-type
Duration.seconds(1) + 1  # error: operator
Duration(seconds=5)  # error: call-arg
Duration()  # error: call-arg
OffsetDateTime()  # error: call-arg
UtcOffset()  # error: call-arg
Weekday()  # error: call-arg
d < DateTime.now_utc()  # error: operator
UtcOffset.from_hours_minutes(1, 5, 30)  # error: arg-type
OffsetDateTime.from_utc(d, UtcOffset.from_seconds(0))  # error: arg-type
seconds: int = Duration.seconds(1).total_seconds()  # error: assignment
Weekday.MONDAY.number_from_sunday()  # error: attr-defined
cdt.from_datetime(datetime.date(2024, 1, 1))  # error: arg-type
cdt.to_time(Time(1, 2, 3), True)  # error: call-arg
cdt.to_date(datetime.date(2024, 1, 1))  # error: arg-type
