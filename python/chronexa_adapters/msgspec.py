# SPDX-License-Identifier: MIT
"""Hooks for msgspec: ``msgspec.json.encode(obj, enc_hook=enc_hook)``,
``msgspec.json.decode(data, type=Event, dec_hook=dec_hook)`` (and the same
for ``msgspec.msgpack``, ``Encoder``, ``Decoder``, ``convert``).

The values travel as the strings ``chronexa_adapters.json`` writes; a bad
string fails decoding with ``msgspec.ValidationError`` carrying chronexa's
message and the field's path.
"""

from __future__ import annotations

from typing import Any

from ._text import CLASSES, from_text, to_text

__all__ = ["dec_hook", "enc_hook"]


def enc_hook(value: Any) -> str:
    """The string for a chronexa value; NotImplementedError for others."""
    if type(value) not in CLASSES:
        raise NotImplementedError(f"Objects of type {type(value).__name__} are not supported")
    return to_text(value)


def dec_hook(cls: type, value: Any) -> Any:
    """The ``cls`` value from its string; NotImplementedError for other types."""
    if cls not in CLASSES:
        raise NotImplementedError(f"Objects of type {cls.__name__} are not supported")
    return from_text(value, cls)  # type: ignore[type-var]
