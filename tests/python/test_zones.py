# SPDX-License-Identifier: MIT
"""Named time zones of the bridge against zoneinfo, and against the transitions read from the
database's own files."""
import datetime as dt
import os
import struct
import zoneinfo

import pytest
from hypothesis import given, settings, strategies as st

import chronexa_datetime as cdt
from chronexa import Date, DateTime, Duration, OffsetDateTime, Time, UtcOffset  # noqa: F401 (eval)

UTC = dt.timezone.utc
EPOCH = dt.datetime(1970, 1, 1, tzinfo=UTC)
ZONES = sorted(zoneinfo.available_timezones())
FIRST, LAST = -62135596800, 253402300799  # 0001-01-01T00:00:00Z, 9999-12-31T23:59:59Z
pytestmark = pytest.mark.skipif(not ZONES, reason="no time-zone database on this system")


def transitions(key):
    """(unix seconds, offset before, offset after) of each transition in the zone's TZif file (the
    64-bit block of version 2 and later), read independently of zoneinfo."""
    path = next((os.path.join(d, key) for d in zoneinfo.TZPATH
                 if os.path.isfile(os.path.join(d, key))), None)
    if path is None:
        return []
    data = open(path, "rb").read()
    if data[:4] != b"TZif" or data[4] < 0x32:
        return []

    def header(at):
        return struct.unpack(">6l", data[at + 20:at + 44])

    isut, isstd, leap, times, types, chars = header(0)
    at = 44 + times * 5 + types * 6 + chars + leap * 8 + isstd + isut  # past the 32-bit block
    isut, isstd, leap, times, types, chars = header(at)
    at += 44
    when = struct.unpack(f">{times}q", data[at:at + 8 * times])
    index = data[at + 8 * times:at + 9 * times]
    info = [struct.unpack(">lBB", data[at + 9 * times + 6 * i:at + 9 * times + 6 * i + 6])[0]
            for i in range(types)]
    out, before = [], info[0]
    for t, i in zip(when, index):
        if info[i] != before and FIRST + 86400 < t < LAST - 86400:
            out.append((t, before, info[i]))
        before = info[i]
    return out


def instant(seconds, nanos=0):
    return DateTime.from_unix_timestamp(seconds, nanos)


@settings(max_examples=300, deadline=None)
@given(st.integers(FIRST + 86400, LAST - 86400), st.integers(0, 999_999_999), st.sampled_from(ZONES))
def test_in_zone_matches_zoneinfo(seconds, nanos, key):
    zone = zoneinfo.ZoneInfo(key)
    local = (EPOCH + dt.timedelta(seconds=seconds)).astimezone(zone)
    got = cdt.in_zone(instant(seconds, nanos), key)
    assert got.utc == instant(seconds, nanos) and got.offset.as_seconds() == local.utcoffset() // dt.timedelta(seconds=1)
    back = got.to_local()
    assert (back.date, back.time) == (Date(local.year, local.month, local.day),
                                      Time(local.hour, local.minute, local.second, nanos))
    assert cdt.in_zone(got, zone) == got


@settings(max_examples=300, deadline=None)
@given(st.datetimes(dt.datetime(1, 1, 2), dt.datetime(9999, 12, 30)), st.integers(0, 999),
       st.sampled_from(ZONES))
def test_from_local_in_zone_compatible_matches_datetime(wall, extra, key):
    # "compatible" is what datetime does with fold=0, in a gap, a fold and elsewhere.
    zone = zoneinfo.ZoneInfo(key)
    aware = wall.replace(tzinfo=zone, fold=0)
    want = (aware.astimezone(UTC) - EPOCH)
    d, t = Date(wall.year, wall.month, wall.day), Time(wall.hour, wall.minute, wall.second,
                                                       wall.microsecond * 1000 + extra)
    got = cdt.from_local_in_zone(d, t, zone, disambiguate="compatible")
    assert got.utc == instant(want.days * 86400 + want.seconds, want.microseconds * 1000 + extra)
    assert got == cdt.in_zone(got.utc, zone)  # shown at the zone's offset of that instant


