# SPDX-License-Identifier: MIT
# Type stubs for the extension module chronexa. Parameter names and kinds are
# those of the runtime's text signatures: every parameter can be passed by
# position or by keyword. Comparison and arithmetic with an operand of another
# type return NotImplemented at run time, so the stubs accept only the same
# class (== and != accept any object). The classes without a constructor
# declare a __new__ no call can satisfy, so that `Duration()` is a type error,
# as it is a TypeError at run time.

from typing import ClassVar, Never, SupportsIndex, final

__all__ = ["Weekday", "Date", "Time", "Duration", "DateTime", "UtcOffset", "OffsetDateTime"]

@final
class Weekday:
    # Not instantiable (the class methods, or the members, make the values): a call
    # of the class is a type error.
    def __new__(cls, not_instantiable: Never, /) -> Weekday: ...
    MONDAY: ClassVar[Weekday]
    TUESDAY: ClassVar[Weekday]
    WEDNESDAY: ClassVar[Weekday]
    THURSDAY: ClassVar[Weekday]
    FRIDAY: ClassVar[Weekday]
    SATURDAY: ClassVar[Weekday]
    SUNDAY: ClassVar[Weekday]
    def number_from_monday(self) -> int:
        """Get the weekday number from Monday (1-7)."""

@final
class Date:
    def __new__(cls, year: SupportsIndex, month: SupportsIndex, day: SupportsIndex) -> Date: ...
    @property
    def year(self) -> int: ...
    @property
    def month(self) -> int: ...
    @property
    def day(self) -> int: ...
    @classmethod
    def parse(cls, s: str) -> Date:
        """Parse a date from ISO format (YYYY-MM-DD).

        Args:
            s: The string to parse.

        Returns:
            Date: A new Date instance.

        Raises:
            ValueError: If the string is not a valid date.
        """
    @classmethod
    def from_days_since_unix_epoch(cls, days: SupportsIndex) -> Date:
        """Create a Date from days since Unix epoch (1970-01-01).

        Args:
            days: Days since Unix epoch.

        Returns:
            Date: A new Date instance.

        Raises:
            ValueError: If the date is out of range.
        """
    def days_since_unix_epoch(self) -> int:
        """Convert to days since Unix epoch (1970-01-01)."""
    def weekday(self) -> Weekday:
        """Get the weekday."""
    def ordinal(self) -> int:
        """Get the day of the year (1-366)."""
    def add_days(self, days: SupportsIndex) -> Date:
        """Add days to the date.

        Args:
            days: Number of days to add (can be negative).

        Returns:
            Date: A new Date instance.

        Raises:
            ValueError: If the resulting date is out of range.
        """
    def __eq__(self, value: object, /) -> bool: ...
    def __lt__(self, value: Date, /) -> bool: ...
    def __le__(self, value: Date, /) -> bool: ...
    def __gt__(self, value: Date, /) -> bool: ...
    def __ge__(self, value: Date, /) -> bool: ...
    def __hash__(self) -> int: ...

@final
class Time:
    def __new__(
        cls, hour: SupportsIndex, minute: SupportsIndex, second: SupportsIndex, nanosecond: SupportsIndex = 0
    ) -> Time: ...
    @property
    def hour(self) -> int: ...
    @property
    def minute(self) -> int: ...
    @property
    def second(self) -> int: ...
    @property
    def nanosecond(self) -> int: ...
    @classmethod
    def parse(cls, s: str) -> Time:
        """Parse a time from ISO format (HH:MM:SS[.fffffffff]).

        Args:
            s: The string to parse.

        Returns:
            Time: A new Time instance.

        Raises:
            ValueError: If the string is not a valid time.
        """
    def seconds_since_midnight(self) -> int:
        """Get total seconds since midnight (ignoring nanoseconds)."""
    def nanos_since_midnight(self) -> int:
        """Get total nanoseconds since midnight."""
    def __eq__(self, value: object, /) -> bool: ...
    def __lt__(self, value: Time, /) -> bool: ...
    def __le__(self, value: Time, /) -> bool: ...
    def __gt__(self, value: Time, /) -> bool: ...
    def __ge__(self, value: Time, /) -> bool: ...
    def __hash__(self) -> int: ...

