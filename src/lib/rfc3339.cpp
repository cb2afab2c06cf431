// SPDX-License-Identifier: MIT
//
// OffsetDateTime::parse: RFC 3339 date-time text with an offset, read in
// place. The accepted language, in ABNF (WSP-U is one character with the
// Unicode White_Space property, see is_white_space below):
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

#include <bit>
#include <cstring>

#include "digits.hpp"

namespace chronexa {
namespace {

using digits::is_digit;

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
// continues another sequence, so trying the 1, 2 and 3 bytes there decides;
// an ASCII byte there can only be a whole character.
constexpr std::size_t leading_white_space(std::string_view s) noexcept {
  if (s.empty()) return 0;
  if (byte(s, 0) < 0x80) return is_white_space(s.substr(0, 1));
  for (std::size_t n = 2; n <= 3 && n <= s.size(); ++n)
    if (is_white_space(s.substr(0, n))) return n;
  return 0;
}
constexpr std::size_t trailing_white_space(std::string_view s) noexcept {
  if (s.empty()) return 0;
  if (byte(s, s.size() - 1) < 0x80) return is_white_space(s.substr(s.size() - 1));
  for (std::size_t n = 2; n <= 3 && n <= s.size(); ++n)
    if (is_white_space(s.substr(s.size() - n))) return n;
  return 0;
}

// text = *WSP-U date-time *WSP-U: the date-time between the white space.
constexpr std::string_view trim(std::string_view s) noexcept {
  while (const std::size_t n = leading_white_space(s)) s.remove_prefix(n);
  while (const std::size_t n = trailing_white_space(s)) s.remove_suffix(n);
  return s;
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
  if (!digits::parse_bounded(hours, 23, h)) return std::nullopt;
  if (minutes.empty()) m = 0;  // "+05:" is five hours
  else if (!digits::parse_bounded(minutes, 59, m)) return std::nullopt;
  const auto seconds = static_cast<std::int32_t>(h * 3600 + m * 60);
  return UtcOffset{negative ? -seconds : seconds};
}

constexpr std::uint32_t pow10[10] = {1,       10,        100,        1'000,      10'000,
                                     100'000, 1'000'000, 10'000'000, 100'000'000, 1'000'000'000};

// Eight bytes of `s` from `at`, the first in the lowest bits.
constexpr std::uint64_t load8(std::string_view s, std::size_t at) noexcept {
  std::uint64_t w = 0;
  if consteval {
    for (std::size_t k = 0; k < 8; ++k) w |= std::uint64_t{byte(s, at + k)} << (8 * k);
  } else {
    std::memcpy(&w, s.data() + at, 8);
    if constexpr (std::endian::native == std::endian::big) w = std::byteswap(w);
  }
  return w;
}

// Eight bytes in which '0' stands for any digit and every other byte for
// itself, as masks over a loaded word.
struct Shape {
  std::uint64_t fixed = 0, expected = 0, high = 0, six = 0;

  consteval Shape(const char (&shape)[9]) {
    for (std::size_t k = 0; k < 8; ++k) {
      const auto c = static_cast<std::uint64_t>(static_cast<unsigned char>(shape[k]));
      if (c == '0') {
        high |= std::uint64_t{0xF0} << (8 * k);
        six |= std::uint64_t{0x06} << (8 * k);
      } else {
        fixed |= std::uint64_t{0xFF} << (8 * k);
        expected |= c << (8 * k);
      }
    }
  }

