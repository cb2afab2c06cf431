# SPDX-License-Identifier: MIT
"""Field types for pydantic 2: ``at: OffsetDateTimeField`` in a model.

Each alias is ``Annotated[<chronexa class>, ...]``, so a type checker sees the
chronexa class itself. A field

- accepts the value itself, or its text (exactly what the class's own
  parser accepts; the forms of ``chronexa_adapters.json`` for ``UtcOffset``,
  ``Duration`` and ``Weekday``, which have no parser of their own);
- gives the value in Python mode (``model_dump()``) and the text in JSON mode
  (``model_dump(mode="json")``, ``model_dump_json()``);
- describes itself in JSON Schema as a string, with ``format`` ``date-time``
  or ``date`` where those formats hold the value;
- reports bad input as a ``ValidationError`` carrying chronexa's message.

``model_copy(deep=True)`` copies through ``copy.deepcopy``, which chronexa's
values allow once ``chronexa_adapters.pickle.register()`` has run.
"""

from __future__ import annotations

from typing import TYPE_CHECKING, Annotated, Any

from chronexa import Date, DateTime, Duration, OffsetDateTime, Time, UtcOffset, Weekday

from ._text import from_text, to_text

if TYPE_CHECKING:
    from pydantic import GetCoreSchemaHandler, GetJsonSchemaHandler
    from pydantic_core import CoreSchema

__all__ = ["DateField", "DateTimeField", "DurationField", "OffsetDateTimeField", "TimeField",
           "UtcOffsetField", "WeekdayField"]


class ChronexaSchema:
    """The pydantic schema of one chronexa class (the marker in the aliases)."""

    __slots__ = ("cls", "json_schema")
    cls: type
    json_schema: dict[str, Any]

    def __init__(self, cls: type, json_schema: dict[str, Any]) -> None:
        self.cls = cls
        self.json_schema = json_schema

    def __repr__(self) -> str:
        return f"ChronexaSchema({self.cls.__name__})"

    def __get_pydantic_core_schema__(self, source: Any, handler: GetCoreSchemaHandler) -> CoreSchema:
        from pydantic_core import PydanticCustomError, core_schema

        cls = self.cls

        def validate(value: Any) -> Any:
            try:
                return from_text(value, cls)
            except TypeError:
                # pydantic reports ValueError on its own; a wrong type needs its own error.
                raise PydanticCustomError(
                    "chronexa_type", "Input should be a {expected} or a string",
                    {"expected": cls.__name__}) from None

        return core_schema.no_info_plain_validator_function(
            validate,
            serialization=core_schema.plain_serializer_function_ser_schema(
                to_text, when_used="json", return_schema=core_schema.str_schema()))

    def __get_pydantic_json_schema__(self, schema: CoreSchema,
                                     handler: GetJsonSchemaHandler) -> dict[str, Any]:
        return dict(self.json_schema)


_OFFSET = r"[+-][0-9]{2}:[0-9]{2}(:[0-9]{2})?"
_WEEKDAYS = ["Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"]

# JSON Schema's "time" format is RFC 3339's full-time, which carries an
# offset; a Time has none, so it gets a pattern rather than that format.
DateField = Annotated[Date, ChronexaSchema(Date, {"type": "string", "format": "date"})]
TimeField = Annotated[Time, ChronexaSchema(Time, {
    "type": "string", "pattern": r"^[0-9]{2}:[0-9]{2}:[0-9]{2}(\.[0-9]{1,9})?$"})]
DateTimeField = Annotated[DateTime, ChronexaSchema(DateTime, {"type": "string", "format": "date-time"})]
OffsetDateTimeField = Annotated[OffsetDateTime, ChronexaSchema(
    OffsetDateTime, {"type": "string", "format": "date-time"})]
UtcOffsetField = Annotated[UtcOffset, ChronexaSchema(UtcOffset, {"type": "string", "pattern": f"^{_OFFSET}$"})]
DurationField = Annotated[Duration, ChronexaSchema(Duration, {
    "type": "string", "pattern": r"^-?PT[0-9]+(\.[0-9]{1,9})?S$"})]
WeekdayField = Annotated[Weekday, ChronexaSchema(Weekday, {"type": "string", "enum": _WEEKDAYS})]