@final
class Duration:
    # Not instantiable (the class methods, or the members, make the values): a call
    # of the class is a type error.
    def __new__(cls, not_instantiable: Never, /) -> Duration: ...
    @classmethod
    def seconds(cls, secs: SupportsIndex) -> Duration:
        """Create a duration from seconds."""
    @classmethod
    def milliseconds(cls, ms: SupportsIndex) -> Duration:
        """Create a duration from milliseconds."""
    @classmethod
    def microseconds(cls, us: SupportsIndex) -> Duration:
        """Create a duration from microseconds."""
    @classmethod
    def nanoseconds(cls, ns: SupportsIndex) -> Duration:
        """Create a duration from nanoseconds."""
    def total_seconds(self) -> float:
        """Get total seconds as a float."""
    def total_nanos(self) -> int:
        """Get total nanoseconds as an integer."""
    def __neg__(self) -> Duration: ...
    def __add__(self, value: Duration, /) -> Duration: ...
    def __radd__(self, value: Duration, /) -> Duration: ...
    def __sub__(self, value: Duration, /) -> Duration: ...
    def __rsub__(self, value: Duration, /) -> Duration: ...
    def __eq__(self, value: object, /) -> bool: ...
    def __lt__(self, value: Duration, /) -> bool: ...
    def __le__(self, value: Duration, /) -> bool: ...
    def __gt__(self, value: Duration, /) -> bool: ...
    def __ge__(self, value: Duration, /) -> bool: ...
    def __hash__(self) -> int: ...

@final
class DateTime:
    def __new__(cls, date: Date, time: Time) -> DateTime: ...
    @property
    def date(self) -> Date: ...
    @property
    def time(self) -> Time: ...
    @classmethod
    def parse(cls, s: str) -> DateTime:
        """Parse a DateTime from ISO 8601 / RFC 3339 UTC format.

        Args:
            s: The string to parse (e.g., "2024-01-01T12:00:00Z").

        Returns:
            DateTime: A new DateTime instance.

        Raises:
            ValueError: If the string is not a valid datetime.
        """
    @classmethod
    def from_unix_timestamp(cls, secs: SupportsIndex, nanos: SupportsIndex = 0) -> DateTime:
        """Create a DateTime from Unix timestamp (seconds and nanoseconds).

        Args:
            secs: Seconds since Unix epoch.
            nanos: Additional nanoseconds (default=0).

        Returns:
            DateTime: A new DateTime instance.

        Raises:
            ValueError: If the timestamp is invalid.
        """
    @classmethod
    def now_utc(cls) -> DateTime:
        """Get the current UTC DateTime (requires std feature)."""
    def unix_timestamp(self) -> int:
        """Get Unix timestamp (seconds since Unix epoch)."""
    def unix_timestamp_nanos(self) -> int:
        """Get Unix timestamp in nanoseconds."""
    def add_duration(self, dur: Duration) -> DateTime:
        """Add a duration to this DateTime.

        Args:
            dur: A Duration instance.

        Returns:
            DateTime: A new DateTime instance.

        Raises:
            ValueError: If the resulting datetime is out of range.
        """
    def difference(self, other: DateTime) -> Duration:
        """Calculate the difference between two DateTimes.

        Args:
            other: Another DateTime instance.

        Returns:
            Duration: The duration between the two datetimes (self - other).
        """
    def __eq__(self, value: object, /) -> bool: ...
    def __lt__(self, value: DateTime, /) -> bool: ...
    def __le__(self, value: DateTime, /) -> bool: ...
    def __gt__(self, value: DateTime, /) -> bool: ...
    def __ge__(self, value: DateTime, /) -> bool: ...
    def __hash__(self) -> int: ...

