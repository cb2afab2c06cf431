// SPDX-License-Identifier: MIT
#include "time.hpp"

#include "digits.hpp"

namespace chronexa {

namespace {

using digits::is_digit;

// One or more digits at p, refused as soon as the value would exceed `max`
// (so any number of leading zeros is fine); p ends after the last digit.
constexpr bool parse_field(const char*& p, const char* end, unsigned max,
                           unsigned& value) noexcept {
  if (p == end || !is_digit(*p)) return false;
  unsigned v = 0;  // [0, max]
  do {
    v = v * 10 + static_cast<unsigned>(*p++ - '0');
    if (v > max) return false;
  } while (p != end && is_digit(*p));
  value = v;
  return true;
}

}  // namespace

// time     = hour ":" minute ":" second ["." fraction]
// hour     = 1*DIGIT, at most 23    (any number of leading zeros)
// minute   = 1*DIGIT, at most 59
// second   = 1*DIGIT, at most 59    (no leap second)
// fraction = 1*9DIGIT, scaled to nanoseconds
//
// One forward pass. Every refusal is the same InvalidTime, so where a bad
// text is first noticed does not matter: a third ':' or a second '.' ends a
// field and is refused as the wrong separator or as a non-digit.
std::expected<Time, TimeError> Time::parse(std::string_view text) noexcept {
  constexpr auto fail = std::unexpected(TimeError::InvalidTime);
  const char* p = text.data();
  const char* const end = p + text.size();
  unsigned h, m, s;
  // The layout write_text produces, two digits per field, read as one word;
  // the general pass below reads anything else.
  constexpr digits::Shape fixed("00:00:00");
  const std::uint64_t w = text.size() >= 8 ? digits::load8(p, 0) : 0;
  if (text.size() >= 8 && fixed.deviation(w) == 0 && (text.size() == 8 || p[8] == '.')) {
    const std::uint64_t pairs = digits::pairs_of(w);
    h = digits::byte_at(pairs, 0);
    m = digits::byte_at(pairs, 3);
    s = digits::byte_at(pairs, 6);
    if (h > 23 || m > 59 || s > 59) return fail;
    p += 8;
  } else if (!parse_field(p, end, 23, h) || p == end || *p++ != ':' ||  //
             !parse_field(p, end, 59, m) || p == end || *p++ != ':' ||  //
             !parse_field(p, end, 59, s)) {
    return fail;
  }
  std::uint32_t nanos = 0;
  if (p != end) {
    if (*p++ != '.') return fail;
    // Eight bytes of the text end at `end` when it is long enough.
    if (!(text.size() >= 8 ? digits::parse_fraction_word(p, end, nanos)
                           : digits::parse_fraction(p, end, nanos)))
      return fail;
  }
  return from_hms_nano(static_cast<std::uint8_t>(h), static_cast<std::uint8_t>(m),
                       static_cast<std::uint8_t>(s), nanos);
}

}  // namespace chronexa