def test_every_transition_of_the_database():
    checked = 0
    one = Duration.nanoseconds(1)
    for key in ZONES:
        zone = zoneinfo.ZoneInfo(key)
        for t, before, after in transitions(key):
            at = instant(t)
            just_before = at.add_duration(-one)
            assert cdt.in_zone(just_before, zone).offset.as_seconds() == before, (key, t)
            assert cdt.in_zone(at, zone).offset.as_seconds() == after, (key, t)
            # The wall time one second past the transition's local time at the old offset lies in
            # the gap (clocks ahead) or the fold (clocks back); one second before it, in neither.
            wall = cdt.in_zone(at, zone).utc.add_duration(Duration.seconds(before))
            if abs(after - before) >= 2:
                inside = DateTime.from_unix_timestamp(wall.unix_timestamp() + (1 if after > before else -1))
                with pytest.raises(ValueError, match="does not exist" if after > before else "exists twice"):
                    cdt.from_local_in_zone(inside.date, inside.time, zone)
                earlier = cdt.from_local_in_zone(inside.date, inside.time, zone, disambiguate="earlier")
                later = cdt.from_local_in_zone(inside.date, inside.time, zone, disambiguate="later")
                assert earlier.utc < later.utc and abs(later.difference(earlier).total_nanos()) == abs(
                    after - before) * 10**9
            outside = DateTime.from_unix_timestamp(wall.unix_timestamp() - 1 - max(0, before - after))
            x = cdt.from_local_in_zone(outside.date, outside.time, zone)
            assert x.offset.as_seconds() == before and x.to_local() == outside
            checked += 1
    assert checked > 10_000, checked


@pytest.mark.parametrize("call, error, message", [
    (lambda: cdt.from_local_in_zone(Date(2024, 3, 31), Time(2, 30, 0), "Europe/Berlin"), ValueError,
     r"^2024-03-31T02:30:00 does not exist in Europe/Berlin: the clocks skip it, going from \+01:00 "
     r"to \+02:00; pass disambiguate='earlier' or 'later'"),
    (lambda: cdt.from_local_in_zone(Date(2024, 10, 27), Time(2, 30, 0), "Europe/Berlin"), ValueError,
     r"^2024-10-27T02:30:00 exists twice in Europe/Berlin, at \+02:00 and then at \+01:00"),
    (lambda: cdt.from_local_in_zone(Date(2024, 1, 1), Time(0, 0, 0), "Europe/Berlin",
                                    disambiguate="first"), ValueError, "disambiguate must be"),
    (lambda: cdt.in_zone(DateTime.parse("10000-01-01T00:00:00Z"), "UTC"), ValueError,
     "outside the range of zoneinfo"),
    (lambda: cdt.in_zone(DateTime.parse("9999-12-31T23:00:00Z"), "Asia/Tokyo"), ValueError,
     "outside the range of zoneinfo"),
    (lambda: cdt.from_local_in_zone(Date(0, 1, 1), Time(0, 0, 0), "UTC"), ValueError,
     "outside the range of zoneinfo"),
    (lambda: cdt.in_zone(Date(2024, 1, 1), "UTC"), TypeError, "takes a DateTime or an OffsetDateTime"),
    (lambda: cdt.in_zone(DateTime.parse("2024-01-01T00:00:00Z"), dt.timezone.utc), TypeError,
     "zone must be a zoneinfo.ZoneInfo or a key"),
    (lambda: cdt.in_zone(DateTime.parse("2024-01-01T00:00:00Z"), "No/Such_Zone"),
     zoneinfo.ZoneInfoNotFoundError, "No/Such_Zone"),
])
def test_refusals(call, error, message):
    with pytest.raises(error, match=message):
        call()


def test_local_mean_time_offsets_keep_their_seconds():
    x = cdt.in_zone(DateTime.parse("1900-01-01T00:00:00Z"), "Europe/Amsterdam")
    assert str(x) == "1900-01-01T00:19:32+00:19:32" and eval(repr(x)) == x
