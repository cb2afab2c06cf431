// SPDX-License-Identifier: MIT
#include "time.hpp"

#include <bit>
#include <cstring>

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
  // All nine digits first: one, then the other eight as one little-endian
  // word built in a register and stored once (read back from four separate
  // stores, it would wait for them to retire). Its high bytes equal to '0' are
  // the trailing zeros; when all eight are, the first digit is not (nanosecond
  // is not 0).
  const std::uint32_t lo = nanosecond % 100'000'000;             // [0, 99999999]
  out[0] = static_cast<char>('0' + nanosecond / 100'000'000);    // [0, 9]
  const std::uint32_t hi4 = lo / 10'000, lo4 = lo % 10'000;
  const std::uint64_t w = digits::pair_le(hi4 / 100) | digits::pair_le(hi4 % 100) << 16 |
                          digits::pair_le(lo4 / 100) << 32 | digits::pair_le(lo4 % 100) << 48;
  digits::store8_le(out + 1, w);
  const std::uint64_t v = w - 0x3030'3030'3030'3030;  // each byte >= '0': no borrow between bytes
  const int zeros = v == 0 ? 8 : std::countl_zero(v) / 8;        // [0, 8]
  return out + 9 - zeros;
}

namespace {

using digits::is_digit;

constexpr std::uint32_t pow10[10] = {1,       10,        100,        1'000,       10'000,
                                     100'000, 1'000'000, 10'000'000, 100'000'000, 1'000'000'000};

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
  if (!parse_field(p, end, 23, h) || p == end || *p++ != ':' ||  //
      !parse_field(p, end, 59, m) || p == end || *p++ != ':' ||  //
      !parse_field(p, end, 59, s))
    return fail;
  std::uint32_t nanos = 0;
  if (p != end) {
    if (*p++ != '.') return fail;
    const auto length = static_cast<std::size_t>(end - p);
    if (length == 0 || length > 9) return fail;
    std::uint32_t v = 0;  // [0, 999999999]
    for (; p != end; ++p) {
      if (!is_digit(*p)) return fail;
      v = v * 10 + static_cast<std::uint32_t>(*p - '0');
    }
    nanos = v * pow10[9 - length];
  }
  return from_hms_nano(static_cast<std::uint8_t>(h), static_cast<std::uint8_t>(m),
                       static_cast<std::uint8_t>(s), nanos);
}

}  // namespace chronexa
