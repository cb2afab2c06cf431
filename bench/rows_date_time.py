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
"""

ROWS = [
    Row("DateTime(d, t)", "DateTime(d, t)", "datetime(..., tzinfo=UTC)",
        "datetime.datetime(2024, 1, 5, 12, 30, 45, 123456, tzinfo=UTC)", SETUP),
    Row("DateTime.parse", "DateTime.parse(text)", "datetime.fromisoformat",
        "datetime.datetime.fromisoformat(text)", SETUP, 0.5,
        extra_peers=[("ciso8601.parse_datetime", "ciso8601.parse_datetime(text)")]),
    Row("str(DateTime)", "str(a)", "datetime.isoformat / str", "str(pa)", SETUP, 0.5),
    Row("repr(DateTime)", "repr(a)", "repr(datetime)", "repr(pa)", SETUP, 0.5),
    Row("DateTime.from_unix_timestamp", "DateTime.from_unix_timestamp(1704457845, 123456789)",
        "datetime.fromtimestamp(s, UTC)", "datetime.datetime.fromtimestamp(1704457845.123456, UTC)",
        SETUP, 0.5),
    Row("DateTime.unix_timestamp()", "a.unix_timestamp()", "datetime.timestamp()",
        "pa.timestamp()", SETUP, 0.5),
    Row("DateTime.add_duration", "a.add_duration(dur)", "datetime + timedelta", "pa + pdur", SETUP),
    Row("DateTime.difference", "a.difference(b)", "datetime - datetime", "pa - pb", SETUP),
    Row("DateTime.now_utc()", "DateTime.now_utc()", "datetime.now(UTC)",
        "datetime.datetime.now(UTC)", SETUP),
    Row("hash(DateTime)", "hash(a)", "hash(datetime)", "hash(pa)", SETUP),
    Row("DateTime < DateTime", "a < b", "datetime < datetime", "pa < pb", SETUP),
]
