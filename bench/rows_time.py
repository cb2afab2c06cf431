# SPDX-License-Identifier: MIT
from bench import Row

SETUP = """
t = Time(12, 30, 45, 123456000); u = Time(12, 30, 46)
pt = datetime.time(12, 30, 45, 123456); pu = datetime.time(12, 30, 46)
try:
    import whenever as W
    wt = W.Time(12, 30, 45, nanosecond=123456000); wu = W.Time(12, 30, 46)
except ImportError:
    pass
"""


def row(name, ours, peer_name, peer, floor, target=1.0, whenever=None):
    extra = [("whenever.Time", whenever)] if whenever else []
    return Row(name, ours, peer_name, peer, SETUP, target, extra, floor)


ROWS = [
    row("Time(12, 30, 45, 123456000)", "Time(12, 30, 45, 123456000)", "datetime.time",
        "datetime.time(12, 30, 45, 123456)", "constructor (vector call)", 0.5,
        "W.Time(12, 30, 45, nanosecond=123456000)"),
    row("Time(12, 30, 45)", "Time(12, 30, 45)", "datetime.time", "datetime.time(12, 30, 45)",
        "constructor (vector call)", 0.5, "W.Time(12, 30, 45)"),
    row("Time.parse", "Time.parse('12:30:45.123456')", "time.fromisoformat",
        "datetime.time.fromisoformat('12:30:45.123456')", "class method (str)", 0.5,
        "W.Time.parse_iso('12:30:45.123456')"),
    row("str(Time)", "str(t)", "str(time)", "str(pt)", "str", 0.5, "str(wt)"),
    row("repr(Time)", "repr(t)", "repr(time)", "repr(pt)", "repr", 0.5, "repr(wt)"),
    row("Time.hour", "t.hour", "time.hour", "pt.hour", "property", whenever="wt.hour"),
    row("hash(Time)", "hash(t)", "hash(time)", "hash(pt)", "hash", whenever="hash(wt)"),
    row("Time < Time", "t < u", "time < time", "pt < pu", "comparison", whenever="wt < wu"),
    row("Time == Time", "t == u", "time == time", "pt == pu", "comparison", whenever="wt == wu"),
]
