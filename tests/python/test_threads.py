# SPDX-License-Identifier: MIT
"""Many threads share the same objects and call everything at once; each
thread's results, exceptions included, equal those of a single-threaded run."""
import sys
import threading

from chronexa import Date, DateTime, Duration, OffsetDateTime, Time, UtcOffset, Weekday

D, T = Date(2024, 2, 29), Time(23, 59, 59, 999_999_999)
DT, OFF = DateTime(D, T), UtcOffset.from_seconds(19_800)
NEG = UtcOffset.from_hours_minutes(False, 5, 0)
ODT, DUR = OffsetDateTime.from_utc(DT, OFF), Duration.nanoseconds(-(2**100) - 1)
LAST = DateTime(Date(2147483647, 12, 31), Time(23, 30, 0))
FAR = OffsetDateTime.from_utc(LAST, UtcOffset.from_seconds(3600))  # no local text
SHARED = [D, T, DT, OFF, NEG, ODT, DUR, FAR, Weekday.SUNDAY]
THREADS, ROUNDS = 8, 100

OPS = [
    lambda: Date(2024, 1, 31).add_days(30), lambda: Date(year=-5, month=1, day=1),
    lambda: Time(1, 2, 3, nanosecond=4), lambda: DateTime(date=D, time=T),
    lambda: Date.parse("002024-1-5"), lambda: Time.parse("1:2:3.5"),
    lambda: DateTime.parse("2024-01-01 12:00:00z"),
    lambda: OffsetDateTime.parse(" 2024-01-01T00:30:00+01\t"),
    lambda: Date.from_days_since_unix_epoch(-719_529), lambda: DateTime.from_unix_timestamp(-1, -1),
    lambda: OffsetDateTime.from_local(D, T, NEG), lambda: Duration.seconds(-(2**63)) - DUR,
    lambda: [(v.__class__, str(v), repr(v), hash(v)) for v in SHARED[:-2]],
    lambda: [v == w for v in SHARED for w in SHARED] + [D < Date(2024, 3, 1), ODT <= FAR],
    lambda: (D.weekday(), D.ordinal(), D.days_since_unix_epoch(), T.nanos_since_midnight(),
             DT.unix_timestamp_nanos(), DT.add_duration(Duration.seconds(1)), DT.difference(DT),
             ODT.to_local(), ODT.utc, ODT.offset, ODT.add_duration(Duration.seconds(3600)),
             FAR.unix_timestamp(), DUR.total_nanos(), -DUR, OFF.is_utc(), NEG.as_seconds()),
    lambda: repr(FAR), lambda: str(FAR), lambda: FAR.to_local(),
    lambda: Date(2023, 2, 29), lambda: Date(2024, 300, 1), lambda: Date("x", 1, 1),
    lambda: Time(1, 2, 3, 4, 5), lambda: Date.parse("2024-01-0\ud800"), lambda: DUR + 1,
    lambda: DT.add_duration(DUR), lambda: OffsetDateTime.parse("2024-01-01T12:00:00+24:00"),
]


def outcome(op):
    try:
        return op()
    except Exception as e:
        return type(e), e.args


def run():
    return [outcome(op) for op in OPS]


def test_shared_objects_across_threads():
    expected = run()
    barrier = threading.Barrier(THREADS)
    results = [None] * THREADS

    def worker(i):
        barrier.wait()
        results[i] = [run() for _ in range(ROUNDS)]

    interval = sys.getswitchinterval()
    sys.setswitchinterval(1e-6)  # switch threads as often as the interpreter can
    try:
        threads = [threading.Thread(target=worker, args=(i,)) for i in range(THREADS)]
        for t in threads:
            t.start()
        for t in threads:
            t.join()
    finally:
        sys.setswitchinterval(interval)
    assert results == [[expected] * ROUNDS] * THREADS
