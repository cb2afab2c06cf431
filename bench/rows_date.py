# SPDX-License-Identifier: MIT
from bench import Row

SETUP = """
d = Date(2024, 1, 5); e = Date(2024, 1, 6)
pd = datetime.date(2024, 1, 5); pe = datetime.date(2024, 1, 6)
one = datetime.timedelta(days=1)
try:
    import whenever as W
    wd = W.Date(2024, 1, 5); we = W.Date(2024, 1, 6)
except ImportError:
    pass
"""


def row(name, ours, peer_name, peer, floor, target=1.0, whenever=None):
    extra = [("whenever.Date", whenever)] if whenever else []
    return Row(name, ours, peer_name, peer, SETUP, target, extra, floor)


ROWS = [
    row("Date(2024, 1, 5)", "Date(2024, 1, 5)", "datetime.date", "datetime.date(2024, 1, 5)",
        "constructor (vector call)", 0.5, "W.Date(2024, 1, 5)"),
    row("Date.parse", "Date.parse('2024-01-05')", "date.fromisoformat",
        "datetime.date.fromisoformat('2024-01-05')", "class method (str)", 0.5,
        "W.Date.parse_iso('2024-01-05')"),
    row("str(Date)", "str(d)", "date.isoformat / str", "str(pd)", "str", 0.5, "str(wd)"),
    row("repr(Date)", "repr(d)", "repr(date)", "repr(pd)", "repr", 0.5, "repr(wd)"),
    row("Date.add_days(1)", "d.add_days(1)", "date + timedelta", "pd + one", "method (int argument)",
        whenever="wd.add(days=1)"),
    row("Date.weekday()", "d.weekday()", "date.weekday()", "pd.weekday()", "method -> small int",
        whenever="wd.day_of_week()"),
    row("Date.ordinal()", "d.ordinal()", "date.timetuple().tm_yday", "pd.timetuple().tm_yday",
        "method -> small int", whenever="wd.day_of_year()"),
    row("Date.days_since_unix_epoch()", "d.days_since_unix_epoch()", "date.toordinal()",
        "pd.toordinal()", "method -> int"),
    row("Date.from_days_since_unix_epoch", "Date.from_days_since_unix_epoch(19727)",
        "date.fromordinal", "datetime.date.fromordinal(738890)", "class method (int)"),
    row("hash(Date)", "hash(d)", "hash(date)", "hash(pd)", "hash", whenever="hash(wd)"),
    row("Date < Date", "d < e", "date < date", "pd < pe", "comparison", whenever="wd < we"),
    row("Date == Date", "d == e", "date == date", "pd == pe", "comparison", whenever="wd == we"),
]