@final
class UtcOffset:
    # Not instantiable (the class methods, or the members, make the values): a call
    # of the class is a type error.
    def __new__(cls, not_instantiable: Never, /) -> UtcOffset: ...
    @classmethod
    def from_seconds(cls, seconds: SupportsIndex) -> UtcOffset:
        """Create a UtcOffset from total seconds.

        Args:
            seconds: Total seconds offset from UTC (roughly -86400 to +86400).

        Returns:
            UtcOffset: A new UtcOffset instance.

        Raises:
            ValueError: If the offset is out of range.
        """
    @classmethod
    def from_hours_minutes(cls, sign_positive: bool, hours: SupportsIndex, minutes: SupportsIndex) -> UtcOffset:
        """Create a UtcOffset from hours and minutes.

        Args:
            sign_positive: True for positive offset, False for negative.
            hours: Hours component (0-23).
            minutes: Minutes component (0-59).

        Returns:
            UtcOffset: A new UtcOffset instance.

        Raises:
            ValueError: If the offset is out of range.
        """
    def as_seconds(self) -> int:
        """Get the offset as seconds."""
    def is_utc(self) -> bool:
        """Check if this is UTC (offset = 0)."""
    def __eq__(self, value: object, /) -> bool: ...
    def __lt__(self, value: UtcOffset, /) -> bool: ...
    def __le__(self, value: UtcOffset, /) -> bool: ...
    def __gt__(self, value: UtcOffset, /) -> bool: ...
    def __ge__(self, value: UtcOffset, /) -> bool: ...
    def __hash__(self) -> int: ...

@final
class OffsetDateTime:
    # Not instantiable (the class methods, or the members, make the values): a call
    # of the class is a type error.
    def __new__(cls, not_instantiable: Never, /) -> OffsetDateTime: ...
    @classmethod
    def from_utc(cls, utc: DateTime, offset: UtcOffset) -> OffsetDateTime:
        """Create an OffsetDateTime from a UTC DateTime and offset.

        Args:
            utc: A DateTime instance (in UTC).
            offset: A UtcOffset instance.

        Returns:
            OffsetDateTime: A new OffsetDateTime instance.
        """
    @classmethod
    def from_local(cls, date: Date, time: Time, offset: UtcOffset) -> OffsetDateTime:
        """Create an OffsetDateTime from local date, time, and offset.

        Args:
            date: A Date instance (in local time).
            time: A Time instance (in local time).
            offset: A UtcOffset instance.

        Returns:
            OffsetDateTime: A new OffsetDateTime instance.

        Raises:
            ValueError: If the conversion fails.
        """
    @classmethod
    def parse(cls, s: str) -> OffsetDateTime:
        """Parse an OffsetDateTime from RFC 3339 format.

        Args:
            s: The string to parse.

        Returns:
            OffsetDateTime: A new OffsetDateTime instance.

        Raises:
            ValueError: If the string is not valid.
        """
    @property
    def utc(self) -> DateTime: ...
    @property
    def offset(self) -> UtcOffset: ...
    def to_local(self) -> DateTime:
        """Convert to local DateTime.

        Returns:
            DateTime: The local DateTime.

        Raises:
            ValueError: If the conversion fails.
        """
    def unix_timestamp(self) -> int:
        """Get Unix timestamp (seconds since Unix epoch)."""
    def unix_timestamp_nanos(self) -> int:
        """Get Unix timestamp in nanoseconds."""
    def add_duration(self, dur: Duration) -> OffsetDateTime:
        """Add a duration.

        Args:
            dur: A Duration instance.

        Returns:
            OffsetDateTime: A new OffsetDateTime instance.

        Raises:
            ValueError: If the resulting datetime is out of range.
        """
    def difference(self, other: OffsetDateTime) -> Duration:
        """Calculate the difference between two OffsetDateTimes.

        Args:
            other: Another OffsetDateTime instance.

        Returns:
            Duration: The duration between the two datetimes (self - other).
        """
    def __eq__(self, value: object, /) -> bool: ...
    def __lt__(self, value: OffsetDateTime, /) -> bool: ...
    def __le__(self, value: OffsetDateTime, /) -> bool: ...
    def __gt__(self, value: OffsetDateTime, /) -> bool: ...
    def __ge__(self, value: OffsetDateTime, /) -> bool: ...
    def __hash__(self) -> int: ...
