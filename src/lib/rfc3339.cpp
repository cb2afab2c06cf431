// SPDX-License-Identifier: MIT
//
// OffsetDateTime::parse: RFC 3339 date-time text with an offset, read in
// place. The accepted language, in ABNF (WSP-U is one character with the
// Unicode White_Space property, see white_space_length below):
//
//   text         = *WSP-U date-time *WSP-U
//   date-time    = date ("T" / " ") time offset
//   offset       = "Z" / "z" / num-offset
//   num-offset   = ("+" / "-") (2DIGIT [2DIGIT] / 1*2DIGIT ":" *2DIGIT)
//
// date and time are the texts of Date::parse and Time::parse. The first "T"
// separates date and time, or failing that the first space; a final "Z"/"z"
// or else the last sign starts the offset. Hours run to 23, minutes to 59.
// Every step is one pass over its part, so the whole parse is linear.
#include "offset_date_time.hpp"

namespace chronexa {
namespace {

constexpr bool is_digit(char c) noexcept { return c >= '0' && c <= '9'; }

constexpr unsigned char byte(std::string_view s, std::size_t i) noexcept {
  return static_cast<unsigned char>(s[i]);
}

// Whether the 1 to 3 bytes of `s` are the UTF-8 form of one White_Space
// character:
//   U+0009-U+000D, U+0020                 09-0D, 20
//   U+0085, U+00A0                        C2 85, C2 A0
//   U+1680                                E1 9A 80
//   U+2000-U+200A, U+2028, U+2029, U+202F E2 80 80-8A, E2 80 A8, E2 80 A9, E2 80 AF
//   U+205F                                E2 81 9F
//   U+3000                                E3 80 80
constexpr bool is_white_space(std::string_view s) noexcept {
  switch (s.size()) {
    case 1:
      return (byte(s, 0) >= 0x09 && byte(s, 0) <= 0x0D) || byte(s, 0) == 0x20;
    case 2:
      return byte(s, 0) == 0xC2 && (byte(s, 1) == 0x85 || byte(s, 1) == 0xA0);
    case 3: {
      const unsigned c = unsigned{byte(s, 0)} << 16 | unsigned{byte(s, 1)} << 8 | byte(s, 2);
      return c == 0xE19A80 || (c >= 0xE28080 && c <= 0xE2808A) || c == 0xE280A8 ||
             c == 0xE280A9 || c == 0xE280AF || c == 0xE2819F || c == 0xE38080;
    }
    default:
      return false;
  }
}

// The byte length of the White_Space character at the start (or the end) of
// `s`, or 0. The listed sequences differ in their first byte, which never
// continues another sequence, so trying the 1, 2 and 3 bytes there decides.
constexpr std::size_t leading_white_space(std::string_view s) noexcept {
  for (std::size_t n = 1; n <= 3 && n <= s.size(); ++n)
    if (is_white_space(s.substr(0, n))) return n;
  return 0;
}
constexpr std::size_t trailing_white_space(std::string_view s) noexcept {
  for (std::size_t n = 1; n <= 3 && n <= s.size(); ++n)
    if (is_white_space(s.substr(s.size() - n))) return n;
  return 0;
}

// text = *WSP-U date-time *WSP-U: the date-time between the white space.
constexpr std::string_view trim(std::string_view s) noexcept {
  while (const std::size_t n = leading_white_space(s)) s.remove_prefix(n);
  while (const std::size_t n = trailing_white_space(s)) s.remove_suffix(n);
  return s;
}

// 1*2DIGIT or 2DIGIT, as one number; `max` is the largest value allowed.
constexpr bool read_number(std::string_view s, unsigned max, unsigned& value) noexcept {
  unsigned v = 0;
  for (char c : s) {
    if (!is_digit(c)) return false;
    v = v * 10 + static_cast<unsigned>(c - '0');
  }
  if (v > max) return false;
  value = v;
  return true;
}

// offset     = "Z" / "z" / num-offset
// num-offset = ("+" / "-") (2DIGIT [2DIGIT] / 1*2DIGIT ":" *2DIGIT)
// hours 0-23, minutes 0-59; "-00:00" is the zero offset.
constexpr std::optional<UtcOffset> read_offset(std::string_view s) noexcept {
  if (s.size() == 1) {
    if (s[0] == 'Z' || s[0] == 'z') return UtcOffset{0};
    return std::nullopt;
  }
  if (s.size() < 3 || (s[0] != '+' && s[0] != '-')) return std::nullopt;
  const bool negative = s[0] == '-';
  const std::string_view body = s.substr(1);
  std::string_view hours, minutes;
  if (const std::size_t colon = body.find(':'); colon != std::string_view::npos) {
    hours = body.substr(0, colon);
    minutes = body.substr(colon + 1);
    if (hours.empty() || hours.size() > 2 || minutes.size() > 2) return std::nullopt;
  } else if (body.size() == 2 || body.size() == 4) {
    hours = body.substr(0, 2);
    minutes = body.substr(2);
  } else {
    return std::nullopt;
  }
  unsigned h, m;
  if (!read_number(hours, 23, h) || !read_number(minutes, 59, m)) return std::nullopt;
  const auto seconds = static_cast<std::int32_t>(h * 3600 + m * 60);
  return UtcOffset{negative ? -seconds : seconds};
}

static_assert(trim("\t 2024 \xE3\x80\x80") == "2024");
static_assert(trim("\xE2\x80\x8B" "2024") == "\xE2\x80\x8B" "2024");  // U+200B is no white space
static_assert(read_offset("+05:30")->seconds == 19'800 && read_offset("-0530")->seconds == -19'800);
static_assert(read_offset("+05:3")->seconds == 18'180 && read_offset("-00:00")->seconds == 0);
static_assert(!read_offset("+5") && !read_offset("+123") && !read_offset("+05:30:00"));

}  // namespace

// text      = *WSP-U date ("T" / " ") time offset *WSP-U
// time-part = time offset, where the offset is a final "Z"/"z", or else
//             begins at the last "+" or "-"
std::optional<OffsetDateTime> OffsetDateTime::parse(std::string_view text) noexcept {
  const std::string_view s = trim(text);
  std::size_t split = s.find('T');
  if (split == std::string_view::npos) split = s.find(' ');
  if (split == std::string_view::npos) return std::nullopt;
  const auto date = Date::parse(s.substr(0, split));
  if (!date) return std::nullopt;

  const std::string_view rest = s.substr(split + 1);
  std::size_t sign;
  if (!rest.empty() && (rest.back() == 'Z' || rest.back() == 'z')) {
    sign = rest.size() - 1;
  } else {
    sign = rest.find_last_of("+-");
    if (sign == std::string_view::npos) return std::nullopt;
  }
  const auto time = Time::parse(rest.substr(0, sign));
  if (!time) return std::nullopt;
  const auto offset = read_offset(rest.substr(sign));
  if (!offset) return std::nullopt;

  const auto value = from_local(*date, *time, *offset);
  if (!value) return std::nullopt;
  return *value;
}

}  // namespace chronexa
