# SPDX-License-Identifier: MIT
from bench import Row

SETUP = """
o = UtcOffset.from_seconds(19800)
po = datetime.timezone(datetime.timedelta(seconds=19800))
"""

ROWS = [
    Row("UtcOffset.from_seconds", "UtcOffset.from_seconds(19800)",
        "timezone(timedelta(seconds=...))",
        "datetime.timezone(datetime.timedelta(seconds=19800))", SETUP, floor="class method (int)"),
    Row("str(UtcOffset)", "str(o)", "str(timezone)", "str(po)", SETUP, floor="str"),
    Row("hash(UtcOffset)", "hash(o)", "hash(timezone)", "hash(po)", SETUP, floor="hash"),
]
