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
"""

ROWS = [
    Row("OffsetDateTime.parse", "OffsetDateTime.parse(text)", "datetime.fromisoformat",
        "datetime.datetime.fromisoformat(text)", SETUP,
        extra_peers=[("ciso8601.parse_datetime", "ciso8601.parse_datetime(text)")]),
    Row("str(OffsetDateTime)", "str(o)", "datetime.isoformat()", "po.isoformat()", SETUP, 0.25),
    Row("repr(OffsetDateTime)", "repr(o)", "repr(datetime)", "repr(po)", SETUP),
    Row("OffsetDateTime.from_local", "OffsetDateTime.from_local(d, t, off)",
        "datetime.combine(tzinfo=tz)", "datetime.datetime.combine(pd, pt, tzinfo=tz)", SETUP),
    Row("OffsetDateTime.to_local()", "o.to_local()", "datetime.astimezone(tz)", "pu.astimezone(tz)",
        SETUP),
    Row("OffsetDateTime.add_duration", "o.add_duration(dur)", "datetime + timedelta", "po + pdur",
        SETUP),
    Row("OffsetDateTime.difference", "o.difference(p)", "datetime - datetime", "po - pp", SETUP),
    Row("OffsetDateTime.unix_timestamp()", "o.unix_timestamp()", "datetime.timestamp()",
        "po.timestamp()", SETUP),
    Row("hash(OffsetDateTime)", "hash(o)", "hash(datetime)", "hash(po)", SETUP),
    Row("OffsetDateTime < OffsetDateTime", "o < p", "datetime < datetime", "po < pp", SETUP),
    Row("OffsetDateTime == OffsetDateTime", "o == p", "datetime == datetime", "po == pp", SETUP),
]
