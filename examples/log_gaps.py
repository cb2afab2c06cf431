# SPDX-License-Identifier: MIT
"""Read the RFC 3339 stamps at the start of log lines and report the gaps
between consecutive entries, exactly, whatever offsets the writers used.

    python examples/log_gaps.py [LOGFILE]    # without a file: a sample log
"""

import sys

from chronexa import Duration, OffsetDateTime

SAMPLE = """\
2024-03-10T23:59:58.250+00:00 worker-1 start batch 7
2024-03-11T00:59:59.5+01:00 worker-2 fetched 120 rows
2024-03-11T00:00:00.000000750Z worker-1 wrote 120 rows
not a stamp: continuation of the previous message
2024-03-10T19:00:04-05:00 worker-3 retry after timeout
2024-03-11T05:30:09.000000001+05:30 worker-1 done
"""


def stamps(lines: list[str]) -> list[tuple[OffsetDateTime, str]]:
    found = []
    for line in lines:
        head, _, rest = line.partition(" ")
        try:
            found.append((OffsetDateTime.parse(head), rest.strip()))
        except ValueError:
            continue  # not an entry of its own
    return found


def seconds(d: Duration) -> str:
    ns = d.total_nanos()
    sign = "-" if ns < 0 else ""
    whole, frac = divmod(abs(ns), 10**9)
    return f"{sign}{whole}.{frac:09d} s"


def main() -> None:
    text = open(sys.argv[1], encoding="utf-8").read() if len(sys.argv) > 1 else SAMPLE
    entries = stamps(text.splitlines())
    longest = Duration.nanoseconds(0)
    for (before, _), (after, what) in zip(entries, entries[1:]):
        gap = after.difference(before)
        longest = max(longest, gap)
        print(f"{str(after.utc):<32} +{seconds(gap):>16}  {what}")
    print(f"{len(entries)} entries; longest gap {seconds(longest)}")


if __name__ == "__main__":
    main()
