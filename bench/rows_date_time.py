# SPDX-License-Identifier: MIT
from bench import Row

SETUP = """
d = Date(2024, 1, 5); t = Time(12, 30, 45, 123456789)
a = DateTime(d, t); b = DateTime(Date(2024, 1, 6), Time(0, 0, 0))
pa = datetime.datetime(2024, 1, 5, 12, 30, 45, 123456, tzinfo=UTC)
pb = datetime.datetime(2024, 1, 6, tzinfo=UTC)
dur = Duration.seconds(3600); pdur = datetime.timedelta(seconds=3600)
text = '2024-01-05T12:30:45.123456Z'; ptext = '2024-01-05T12:30:45.123456+00:00'
try:
    import ciso8601
except ImportError:
    pass
try:
    import whenever as W
    wd = W.Date(2024, 1, 5); wt = W.Time(12, 30, 45, nanosecond=123456789)
    wa = W.Instant.from_utc(2024, 1, 5, 12, 30, 45, nanosecond=123456789)
    wb = W.Instant.from_utc(2024, 1, 6)
    wdur = W.TimeDelta(seconds=3600)
except ImportError:
    pass
"""


def row(name, ours, peer_name, peer, floor, target=1.0, whenever=None, more=()):
    extra = list(more) + ([("whenever.Instant", whenever)] if whenever else [])
    return Row(name, ours, peer_name, peer, SETUP, target, extra, floor)


ROWS = [
    Row("DateTime(d, t)", "DateTime(d, t)", "datetime(..., tzinfo=UTC)",
        "datetime.datetime(2024, 1, 5, 12, 30, 45, 123456, tzinfo=UTC)", SETUP,
        extra_peers=[("whenever Date.at(Time)", "wd.at(wt)")], floor="constructor (vector call)"),
    row("DateTime.parse", "DateTime.parse(text)", "datetime.fromisoformat",
        "datetime.datetime.fromisoformat(text)", "class method (str)", 0.5,
        "W.Instant.parse_iso(text)",
        [("ciso8601.parse_datetime", "ciso8601.parse_datetime(text)")]),
    row("str(DateTime)", "str(a)", "datetime.isoformat / str", "str(pa)", "str", 0.5, "str(wa)"),
    row("repr(DateTime)", "repr(a)", "repr(datetime)", "repr(pa)", "repr", 0.5, "repr(wa)"),
    row("DateTime.from_unix_timestamp", "DateTime.from_unix_timestamp(1704457845, 123456789)",
        "datetime.fromtimestamp(s, UTC)", "datetime.datetime.fromtimestamp(1704457845.123456, UTC)",
        "class method (int)", 0.5,
        "W.Instant.from_timestamp(1704457845123456789, unit='nanosecond')"),
    row("DateTime.unix_timestamp()", "a.unix_timestamp()", "datetime.timestamp()",
        "pa.timestamp()", "method -> large int", 0.5, "wa.timestamp()"),
    row("DateTime.add_duration", "a.add_duration(dur)", "datetime + timedelta", "pa + pdur",
        "method (1 argument)", whenever="wa + wdur"),
    row("DateTime.difference", "a.difference(b)", "datetime - datetime", "pa - pb",
        "method (1 argument)", whenever="wa - wb"),
    row("DateTime.now_utc()", "DateTime.now_utc()", "datetime.now(UTC)",
        "datetime.datetime.now(UTC)", "class method (clock read)", whenever="W.Instant.now()"),
    row("hash(DateTime)", "hash(a)", "hash(datetime)", "hash(pa)", "hash", whenever="hash(wa)"),
    row("DateTime < DateTime", "a < b", "datetime < datetime", "pa < pb", "comparison",
        whenever="wa < wb"),
]
