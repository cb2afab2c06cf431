// SPDX-License-Identifier: MIT
#include "time.hpp"

#include "digits.hpp"

namespace chronexa {

char* Time::write_text(char* out) const noexcept {
  out = digits::write2(out, hour);
  *out++ = ':';
  out = digits::write2(out, minute);
  *out++ = ':';
  out = digits::write2(out, second);
  if (nanosecond == 0) return out;
  *out++ = '.';
  // Nine digits, then keep up to the last non-zero one.
  const std::uint32_t n = nanosecond;
  const char d[9] = {
      static_cast<char>('0' + n / 100'000'000 % 10), static_cast<char>('0' + n / 10'000'000 % 10),
      static_cast<char>('0' + n / 1'000'000 % 10),   static_cast<char>('0' + n / 100'000 % 10),
      static_cast<char>('0' + n / 10'000 % 10),      static_cast<char>('0' + n / 1'000 % 10),
      static_cast<char>('0' + n / 100 % 10),         static_cast<char>('0' + n / 10 % 10),
      static_cast<char>('0' + n % 10),
  };
  __builtin_memcpy(out, d, 9);
  // Trailing zeros: count them from the low end (n is not 0, so at most 8).
  const unsigned zeros = n % 100'000'000 == 0 ? 8
                         : n % 10'000'000 == 0 ? 7
                         : n % 1'000'000 == 0  ? 6
                         : n % 100'000 == 0    ? 5
                         : n % 10'000 == 0     ? 4
                         : n % 1'000 == 0      ? 3
                         : n % 100 == 0        ? 2
                         : n % 10 == 0         ? 1
                                               : 0;
  return out + 9 - zeros;
}

namespace {

constexpr bool is_digit(char c) noexcept { return c >= '0' && c <= '9'; }

// One or more digits, refused as soon as the value would exceed `max`.
constexpr bool parse_field(std::string_view s, unsigned max, unsigned& value) noexcept {
  if (s.empty()) return false;
  unsigned v = 0;
  for (char c : s) {
    if (!is_digit(c)) return false;
    v = v * 10 + static_cast<unsigned>(c - '0');
    if (v > max) return false;
  }
  value = v;
  return true;
}

constexpr std::uint32_t pow10[10] = {1,      10,      100,      1'000,      10'000,
                                     100'000, 1'000'000, 10'000'000, 100'000'000, 1'000'000'000};

}  // namespace

// time = hour ":" minute ":" second ["." 1*9DIGIT]
std::expected<Time, TimeError> Time::parse(std::string_view text) noexcept {
  constexpr auto fail = std::unexpected(TimeError::InvalidTime);
  if (text.empty()) return fail;
  std::string_view main = text, fraction;
  bool has_fraction = false;
  if (const std::size_t dot = text.find('.'); dot != std::string_view::npos) {
    if (dot == 0) return fail;
    main = text.substr(0, dot);
    fraction = text.substr(dot + 1);
    has_fraction = true;
  }
  const std::size_t c1 = main.find(':');
  if (c1 == std::string_view::npos) return fail;
  const std::size_t c2 = main.find(':', c1 + 1);
  if (c2 == std::string_view::npos || main.find(':', c2 + 1) != std::string_view::npos) return fail;
  unsigned h, m, s;
  if (!parse_field(main.substr(0, c1), 23, h) || !parse_field(main.substr(c1 + 1, c2 - c1 - 1), 59, m) ||
      !parse_field(main.substr(c2 + 1), 59, s))
    return fail;
  std::uint32_t nanos = 0;
  if (has_fraction) {
    if (fraction.empty() || fraction.size() > 9) return fail;
    std::uint32_t v = 0;
    for (char c : fraction) {
      if (!is_digit(c)) return fail;
      v = v * 10 + static_cast<std::uint32_t>(c - '0');
    }
    nanos = v * pow10[9 - fraction.size()];
  }
  return from_hms_nano(static_cast<std::uint8_t>(h), static_cast<std::uint8_t>(m),
                       static_cast<std::uint8_t>(s), nanos);
}

}  // namespace chronexa
