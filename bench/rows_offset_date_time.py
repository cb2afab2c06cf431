# SPDX-License-Identifier: MIT
from bench import Row

SETUP = """
text = '2024-01-05T12:30:45.123456+05:30'
o = OffsetDateTime.parse(text); p = OffsetDateTime.parse('2024-01-06T00:00:00-08:00')
d = Date(2024, 1, 5); t = Time(12, 30, 45, 123456000); off = UtcOffset.from_seconds(19800)
tz = datetime.timezone(datetime.timedelta(seconds=19800))
po = datetime.datetime.fromisoformat(text)
pp = datetime.datetime.fromisoformat('2024-01-06T00:00:00-08:00')
pu = po.astimezone(UTC)
pd = datetime.date(2024, 1, 5); pt = datetime.time(12, 30, 45, 123456)
dur = Duration.seconds(3600); pdur = datetime.timedelta(seconds=3600)
try:
    import ciso8601
except ImportError:
    pass
try:
    import whenever as W
    wo = W.OffsetDateTime.parse_iso(text)
    wp = W.OffsetDateTime.parse_iso('2024-01-06T00:00:00-08:00')
    wl = wo.to_plain(); woff = W.TimeDelta(seconds=19800); wdur = W.TimeDelta(seconds=3600)
except ImportError:
    pass
"""


def row(name, ours, peer_name, peer, floor, target=1.0, whenever=None, more=()):
    extra = list(more) + ([("whenever.OffsetDateTime", whenever)] if whenever else [])
    return Row(name, ours, peer_name, peer, SETUP, target, extra, floor)


ROWS = [
    row("OffsetDateTime.parse", "OffsetDateTime.parse(text)", "datetime.fromisoformat",
        "datetime.datetime.fromisoformat(text)", "class method (str)",
        whenever="W.OffsetDateTime.parse_iso(text)",
        more=[("ciso8601.parse_datetime", "ciso8601.parse_datetime(text)")]),
    row("str(OffsetDateTime)", "str(o)", "datetime.isoformat()", "po.isoformat()", "str", 0.25,
        "str(wo)"),
    row("repr(OffsetDateTime)", "repr(o)", "repr(datetime)", "repr(po)", "repr",
        whenever="repr(wo)"),
    row("OffsetDateTime.from_local", "OffsetDateTime.from_local(d, t, off)",
        "datetime.combine(tzinfo=tz)", "datetime.datetime.combine(pd, pt, tzinfo=tz)",
        "class method (objects)",
        more=[("whenever assume_fixed_offset (method)", "wl.assume_fixed_offset(woff)")]),
    row("OffsetDateTime.to_local()", "o.to_local()", "datetime.astimezone(tz)", "pu.astimezone(tz)",
        "method -> new object", whenever="wo.to_plain()"),
    row("OffsetDateTime.add_duration", "o.add_duration(dur)", "datetime + timedelta", "po + pdur",
        "method (1 argument)", whenever="wo.add(wdur, stale_offset_ok=True)"),
    row("OffsetDateTime.difference", "o.difference(p)", "datetime - datetime", "po - pp",
        "method (1 argument)", whenever="wo - wp"),
    row("OffsetDateTime.unix_timestamp()", "o.unix_timestamp()", "datetime.timestamp()",
        "po.timestamp()", "method -> large int", whenever="wo.timestamp()"),
    row("hash(OffsetDateTime)", "hash(o)", "hash(datetime)", "hash(po)", "hash",
        whenever="hash(wo)"),
    row("OffsetDateTime < OffsetDateTime", "o < p", "datetime < datetime", "po < pp",
        "comparison", whenever="wo < wp"),
    row("OffsetDateTime == OffsetDateTime", "o == p", "datetime == datetime", "po == pp",
        "comparison", whenever="wo == wp"),
]