  // A digit byte is 0x30-0x39: high nibble 3, and still 3 after adding 6
  // (no byte carries into the next).
  constexpr bool matches(std::uint64_t w) const noexcept {
    const std::uint64_t threes = 0x3030'3030'3030'3030 & high;
    return (w & fixed) == expected && (w & high) == threes && ((w + six) & high) == threes;
  }
};

// The value of the two digits at bytes k and k + 1 of `w`.
constexpr unsigned two_digits(std::uint64_t w, unsigned k) noexcept {
  return static_cast<unsigned>((w >> (8 * k)) & 0x0F) * 10 +
         static_cast<unsigned>((w >> (8 * k + 8)) & 0x0F);
}

// The shape nearly all input has, read at fixed positions:
//   common = 4DIGIT "-" 2DIGIT "-" 2DIGIT "T" 2DIGIT ":" 2DIGIT ":" 2DIGIT
//            ["." 1*9DIGIT] ("Z" / "z" / ("+" / "-") 2DIGIT ":" 2DIGIT)
// It is a subset of the general language and gives the same value for it;
// anything else, refusals included, is left to the general rules. Reading it
// directly takes the core parse of "2024-01-05T12:30:45.123456+05:30" from
// about 55 ns to about 30 ns.
struct Common {
  Date date;
  Time time;
  UtcOffset offset;
};
constexpr std::optional<Common> read_common(std::string_view s) noexcept {
  if (s.size() < 20) return std::nullopt;
  const std::uint64_t a = load8(s, 0), b = load8(s, 8), c = load8(s, 11);
  constexpr Shape date_shape("0000-00-"), middle_shape("00T00:00"), time_shape("00:00:00");
  if (!date_shape.matches(a) || !middle_shape.matches(b) || !time_shape.matches(c))
    return std::nullopt;
  std::size_t i = 19;
  std::uint32_t nanos = 0;
  if (s[i] == '.') {
    std::uint32_t v = 0;
    while (++i < s.size() && i < 30 && is_digit(s[i]))
      v = v * 10 + static_cast<unsigned>(s[i] - '0');
    const std::size_t n = i - 20;  // fraction digits
    if (n == 0 || n > 9) return std::nullopt;
    nanos = v * pow10[9 - n];
  }
  std::int32_t offset = 0;
  const std::size_t rest = s.size() - i;
  if (rest == 6 && (s[i] == '+' || s[i] == '-') && s[i + 3] == ':' && is_digit(s[i + 1]) &&
      is_digit(s[i + 2]) && is_digit(s[i + 4]) && is_digit(s[i + 5])) {
    const unsigned h = (byte(s, i + 1) & 0x0Fu) * 10 + (byte(s, i + 2) & 0x0Fu);
    const unsigned m = (byte(s, i + 4) & 0x0Fu) * 10 + (byte(s, i + 5) & 0x0Fu);
    if (h > 23 || m > 59) return std::nullopt;
    offset = static_cast<std::int32_t>(h * 3600 + m * 60);
    if (s[i] == '-') offset = -offset;
  } else if (rest != 1 || (s[i] != 'Z' && s[i] != 'z')) {
    return std::nullopt;
  }
  const auto year = static_cast<std::int32_t>(two_digits(a, 0) * 100 + two_digits(a, 2));
  const auto date = Date::from_ymd(year, static_cast<std::uint8_t>(two_digits(a, 5)),
                                   static_cast<std::uint8_t>(two_digits(b, 0)));
  const auto time = Time::from_hms_nano(static_cast<std::uint8_t>(two_digits(c, 0)),
                                        static_cast<std::uint8_t>(two_digits(c, 3)),
                                        static_cast<std::uint8_t>(two_digits(c, 6)), nanos);
  if (!date || !time) return std::nullopt;
  return Common{*date, *time, UtcOffset{offset}};
}

static_assert(trim("\t 2024 \xE3\x80\x80") == "2024");
static_assert(trim("\xE2\x80\x8B" "2024") == "\xE2\x80\x8B" "2024");  // U+200B is no white space
static_assert(read_offset("+05:30")->seconds == 19'800 && read_offset("-0530")->seconds == -19'800);
static_assert(read_offset("+05:3")->seconds == 18'180 && read_offset("-00:00")->seconds == 0);
static_assert(!read_offset("+5") && !read_offset("+123") && !read_offset("+05:30:00"));
static_assert(read_common("2024-01-05T12:30:45.5-05:30")->time.nanosecond == 500'000'000);
static_assert(!read_common("2024-01-05T12:30:45.-05:30"));
static_assert(!read_common("2024-01-05T12:30:45+5:30"));

}  // namespace

// text      = *WSP-U date ("T" / " ") time offset *WSP-U
// time-part = time offset, where the offset is a final "Z"/"z", or else
//             begins at the last "+" or "-"
std::optional<OffsetDateTime> OffsetDateTime::parse(std::string_view text) noexcept {
  const std::string_view s = trim(text);
  if (const auto c = read_common(s)) {
    const auto value = from_local(c->date, c->time, c->offset);
    if (!value) return std::nullopt;
    return *value;
  }
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
