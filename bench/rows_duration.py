# SPDX-License-Identifier: MIT
from bench import Row

SETUP = """
a = Duration.seconds(5); b = Duration.milliseconds(1500)
big = Duration.nanoseconds(2**100)
pa = datetime.timedelta(seconds=5); pb = datetime.timedelta(milliseconds=1500)
try:
    import whenever as W
    wa = W.TimeDelta(seconds=5); wb = W.TimeDelta(milliseconds=1500)
except ImportError:
    pass
"""


def row(name, ours, peer_name, peer, floor, target=1.0, whenever=None):
    extra = [("whenever.TimeDelta", whenever)] if whenever else []
    return Row(name, ours, peer_name, peer, SETUP, target, extra, floor)


ROWS = [
    row("Duration.seconds(5)", "Duration.seconds(5)", "timedelta(seconds=5)",
        "datetime.timedelta(seconds=5)", "class method (int)", 0.5, "W.TimeDelta(seconds=5)"),
    row("Duration.nanoseconds(1500)", "Duration.nanoseconds(1500)", "timedelta(microseconds=1)",
        "datetime.timedelta(microseconds=1)", "class method (int)", 0.5,
        "W.TimeDelta(nanoseconds=1500)"),
    row("Duration + Duration", "a + b", "timedelta + timedelta", "pa + pb", "binary operator",
        whenever="wa + wb"),
    row("Duration - Duration", "a - b", "timedelta - timedelta", "pa - pb", "binary operator",
        whenever="wa - wb"),
    row("-Duration", "-a", "-timedelta", "-pa", "unary operator", whenever="-wa"),
    row("Duration.total_seconds()", "a.total_seconds()", "timedelta.total_seconds()",
        "pa.total_seconds()", "method -> float", whenever="wa.total('seconds')"),
    row("Duration.total_nanos()", "a.total_nanos()", "timedelta // resolution",
        "pa // datetime.timedelta.resolution", "method -> large int",
        whenever="wa.total('nanoseconds')"),
    row("str(Duration)", "str(a)", "str(timedelta)", "str(pa)", "str", 0.5, "str(wa)"),
    row("str(Duration 2**100 ns)", "str(big)", "str(timedelta)", "str(pa)", "str", 0.5),
    row("hash(Duration)", "hash(a)", "hash(timedelta)", "hash(pa)", "hash", whenever="hash(wa)"),
    row("Duration < Duration", "a < b", "timedelta < timedelta", "pa < pb", "comparison",
        whenever="wa < wb"),
]
