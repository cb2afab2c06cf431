# SPDX-License-Identifier: MIT
"""Many threads sharing the same objects and calling everything at once get what one thread gets."""
import sys
import threading

from chronexa import Date, DateTime, Duration, OffsetDateTime, Time, UtcOffset, Weekday

D, T = Date(2024, 2, 29), Time(23, 59, 59, 999999999)
DT, OFF = DateTime(D, T), UtcOffset.from_hours_minutes(False, 5, 30)
ODT, SPAN = OffsetDateTime.from_utc(DT, OFF), Duration.nanoseconds(-(2**100))
EDGE = OffsetDateTime.from_utc(DateTime(Date(2**31 - 1, 12, 31), T), UtcOffset.from_seconds(60))
SHARED = [D, T, DT, OFF, ODT, SPAN, EDGE, Weekday.FRIDAY]
CALLS = [
    lambda: Date(2024, 1, 1), lambda: Time(1, 2, 3, nanosecond=4), lambda: DateTime(time=T, date=D),
    lambda: Date.parse("2024-02-29"), lambda: Time.parse("12:00:00.5"),
    lambda: DateTime.parse("2024-02-29T23:59:59.999999999Z"),
    lambda: OffsetDateTime.parse(" 2024-02-29T12:00:00-05:30 "), lambda: OffsetDateTime.parse("x"),
    lambda: Date(2024, 2, 30), lambda: Date(2024, 1.5, 1), lambda: Time(1, 2, 3, 4, 5),
    lambda: DateTime.from_unix_timestamp(-1, 999999999),
    lambda: UtcOffset.from_hours_minutes(1, 2, 3), lambda: D.add_days(-(10**6)), lambda: D.weekday(),
    lambda: (D.ordinal(), D.days_since_unix_epoch()),
    lambda: DT.add_duration(SPAN), lambda: DT.add_duration(Duration.seconds(1)),
    lambda: DT.difference(DateTime.parse("1970-01-01T00:00:00Z")), lambda: ODT.to_local(),
    lambda: ODT.add_duration(-SPAN), lambda: ODT.difference(EDGE), lambda: EDGE.to_local(),
    lambda: str(EDGE), lambda: (SPAN + SPAN, SPAN - SPAN, -SPAN, SPAN.total_seconds()),
    lambda: (D < D.add_days(1), DT == DT, ODT <= EDGE, OFF > UtcOffset.from_seconds(0), D == 5),
    lambda: D < 5, lambda: SPAN + 1, lambda: (T.nanos_since_midnight(), ODT.unix_timestamp_nanos()),
    *(lambda o=o: (str(o), repr(o), hash(o) if not isinstance(o, Weekday) else 0) for o in SHARED),
]


def outcome(call):
    """A comparable record of what a call returned or raised."""
    try:
        r = call()
    except Exception as e:
        return type(e).__name__, e.args, getattr(e, "__notes__", None)
    return repr(r), hash(r) if isinstance(r, (Date, Time, DateTime, Duration)) else None


def run(rounds):
    return [[outcome(c) for c in CALLS] for _ in range(rounds)]


def test_threads_share_objects():
    threads, rounds = 8, 600
    expected = run(1)[0]
    results, start = [None] * threads, threading.Barrier(threads)

    def work(i):
        start.wait()
        results[i] = run(rounds)

    interval = sys.getswitchinterval()
    sys.setswitchinterval(1e-6)  # switch threads as often as the interpreter allows
    try:
        pool = [threading.Thread(target=work, args=(i,)) for i in range(threads)]
        for t in pool:
            t.start()
        for t in pool:
            t.join()
    finally:
        sys.setswitchinterval(interval)
    assert all(r == [expected] * rounds for r in results)
    print(f"{threads} threads made {threads * rounds * len(CALLS)} calls")
