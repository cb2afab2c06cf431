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

}  // namespace

// date = year "-" month "-" day, where year = ["+" / "-"] 1*DIGIT and
// month, day = 1*DIGIT; the separators are the '-' bytes after position 0.
std::expected<Date, DateError> Date::parse(std::string_view text) noexcept {
  constexpr auto fail = std::unexpected(DateError::InvalidDate);
  // The canonical shape "YYYY-MM-DD" is read directly; any other falls
  // through to the general rules, which accept it too.
  if (text.size() == 10 && text[4] == '-' && text[7] == '-') {
    unsigned v[8];
    const char* p = text.data();
    const unsigned at[8] = {0, 1, 2, 3, 5, 6, 8, 9};
    bool digits = true;
    for (int i = 0; i < 8; ++i) {
      v[i] = static_cast<unsigned>(p[at[i]] - '0');
      digits &= v[i] <= 9;
    }
    if (digits) {
      const unsigned month = v[4] * 10 + v[5], day = v[6] * 10 + v[7];
      if (month > 12 || day > 31) return fail;
      return from_ymd(static_cast<std::int32_t>(v[0] * 1000 + v[1] * 100 + v[2] * 10 + v[3]),
                      static_cast<std::uint8_t>(month), static_cast<std::uint8_t>(day));
    }
  }
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
  return from_ymd(year, static_cast<std::uint8_t>(month), static_cast<std::uint8_t>(day));
}

}  // namespace chronexa
