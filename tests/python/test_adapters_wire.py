# SPDX-License-Identifier: MIT
import json
from typing import Any

import pytest

msgspec = pytest.importorskip("msgspec")
orjson = pytest.importorskip("orjson")

from adapter_values import SAMPLES, any_value, durations, minute_offset_date_times
from hypothesis import given

from chronexa import Date, DateTime, Duration, OffsetDateTime, Time, UtcOffset, Weekday
from chronexa_adapters import json as cjson
from chronexa_adapters import msgspec as cmsgspec

WIRE_SAMPLES: list[Any] = [v for v in SAMPLES if not (type(v) is OffsetDateTime and v.offset.as_seconds() % 60)]


def _dumps_all(value: object) -> list[str]:
    return [json.loads(json.dumps(value, default=cjson.default)),
            json.loads(orjson.dumps(value, default=cjson.default)),
            msgspec.json.decode(msgspec.json.encode(value, enc_hook=cmsgspec.enc_hook)),
            msgspec.msgpack.decode(msgspec.msgpack.encode(value, enc_hook=cmsgspec.enc_hook))]


@given(any_value.filter(lambda v: type(v) is not OffsetDateTime) | minute_offset_date_times)
def test_round_trip_every_encoder(value: Any) -> None:
    for text in _dumps_all(value):
        assert type(text) is str
        back = cjson.decode(text, type(value))
        assert type(back) is type(value) and repr(back) == repr(value)
        assert cmsgspec.dec_hook(type(value), text) == back


FORMS = [
    (Date(2024, 2, 29), "2024-02-29"),
    (Time(1, 2, 3, 500_000_000), "01:02:03.5"),
    (DateTime.parse("2024-01-02T03:04:05.000000001Z"), "2024-01-02T03:04:05.000000001Z"),
    (OffsetDateTime.parse("2024-01-02T03:04:05-05:30"), "2024-01-02T03:04:05-05:30"),
    (UtcOffset.from_seconds(-3661), "-01:01:01"),
    (UtcOffset.from_seconds(0), "+00:00"),
    (Duration.nanoseconds(0), "PT0S"),
    (Duration.nanoseconds(-1), "-PT0.000000001S"),
    (Duration.seconds(5400), "PT5400S"),
    (Duration.milliseconds(1500), "PT1.5S"),
    (Duration.nanoseconds(2**127 - 1),
     f"PT{(2**127 - 1) // 10**9}.{(2**127 - 1) % 10**9:09d}S"),
    (Weekday.MONDAY, "Monday"),
]


@pytest.mark.parametrize(("value", "text"), FORMS)
def test_forms(value: Any, text: str) -> None:
    assert cjson.default(value) == text
    assert repr(cjson.decode(text, type(value))) == repr(value)


def test_json_document_with_many_types() -> None:
    doc = {"when": WIRE_SAMPLES, "n": 1}
    text = json.dumps(doc, default=cjson.default)
    assert orjson.loads(orjson.dumps(doc, default=cjson.default)) == json.loads(text)
    back = [cjson.decode(t, type(v)) for t, v in zip(json.loads(text)["when"], WIRE_SAMPLES, strict=True)]
    assert back == WIRE_SAMPLES


class Event(msgspec.Struct):
    at: OffsetDateTime
    day: Date
    took: Duration
    on: Weekday
    logged: DateTime | None = None


def test_msgspec_struct() -> None:
    ev = Event(OffsetDateTime.parse("2024-03-31T02:30:00+02:00"), Date(-44, 3, 15),
               Duration.nanoseconds(-(2**100)), Weekday.FRIDAY)
    for mod in (msgspec.json, msgspec.msgpack):
        data = mod.encode(ev, enc_hook=cmsgspec.enc_hook)
        assert mod.decode(data, type=Event, dec_hook=cmsgspec.dec_hook) == ev
    with pytest.raises(msgspec.ValidationError, match=r"Invalid date string.*\$\.day"):
        msgspec.json.decode(b'{"at":"2024-03-31T02:30:00Z","day":"2024-02-30","took":"PT0S","on":"Friday"}',
                            type=Event, dec_hook=cmsgspec.dec_hook)


@pytest.mark.parametrize("seconds", [3661, -59, 86400, -86400])
def test_offset_rfc3339_cannot_write_refused(seconds: int) -> None:
    odt = OffsetDateTime.from_utc(DateTime.parse("2024-01-01T00:00:00Z"), UtcOffset.from_seconds(seconds))
    with pytest.raises(ValueError, match="RFC 3339 cannot write"):
        json.dumps(odt, default=cjson.default)
    with pytest.raises(TypeError):  # orjson wraps the ValueError in its JSONEncodeError
        orjson.dumps(odt, default=cjson.default)
    with pytest.raises(ValueError):
        OffsetDateTime.parse(str(odt))  # why: the text would not read back


BAD_TEXT = [
    (Date, ""), (Date, "2023-02-29"), (Time, "24:00:00"), (DateTime, "2024-01-01T00:00:00+01:00"),
    (OffsetDateTime, "2024-01-01T00:00:00"), (UtcOffset, "-00:00"), (UtcOffset, "+01:00:00"),
    (UtcOffset, "+24:01"), (UtcOffset, "+1:00"), (UtcOffset, "Z"), (Duration, "PT1.0000000001S"),
    (Duration, "P1D"), (Duration, "pt1s"), (Duration, "PT1e3S"), (Duration, f"PT{2**127}S"),
    (Weekday, "MONDAY"), (Weekday, "Mon"),
]


@pytest.mark.parametrize(("cls", "text"), BAD_TEXT)
def test_bad_text_refused(cls: type[Any], text: str) -> None:
    with pytest.raises(ValueError, match="Invalid|outside"):
        cjson.decode(text, cls)
    if hasattr(cls, "parse"):  # the same message as the class's own parser
        with pytest.raises(ValueError) as own:
            cls.parse(text)
        with pytest.raises(ValueError) as ours:
            cjson.decode(text, cls)
        assert str(own.value) == str(ours.value)


@given(durations)
def test_duration_text_is_numeric(d: Duration) -> None:
    text = cjson.default(d)
    secs = text.removeprefix("-").removeprefix("PT").removesuffix("S")
    whole, _, frac = secs.partition(".")
    n = int(whole) * 10**9 + int(frac.ljust(9, "0"))
    assert (-n if text.startswith("-") else n) == d.total_nanos()


def test_other_objects() -> None:
    with pytest.raises(TypeError, match="not JSON serializable"):
        cjson.default(object())
    with pytest.raises(NotImplementedError):
        cmsgspec.enc_hook(object())
    with pytest.raises(NotImplementedError):
        cmsgspec.dec_hook(complex, "1")
    with pytest.raises(TypeError, match="expected a str"):
        cjson.decode(20240101, Date)


LAZY = """
import sys
import chronexa_adapters.json, chronexa_adapters.msgspec, chronexa_adapters.pickle
import chronexa_adapters.psycopg, chronexa_adapters.pydantic, chronexa_adapters.sqlite
loaded = {"msgspec", "orjson", "pydantic", "pydantic_core", "psycopg", "sqlite3"} & set(sys.modules)
assert not loaded, loaded
"""


def test_submodules_import_their_libraries_lazily() -> None:
    import subprocess
    import sys
    subprocess.run([sys.executable, "-c", LAZY], check=True)
