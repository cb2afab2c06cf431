# SPDX-License-Identifier: MIT
"""chronexa's values in JSON, for the standard library's json and orjson.

Writing: pass ``default`` to ``json.dumps(..., default=default)`` or
``orjson.dumps(..., default=default)``. Each value becomes one string
(instants RFC 3339, dates and times ISO 8601, durations ``PT...S``; the
forms are listed in the "Storing and sending values" page).

Reading: JSON has no type for these strings, so the reader names the class:
``decode(text, Date)``.
"""

from __future__ import annotations

from ._text import T, from_text, to_text

__all__ = ["decode", "default"]


def default(value: object) -> str:
    """The JSON string for a chronexa value; TypeError for any other object.

    ValueError for an ``OffsetDateTime`` whose offset has seconds, which
    RFC 3339 cannot write.
    """
    return to_text(value)


def decode(value: object, cls: type[T]) -> T:
    """The ``cls`` value a JSON string holds (a ``cls`` value passes through).

    Accepts exactly what ``default`` writes; ValueError with chronexa's
    message for bad text, TypeError for a value that is not a string.
    """
    return from_text(value, cls)
