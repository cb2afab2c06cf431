# SPDX-License-Identifier: MIT
from bench import Row

SETUP = """
d = Date(2024, 1, 5); e = Date(2024, 1, 6)
pd = datetime.date(2024, 1, 5); pe = datetime.date(2024, 1, 6)
one = datetime.timedelta(days=1)
"""

ROWS = [
    Row("Date(2024, 1, 5)", "Date(2024, 1, 5)", "datetime.date", "datetime.date(2024, 1, 5)", SETUP, 0.5),
    Row("Date.parse", "Date.parse('2024-01-05')", "date.fromisoformat",
        "datetime.date.fromisoformat('2024-01-05')", SETUP, 0.5),
    Row("str(Date)", "str(d)", "date.isoformat / str", "str(pd)", SETUP, 0.5),
    Row("repr(Date)", "repr(d)", "repr(date)", "repr(pd)", SETUP, 0.5),
    Row("Date.add_days(1)", "d.add_days(1)", "date + timedelta", "pd + one", SETUP),
    Row("Date.weekday()", "d.weekday()", "date.weekday()", "pd.weekday()", SETUP),
    Row("Date.ordinal()", "d.ordinal()", "date.timetuple().tm_yday", "pd.timetuple().tm_yday", SETUP),
    Row("Date.days_since_unix_epoch()", "d.days_since_unix_epoch()", "date.toordinal()",
        "pd.toordinal()", SETUP),
    Row("Date.from_days_since_unix_epoch", "Date.from_days_since_unix_epoch(19727)",
        "date.fromordinal", "datetime.date.fromordinal(738890)", SETUP),
    Row("hash(Date)", "hash(d)", "hash(date)", "hash(pd)", SETUP),
    Row("Date < Date", "d < e", "date < date", "pd < pe", SETUP),
    Row("Date == Date", "d == e", "date == date", "pd == pe", SETUP),
]
