// SPDX-License-Identifier: MIT
//
// Time: a time of day from 00:00:00 to 23:59:59.999999999, nanosecond
// precision, no leap second, no time zone.
//
//   auto t = Time::from_hms_nano(12, 30, 0, 500'000'000);  // std::expected<Time, TimeError>
//   t->nanos_since_midnight();                              // 45000500000000
//   char buf[Time::max_text_size];
//   std::string_view{buf, t->write_text(buf)};              // "12:30:00.5"
//   Time::parse("1:2:3.25");                                // 01:02:03.25
//
// Valid by construction; nothing here allocates, keeps state or throws.
#pragma once

#include <compare>
#include <cstdint>
#include <expected>
#include <string_view>

#include "digits.hpp"

namespace chronexa {

enum class TimeError : std::uint8_t { InvalidTime = 0 };

constexpr std::string_view name(TimeError) noexcept { return "InvalidTime"; }

struct Time {
  std::uint8_t hour;        // 0-23
  std::uint8_t minute;      // 0-59
  std::uint8_t second;      // 0-59
  std::uint32_t nanosecond; // 0-999999999

  // The longest text: "23:59:59.999999999".
  static constexpr std::size_t max_text_size = 18;

  // The fields hash() feeds, in order: hour, minute, second, nanosecond (4
  // bytes). Hour and minute go in as one 16-bit number, as Date's month and day.
  template <class H>
  CHRONEXA_INLINE constexpr void hash_fields(H& h) const noexcept {
    h.write(static_cast<std::uint16_t>(hour | minute << 8)).write(second).write(nanosecond);
  }

  static constexpr std::expected<Time, TimeError> from_hms_nano(std::uint8_t hour,
                                                                std::uint8_t minute,
                                                                std::uint8_t second,
                                                                std::uint32_t nanosecond) noexcept {
    if (hour > 23 || minute > 59 || second > 59 || nanosecond > 999'999'999)
      return std::unexpected(TimeError::InvalidTime);
    return Time{hour, minute, second, nanosecond};
  }

  // [0, 86399]; the nanoseconds are ignored.
  constexpr std::uint32_t seconds_since_midnight() const noexcept {
    return hour * 3600u + minute * 60u + second;
  }

  // [0, 86399999999999].
  constexpr std::uint64_t nanos_since_midnight() const noexcept {
    return seconds_since_midnight() * std::uint64_t{1'000'000'000} + nanosecond;
  }

  // Writes "HH:MM:SS", then "." and the fraction without trailing zeros when
  // the nanosecond is not 0; returns the end. `out` needs max_text_size bytes.
  // Inlined, so that the writers of the values holding a Time keep its
  // fields in registers (zig's Clang 22.1 calls it otherwise; str(DateTime)).
  CHRONEXA_INLINE char* write_text(char* out) const noexcept {
    const Time t = *this;  // the stores through `out` may alias *this
    out = digits::write2(out, t.hour);
    *out++ = ':';
    out = digits::write2(out, t.minute);
    *out++ = ':';
    out = digits::write2(out, t.second);
    if (t.nanosecond == 0) return out;
    *out++ = '.';
    // Whole microseconds (the precision of datetime and of most databases) as
    // six digits from three pairs; any other value as all nine digits: the
    // first, then eight from one word stored whole (the digits are not read
    // back from memory, a store-forwarding stall). Kept up to the last non-zero
    // digit. The end is found by branches on the value rather than from the
    // digits: a caller allocates its str by the length, so the length should
    // not wait for the conversion, and values of one precision take the same
    // branches, which are then predicted.
    std::uint32_t v = t.nanosecond;
    char* end;
    if (digits::divide_if_multiple<3>(v)) {  // v is now the microseconds
      digits::write4(out, v / 100);
      digits::write2(out + 4, v % 100);
      end = out + 6;
    } else {
      out[0] = static_cast<char>('0' + v / 100'000'000);  // [0, 9]
      digits::write8(out + 1, v % 100'000'000);
      end = out + 9;
    }
    // v is not 0. An if around a do-while rather than a while loop, which
    // zig's Clang 22.1 compiles to step `end` once more and back (row
    // str(Time), three instructions when no zero is stripped).
    if (digits::divide_if_multiple<1>(v)) {
      do --end;
      while (digits::divide_if_multiple<1>(v));
    }
    return end;
  }

  // Parses "H:M:S" with an optional fraction of 1 to 9 digits; any number of
  // leading zeros per field. Nothing is trimmed.
  static std::expected<Time, TimeError> parse(std::string_view text) noexcept;

  friend constexpr bool operator==(const Time&, const Time&) = default;
  friend constexpr std::strong_ordering operator<=>(const Time& a, const Time& b) noexcept {
    return a.nanos_since_midnight() <=> b.nanos_since_midnight();
  }
};

static_assert(Time{23, 59, 59, 999'999'999}.nanos_since_midnight() == 86'399'999'999'999);

}  // namespace chronexa
