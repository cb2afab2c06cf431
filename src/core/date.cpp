// SPDX-License-Identifier: MIT
#include "date.hpp"

#include "digits.hpp"

namespace chronexa {

char* Date::write_other_year(char* out, std::int32_t year) noexcept {
  if (year < 0 && year > -1000) {
    *out++ = '-';  // the sign counts towards the four characters
    const auto mag = static_cast<unsigned>(-year);
    *out++ = static_cast<char>('0' + mag / 100);
    return digits::write2(out, mag % 100);
  }
  return digits::write_i64(out, year);  // five or more characters: written in full
}

namespace {

using digits::is_digit;
using digits::parse_bounded;

// An optional sign and one or more digits, within the signed 32-bit range.
constexpr bool parse_year(std::string_view s, std::int32_t& year) noexcept {
  bool negative = false;
  if (!s.empty() && (s[0] == '+' || s[0] == '-')) {
    negative = s[0] == '-';
    s.remove_prefix(1);
  }
  if (s.empty()) return false;
  const unsigned last = negative ? 8 : 7;  // 2147483648 or 2147483647
  std::uint32_t mag = 0;
  for (char c : s) {
    if (!is_digit(c)) return false;
    const auto d = static_cast<std::uint32_t>(c - '0');
    if (mag > 214'748'364 || (mag == 214'748'364 && d > last)) return false;
    mag = mag * 10 + d;
  }
  year = static_cast<std::int32_t>(negative ? 0u - mag : mag);
  return true;
}

// date = year "-" month "-" day, where year = ["+" / "-"] 1*DIGIT and
// month, day = 1*DIGIT; the separators are the '-' bytes after position 0.
// Out of line, so that the canonical path in Date::parse sets up no frame.
[[gnu::noinline]] std::expected<Date, DateError> parse_general(std::string_view text) noexcept {
  constexpr auto fail = std::unexpected(DateError::InvalidDate);
  if (text.empty()) return fail;
  const std::size_t first = text.find('-', 1);
  if (first == std::string_view::npos) return fail;
  const std::size_t second = text.find('-', first + 1);
  if (second == std::string_view::npos) return fail;
  if (text.find('-', second + 1) != std::string_view::npos) return fail;
  std::int32_t year;
  unsigned month, day;
  if (!parse_year(text.substr(0, first), year) ||
      !parse_bounded(text.substr(first + 1, second - first - 1), 12, month) ||
      !parse_bounded(text.substr(second + 1), 31, day))
    return fail;
  return Date::from_ymd(year, static_cast<std::uint8_t>(month), static_cast<std::uint8_t>(day));
}

}  // namespace

std::expected<Date, DateError> Date::parse(std::string_view text) noexcept {
  // The canonical shape "YYYY-MM-DD" is read as two overlapping words; any
  // other falls through to the general rules, which accept it too.
  if (text.size() == 10) {
    constexpr digits::Shape head("0000-00-"), tail("00-00-00");
    const std::uint64_t a = digits::load8(text.data(), 0), b = digits::load8(text.data(), 2);
    if ((head.deviation(a) | tail.deviation(b)) == 0) {
      const std::uint64_t ap = digits::pairs_of(a), bp = digits::pairs_of(b);
      const unsigned month = digits::byte_at(ap, 5), day = digits::byte_at(bp, 6);
      return from_ymd(
          static_cast<std::int32_t>(digits::byte_at(ap, 0) * 100 + digits::byte_at(ap, 2)),
          static_cast<std::uint8_t>(month), static_cast<std::uint8_t>(day));
    }
  }
  return parse_general(text);
}

}  // namespace chronexa
