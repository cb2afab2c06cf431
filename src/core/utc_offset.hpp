// SPDX-License-Identifier: MIT
//
// UtcOffset: a fixed offset from UTC in seconds, -86400 to 86400; local time
// is UTC + offset.
//
//   UtcOffset::from_hours_minutes(true, 5, 30)->as_seconds();  // 19800
//   UtcOffset::from_seconds(86401);                            // OutOfRange
#pragma once

#include <compare>
#include <cstdint>
#include <expected>
#include <string_view>

#include "digits.hpp"

namespace chronexa {

enum class UtcOffsetError : std::uint8_t { OutOfRange = 0 };

constexpr std::string_view name(UtcOffsetError) noexcept { return "OutOfRange"; }

struct UtcOffset {
  std::int32_t seconds;  // -86400 to 86400

  // The longest text: "+24:00" for whole minutes, "-23:59:59" otherwise.
  static constexpr std::size_t max_text_size = 9;

  // The fields hash() feeds, in order: the seconds (4 bytes).
  template <class H>
  CHRONEXA_INLINE constexpr void hash_fields(H& h) const noexcept {
    h.write(seconds);
  }

  static constexpr std::expected<UtcOffset, UtcOffsetError> from_seconds(std::int32_t s) noexcept {
    if (s < -86'400 || s > 86'400) return std::unexpected(UtcOffsetError::OutOfRange);
    return UtcOffset{s};
  }
  static constexpr std::expected<UtcOffset, UtcOffsetError> from_hours_minutes(
      bool sign_positive, std::uint8_t hours, std::uint8_t minutes) noexcept {
    if (hours > 23 || minutes > 59) return std::unexpected(UtcOffsetError::OutOfRange);
    const std::int32_t s = hours * 3600 + minutes * 60;
    return UtcOffset{sign_positive ? s : -s};
  }

  constexpr std::int32_t as_seconds() const noexcept { return seconds; }
  constexpr bool is_utc() const noexcept { return seconds == 0; }

  // "+HH:MM", with ":SS" appended when the offset is not a whole number of
  // minutes, so the text always names the offset held; returns the end.
  char* write_text(char* out) const noexcept {
    const std::int32_t s = seconds;  // the stores through `out` may alias it
    *out++ = s < 0 ? '-' : '+';
    const auto a = static_cast<unsigned>(s < 0 ? -s : s);  // [0, 86400]
    out = digits::write2(out, a / 3600);
    *out++ = ':';
    out = digits::write2(out, a % 3600 / 60);
    if (const unsigned rest = a % 60; rest != 0) {  // not a whole minute: name the seconds too
      *out++ = ':';
      out = digits::write2(out, rest);
    }
    return out;
  }

  friend constexpr bool operator==(const UtcOffset&, const UtcOffset&) = default;
  friend constexpr auto operator<=>(const UtcOffset&, const UtcOffset&) = default;
};

}  // namespace chronexa
