# SPDX-License-Identifier: MIT
"""Every parser against arbitrary text: any code point, lone surrogates, NUL,
inputs of a megabyte. The only outcomes allowed are a value that prints back
to itself, the documented ValueError, and the interpreter's own
UnicodeEncodeError for text with a lone surrogate (which has no UTF-8 form)."""
import pytest
from hypothesis import given, strategies as st

from chronexa import Date, DateTime, OffsetDateTime, Time

# parser -> the ValueError message for a refused text
PARSERS = {
    Date.parse: lambda s: "Invalid date string: InvalidDate",
    Time.parse: lambda s: "Invalid time string: InvalidTime",
    DateTime.parse: lambda s: f"Invalid datetime string {s!r}. "
                              "Expected format: YYYY-MM-DDTHH:MM:SS[.fffffffff]Z",
    OffsetDateTime.parse: lambda s: f"Invalid offset datetime string {s!r}. Expected RFC 3339 "
                                    "format: YYYY-MM-DDTHH:MM:SS[.fffffffff][Z|\u00b1HH:MM]",
}
VALID = ["2024-02-29", "-0005-1-1", "23:59:59.999999999", "1:2:3", "2024-01-01T12:00:00.5Z",
         "2024-1-1 1:2:3z", "2024-01-05T12:30:45.123+05:30", " 2024-01-01 12:00:00-0530\u3000"]
# What the RFC 3339 parser trims: the characters with the White_Space property.
WHITE_SPACE = "\t\n\v\f\r \x85\xa0\u1680" + "".join(map(chr, range(0x2000, 0x200B))) + \
    "\u2028\u2029\u202f\u205f\u3000"
MB = 1 << 20


def check(parse, text):
    try:
        value = parse(text)
    except UnicodeEncodeError as e:  # before ValueError, its base class
        assert any(0xD800 <= ord(c) <= 0xDFFF for c in text)
        assert e.reason == "surrogates not allowed" and e.__notes__ == ["while processing 's'"]
        return
    except ValueError as e:
        assert e.args == (PARSERS[parse](text),)
        return
    core = text.strip(WHITE_SPACE) if parse == OffsetDateTime.parse else text
    assert core.isascii()  # the grammars are ASCII
    assert parse(str(value)) == value


characters = st.one_of(st.characters(exclude_categories=()), st.characters(categories=["Cs"]),
                       st.sampled_from("0123456789+-:.TZz \0" + WHITE_SPACE))


@given(st.sampled_from(list(PARSERS)), st.text(characters))
def test_arbitrary_text(parse, text):
    check(parse, text)


@given(st.sampled_from(list(PARSERS)), st.sampled_from(VALID), st.data())
def test_damaged_valid_text(parse, text, data):
    """Near misses: a character of any kind, any number of times, somewhere in a valid text."""
    at = data.draw(st.integers(0, len(text)))
    insert = data.draw(characters) * data.draw(st.sampled_from([1, 2, 10, MB]))
    cut = data.draw(st.integers(0, 2))
    check(parse, text[:at] + insert + text[at + cut:])


@pytest.mark.parametrize("parse", list(PARSERS), ids=lambda p: p.__self__.__name__)
@pytest.mark.parametrize("text", [
    "0" * MB + "2024-01-01", "0" * MB + "1:2:3", "2024-1-1T1:2:3." + "0" * MB + "Z",
    "2024-01-01T00:00:00" + "-" * MB, "T" * MB, "-" * MB, ":" * MB, "\0" * MB, "\ud800" * MB,
    "\u3000" * MB + "2024-01-01T00:00:00Z" + "\u2029" * MB, "\U0001f600" * MB,
], ids=lambda s: f"{s[:3]!r}x{len(s)}")
def test_megabyte_text(parse, text):
    check(parse, text)


def test_megabyte_leading_zeros_accepted():
    """Leading zeros are allowed in any number, so the parsers read every byte."""
    assert Date.parse("0" * MB + "2024-0002-29") == Date(2024, 2, 29)
    assert Time.parse("0" * MB + "1:" + "0" * MB + "2:3") == Time(1, 2, 3)
    assert str(OffsetDateTime.parse(" " * MB + "2024-01-01T00:00:00Z")) == "2024-01-01T00:00:00Z"
