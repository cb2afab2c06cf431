// SPDX-License-Identifier: MIT
//
// DateTime: a UTC instant, a Date and a Time read in UTC, with nanosecond
// resolution over the whole year range of Date. Every day has 86400 seconds.
//
//   auto dt = DateTime::from_unix_timestamp(1'709'164'800, 0);  // 2024-02-29T00:00:00Z
//   dt->unix_timestamp_nanos();                                  // 1709164800000000000
//   dt->add_duration(Duration::seconds(-1));                     // 2024-02-28T23:59:59Z
//   DateTime::parse("2024-01-01 12:00:00.5z");                   // optional<DateTime>
//
// Instant arithmetic is checked: leaving the range is DateError::OutOfRange,
// never a wrapped value.
#pragma once

#include <array>
#include <bit>
#include <compare>
#include <cstdint>
#include <expected>
#include <optional>
#include <string_view>

#include "date.hpp"
#include "duration.hpp"
#include "time.hpp"

namespace chronexa {

struct DateTime {
  Date date;
  Time time;

  // The longest text: "-2147483648-01-01T00:00:00.123456789Z".
  static constexpr std::size_t max_text_size = 37;

  // The fields hash() feeds, in order: the date's, then the time's.
  template <class H>
  CHRONEXA_INLINE constexpr void hash_fields(H& h) const noexcept {
    h.write(date).write(time);
  }

  // The date-time of valid fields, built as two 64-bit words, so that a
  // returned DateTime is never stored field by field and reloaded whole (a
  // store-forwarding stall). Workaround for GCC 16.2, which does that to the
  // plain aggregate; row DateTime.from_unix_timestamp (docs/performance.md).
  static constexpr DateTime make(std::int32_t year, std::uint8_t month, std::uint8_t day,
                                 std::uint8_t hour, std::uint8_t minute, std::uint8_t second,
                                 std::uint32_t nanosecond) noexcept {
    if consteval {
      return DateTime{{year, month, day}, {hour, minute, second, nanosecond}};
    } else {
      if constexpr (std::endian::native == std::endian::little && sizeof(Date) == 8 &&
                    sizeof(Time) == 8 && sizeof(DateTime) == 16) {
        const std::array<std::uint64_t, 2> words = {
            static_cast<std::uint32_t>(year) | std::uint64_t{month} << 32 |
                std::uint64_t{day} << 40,
            hour | std::uint64_t{minute} << 8 | std::uint64_t{second} << 16 |
                std::uint64_t{nanosecond} << 32};
        return std::bit_cast<DateTime>(words);
      } else {
        return DateTime{{year, month, day}, {hour, minute, second, nanosecond}};
      }
    }
  }

  static constexpr std::int64_t min_unix_seconds = -67'768'100'567'971'200;
  static constexpr std::int64_t max_unix_seconds = 67'767'976'233'532'799;

  // Any 32-bit nanosecond count is accepted and split by floor division.
  static std::expected<DateTime, DateError> from_unix_timestamp(std::int64_t secs,
                                                                std::int32_t nanos) noexcept;

  constexpr std::int64_t unix_timestamp() const noexcept {
    return date.days_since_unix_epoch() * 86'400 + time.seconds_since_midnight();
  }
  constexpr i128 unix_timestamp_nanos() const noexcept {
    return static_cast<i128>(unix_timestamp()) * 1'000'000'000 + time.nanosecond;
  }

  std::expected<DateTime, DateError> add_duration(Duration d) const noexcept;

  // self - other, exact. The seconds differ by less than 2^57, so only their
  // difference is widened: one 64 x 64 -> 128-bit product.
  //
  // Within one month, as neighbouring stamps mostly are, the days apart are
  // the days of the month apart: no day counts. Inlined, so that the day
  // counts' registers are saved only on the path that computes them (zig's
  // Clang 22.1 calls it otherwise; row DateTime.difference).
  CHRONEXA_INLINE constexpr Duration difference(const DateTime& other) const noexcept {
    std::int64_t days;
    if (date.year == other.date.year && date.month == other.date.month)
      days = std::int64_t{date.day} - other.date.day;
    else days = date.days_since_unix_epoch() - other.date.days_since_unix_epoch();
    const std::int64_t seconds = days * 86'400 +
                                 (std::int64_t{time.seconds_since_midnight()} -
                                  std::int64_t{other.time.seconds_since_midnight()});
    return {mul_wide(seconds, 1'000'000'000) +
            (std::int64_t{time.nanosecond} - std::int64_t{other.time.nanosecond})};
  }

  // The realtime clock; a failed read is an internal fault.
  static std::expected<DateTime, DateError> now_utc();

  // "YYYY-MM-DDTHH:MM:SS[.fffffffff]Z"; returns the end.
  char* write_text(char* out) const noexcept;

  // The text form, with "z" or "Z" at the end and "T" or a space between
  // date and time; nothing is trimmed. No detail on failure.
  static std::optional<DateTime> parse(std::string_view text) noexcept;

  friend constexpr bool operator==(const DateTime&, const DateTime&) = default;
  // The order of unix_timestamp_nanos(), which for valid values is the order
  // of the fields from year down to nanosecond: compared packed, with no
  // day-count arithmetic.
  friend constexpr std::strong_ordering operator<=>(const DateTime& a, const DateTime& b) noexcept {
    return a.field_key() <=> b.field_key();
  }

 private:
  // year | month | day | hour | minute | second | nanosecond, most significant first.
  constexpr i128 field_key() const noexcept {
    const std::int64_t high = static_cast<std::int64_t>(date.year) * (std::int64_t{1} << 32) |
                              std::int64_t{date.month} << 24 | std::int64_t{date.day} << 16 |
                              std::int64_t{time.hour} << 8 | time.minute;
    const std::uint64_t low = std::uint64_t{time.second} << 32 | time.nanosecond;
    return static_cast<i128>(high) * (i128{1} << 64) | low;
  }
};

static_assert(DateTime{{-1, 12, 31}, {23, 59, 59, 999'999'999}} <
              DateTime{{0, 1, 1}, {0, 0, 0, 0}});
static_assert(DateTime{{1970, 1, 1}, {0, 0, 0, 1}} > DateTime{{1970, 1, 1}, {0, 0, 0, 0}});

}  // namespace chronexa
