# SPDX-License-Identifier: MIT
from bench import Row

SETUP = """
t = Time(12, 30, 45, 123456000); u = Time(12, 30, 46)
pt = datetime.time(12, 30, 45, 123456); pu = datetime.time(12, 30, 46)
"""

ROWS = [
    Row("Time(12, 30, 45, 123456000)", "Time(12, 30, 45, 123456000)", "datetime.time",
        "datetime.time(12, 30, 45, 123456)", SETUP, 0.5),
    Row("Time(12, 30, 45)", "Time(12, 30, 45)", "datetime.time", "datetime.time(12, 30, 45)",
        SETUP, 0.5),
    Row("Time.parse", "Time.parse('12:30:45.123456')", "time.fromisoformat",
        "datetime.time.fromisoformat('12:30:45.123456')", SETUP, 0.5),
    Row("str(Time)", "str(t)", "str(time)", "str(pt)", SETUP, 0.5),
    Row("repr(Time)", "repr(t)", "repr(time)", "repr(pt)", SETUP, 0.5),
    Row("Time.hour", "t.hour", "time.hour", "pt.hour", SETUP),
    Row("hash(Time)", "hash(t)", "hash(time)", "hash(pt)", SETUP),
    Row("Time < Time", "t < u", "time < time", "pt < pu", SETUP),
    Row("Time == Time", "t == u", "time == time", "pt == pu", SETUP),
]
