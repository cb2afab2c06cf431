# SPDX-License-Identifier: MIT
import json
from typing import Any

import pytest
from adapter_values import dates, date_times, durations, minute_offset_date_times, times, utc_offsets, weekdays
from hypothesis import given
from hypothesis import strategies as st

pydantic = pytest.importorskip("pydantic")
from pydantic import BaseModel, TypeAdapter, ValidationError  # noqa: E402

from chronexa import Date, DateTime, Duration, OffsetDateTime, Time, UtcOffset, Weekday
from chronexa_adapters import pickle as chronexa_pickle
from chronexa_adapters.pydantic import (
    DateField,
    DateTimeField,
    DurationField,
    OffsetDateTimeField,
    TimeField,
    UtcOffsetField,
    WeekdayField,
)


class Event(BaseModel):
    at: OffsetDateTimeField
    day: DateField
    start: TimeField
    logged: DateTimeField
    offset: UtcOffsetField
    took: DurationField
    on: WeekdayField
    until: DateField | None = None


EVENT = Event(at=OffsetDateTime.parse("2024-03-31T02:30:00.5+02:00"), day=Date(-44, 3, 15),
              start=Time(9, 0, 0, 1), logged=DateTime.parse("2024-01-01T00:00:00Z"),
              offset=UtcOffset.from_seconds(-3661), took=Duration.nanoseconds(-(2**100)),
              on=Weekday.FRIDAY)
EVENT_JSON = {"at": "2024-03-31T02:30:00.5+02:00", "day": "-044-03-15", "start": "09:00:00.000000001",
              "logged": "2024-01-01T00:00:00Z", "offset": "-01:01:01",
              "took": f"-PT{2**100 // 10**9}.{2**100 % 10**9:09d}S", "on": "Friday", "until": None}


def test_model_modes() -> None:
    assert EVENT.model_dump() == {**EVENT.__dict__}
    assert type(EVENT.model_dump()["at"]) is OffsetDateTime
    assert EVENT.model_dump(mode="json") == EVENT_JSON
    assert json.loads(EVENT.model_dump_json()) == EVENT_JSON
    assert Event.model_validate_json(EVENT.model_dump_json()) == EVENT
    assert Event.model_validate(EVENT_JSON) == EVENT
    assert Event.model_validate(EVENT.model_dump()) == EVENT


def test_deep_copy_after_registration() -> None:
    chronexa_pickle.register()
    try:
        copied = EVENT.model_copy(deep=True)
    finally:
        chronexa_pickle.unregister()
    assert copied == EVENT


FIELDS: list[tuple[Any, st.SearchStrategy[Any]]] = [
    (DateField, dates), (TimeField, times), (DateTimeField, date_times),
    (OffsetDateTimeField, minute_offset_date_times), (UtcOffsetField, utc_offsets),
    (DurationField, durations), (WeekdayField, weekdays),
]


@pytest.mark.parametrize(("field", "values"), FIELDS)
def test_round_trips(field: Any, values: st.SearchStrategy[Any]) -> None:
    adapter = TypeAdapter(field)

    @given(values)
    def check(value: Any) -> None:
        text = adapter.dump_python(value, mode="json")
        assert text == str(value) or field is DurationField
        assert repr(adapter.validate_python(text)) == repr(value)
        assert repr(adapter.validate_json(adapter.dump_json(value))) == repr(value)
        assert adapter.dump_python(value) is value

    check()


BAD = [
    (DateField, "2023-02-29", Date.parse), (TimeField, "25:00:00", Time.parse),
    (DateTimeField, "2024-01-01T00:00:00+01:00", DateTime.parse),
    (OffsetDateTimeField, "2024-01-01T00:00:00", OffsetDateTime.parse),
    (UtcOffsetField, "-00:00", None), (DurationField, "P1D", None), (WeekdayField, "monday", None),
]


@pytest.mark.parametrize(("field", "text", "parse"), BAD)
def test_bad_text_carries_chronexa_message(field: Any, text: str, parse: Any) -> None:
    with pytest.raises(ValidationError) as err:
        TypeAdapter(field).validate_python(text)
    (error,) = err.value.errors()
    assert error["type"] == "value_error"
    if parse is not None:
        with pytest.raises(ValueError) as own:
            parse(text)
        assert str(own.value) in error["msg"]
    with pytest.raises(ValidationError):
        TypeAdapter(field).validate_json(json.dumps(text))


def test_wrong_type() -> None:
    with pytest.raises(ValidationError, match="Input should be a Date or a string") as err:
        TypeAdapter(DateField).validate_python(DateTime.parse("2024-01-01T00:00:00Z"))
    assert err.value.errors()[0]["type"] == "chronexa_type"
    with pytest.raises(ValidationError, match="Input should be a Date or a string"):
        TypeAdapter(DateField).validate_json("20240101")


def test_json_schema() -> None:
    props = Event.model_json_schema()["properties"]
    assert props["at"] == {"type": "string", "format": "date-time", "title": "At"}
    assert props["logged"]["format"] == "date-time"
    assert props["day"]["format"] == "date"
    assert "format" not in props["start"] and props["start"]["pattern"].startswith("^")
    assert props["on"]["enum"][0] == "Monday"
    assert Event.model_json_schema(mode="serialization")["properties"]["took"]["type"] == "string"
