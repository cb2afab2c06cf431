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

#include "digits.hpp"

namespace chronexa {
namespace {

using digits::byte_at;

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
    case 1: return (byte(s, 0) >= 0x09 && byte(s, 0) <= 0x0D) || byte(s, 0) == 0x20;
    case 2: return byte(s, 0) == 0xC2 && (byte(s, 1) == 0x85 || byte(s, 1) == 0xA0);
    case 3: {
      const unsigned c = unsigned{byte(s, 0)} << 16 | unsigned{byte(s, 1)} << 8 | byte(s, 2);
      return c == 0xE19A80 || (c >= 0xE28080 && c <= 0xE2808A) || c == 0xE280A8 || c == 0xE280A9 ||
             c == 0xE280AF || c == 0xE2819F || c == 0xE38080;
    }
    default: return false;
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

// The fields of the shape nearly all input has, at fixed positions:
//   fixed = 4DIGIT "-" 2DIGIT "-" 2DIGIT "T" 2DIGIT ":" 2DIGIT ":" 2DIGIT
//           ["." 1*9DIGIT] ("Z" / "z" / ("+" / "-") 2DIGIT ":" 2DIGIT)
// It is a subset of the general language, and every field is checked as the
// general rules check it, so both give the same value or refusal for it. The
// date and time are read eight bytes at a time: 19 bytes, three words.
struct Fixed {
  std::int32_t year;
  unsigned month, day, hour, minute, second, offset_hours, offset_minutes;
  std::uint32_t nanos;
  bool negative;
};

// Whether `s` has the fixed shape; its fields are then in `f`, not yet
// checked against their ranges. Inlined, so that `f` stays in registers
// (zig's Clang 22.1 calls it otherwise; the .parse rows).
CHRONEXA_INLINE constexpr bool read_fixed(std::string_view s, Fixed& f) noexcept {
  const std::size_t n = s.size();
  const char* p = s.data();
  if (n < 20 || n > 35) return false;
  std::size_t end = n - 1;  // where the offset starts
  f.negative = false;
  f.offset_hours = f.offset_minutes = 0;
  if (p[end] != 'Z' && p[end] != 'z') {
    end = n - 6;
    constexpr digits::Shape offset_shape("???00:00");
    const std::uint64_t o = digits::load8(p, n - 8);
    if (n < 25 || (p[end] != '+' && p[end] != '-') || offset_shape.deviation(o) != 0) return false;
    f.negative = p[end] == '-';
    const std::uint64_t op = digits::pairs_of(o);
    f.offset_hours = byte_at(op, 3);
    f.offset_minutes = byte_at(op, 6);
  }
  constexpr digits::Shape date_shape("0000-00-"), middle_shape("00T00:00"), time_shape("00:00:00");
  const std::uint64_t a = digits::load8(p, 0), b = digits::load8(p, 8), c = digits::load8(p, 11);
  if ((date_shape.deviation(a) | middle_shape.deviation(b) | time_shape.deviation(c)) != 0)
    return false;
  const std::uint64_t ap = digits::pairs_of(a), bp = digits::pairs_of(b), cp = digits::pairs_of(c);
  f.year = static_cast<std::int32_t>(byte_at(ap, 0) * 100 + byte_at(ap, 2));
  f.month = byte_at(ap, 5);
  f.day = byte_at(bp, 0);
  f.hour = byte_at(cp, 0);
  f.minute = byte_at(cp, 3);
  f.second = byte_at(cp, 6);
  f.nanos = 0;
  if (end == 19) return true;
  return end >= 21 && end <= 29 && p[19] == '.' &&
         digits::parse_fraction_word(p + 20, p + end, f.nanos);
}

constexpr bool fixed_shape(std::string_view s) noexcept {
  Fixed f{};
  return read_fixed(s, f);
}
static_assert(fixed_shape("2024-01-05T12:30:45.5-05:30") && fixed_shape("2024-13-05T12:30:45z"));
static_assert(!fixed_shape("2024-01-05T12:30:45.-05:30"));
static_assert(!fixed_shape("2024-01-05T12:30:45+5:30"));
static_assert(!fixed_shape("2024-01-05T12:30:45.1234567890Z"));
static_assert(!fixed_shape("2024-01-05 12:30:45Z"));

// The value of text of the fixed shape, or nothing when a field is out of
// range. Only the verdicts of the checks are used: building the values from
// the fields keeps them in registers (no expected<> assembled in memory).
CHRONEXA_INLINE inline std::optional<OffsetDateTime> from_fixed(const Fixed& f) noexcept {
  const auto month = static_cast<std::uint8_t>(f.month), day = static_cast<std::uint8_t>(f.day);
  const auto hour = static_cast<std::uint8_t>(f.hour);
  const auto minute = static_cast<std::uint8_t>(f.minute);
  const auto second = static_cast<std::uint8_t>(f.second);
  if (!Date::from_ymd(f.year, month, day) || !Time::from_hms_nano(hour, minute, second, f.nanos) ||
      f.offset_hours > 23 || f.offset_minutes > 59)
    return std::nullopt;
  // UTC = local - offset in minutes of the day (the offset is whole minutes,
  // the seconds stay), the date moved by the day carried: what from_local
  // computes, without its divisions of the whole time of day.
  const auto magnitude = static_cast<int>(f.offset_hours * 60 + f.offset_minutes);
  const int offset = f.negative ? -magnitude : magnitude;
  int utc = static_cast<int>(f.hour * 60 + f.minute) - offset;  // (-1440, 2880)
  Date d{f.year, month, day};
  if (!detail::carry_day(d, utc, 1440)) return std::nullopt;
  const auto minutes = static_cast<unsigned>(utc);
  std::optional<OffsetDateTime> out{std::in_place, DateTime{}, UtcOffset{offset * 60}};
  detail::store_whole(
      out->utc, DateTime::make(d.year, d.month, d.day, static_cast<std::uint8_t>(minutes / 60),
                               static_cast<std::uint8_t>(minutes % 60), second, f.nanos));
  return out;
}

// Any text but the untrimmed fixed shape: out of line, so that parse() holds
// the fixed-shape path alone (seven instructions fewer per call).
[[gnu::noinline]] std::optional<OffsetDateTime> parse_other(std::string_view text) noexcept {
  // Text of the fixed shape begins with a digit and ends with a letter or a
  // digit, so trimming leaves it as it is: trimmed text is tried again.
  const std::string_view s = trim(text);
  if (Fixed f; s.size() != text.size() && read_fixed(s, f)) return from_fixed(f);
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

  const auto value = OffsetDateTime::from_local(*date, *time, *offset);
  if (!value) return std::nullopt;
  return *value;
}

}  // namespace

// text      = *WSP-U date ("T" / " ") time offset *WSP-U
// time-part = time offset, where the offset is a final "Z"/"z", or else
//             begins at the last "+" or "-"
std::optional<OffsetDateTime> OffsetDateTime::parse(std::string_view text) noexcept {
  if (Fixed f; read_fixed(text, f)) return from_fixed(f);
  return parse_other(text);
}

}  // namespace chronexa
