# SPDX-License-Identifier: MIT
from bench import Row

SETUP = """
a = Duration.seconds(5); b = Duration.milliseconds(1500)
big = Duration.nanoseconds(2**100)
pa = datetime.timedelta(seconds=5); pb = datetime.timedelta(milliseconds=1500)
"""

ROWS = [
    Row("Duration.seconds(5)", "Duration.seconds(5)", "timedelta(seconds=5)",
        "datetime.timedelta(seconds=5)", SETUP, 0.5),
    Row("Duration.nanoseconds(1500)", "Duration.nanoseconds(1500)", "timedelta(microseconds=1)",
        "datetime.timedelta(microseconds=1)", SETUP, 0.5),
    Row("Duration + Duration", "a + b", "timedelta + timedelta", "pa + pb", SETUP),
    Row("Duration - Duration", "a - b", "timedelta - timedelta", "pa - pb", SETUP),
    Row("-Duration", "-a", "-timedelta", "-pa", SETUP),
    Row("Duration.total_seconds()", "a.total_seconds()", "timedelta.total_seconds()",
        "pa.total_seconds()", SETUP),
    Row("Duration.total_nanos()", "a.total_nanos()", "timedelta // resolution",
        "pa // datetime.timedelta.resolution", SETUP),
    Row("str(Duration)", "str(a)", "str(timedelta)", "str(pa)", SETUP, 0.5),
    Row("str(Duration 2**100 ns)", "str(big)", "str(timedelta)", "str(pa)", SETUP, 0.5),
    Row("hash(Duration)", "hash(a)", "hash(timedelta)", "hash(pa)", SETUP),
    Row("Duration < Duration", "a < b", "timedelta < timedelta", "pa < pb", SETUP),
]
