// SPDX-License-Identifier: MIT
//
// Decimal digits for the text forms and parsers. Every writer takes a raw
// output pointer with enough room and returns the pointer past what it wrote.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace chronexa::digits {

constexpr bool is_digit(char c) noexcept { return static_cast<unsigned char>(c - '0') < 10; }

// One or more digits, no sign, refused as soon as the value would exceed
// `max`; so leading zeros are accepted in any number.
constexpr bool parse_bounded(std::string_view s, unsigned max, unsigned& value) noexcept {
  if (s.empty()) return false;
  unsigned v = 0;  // [0, max]
  for (char c : s) {
    if (!is_digit(c)) return false;
    v = v * 10 + static_cast<unsigned>(c - '0');
    if (v > max) return false;
  }
  value = v;
  return true;
}

// "00" "01" ... "99": two digits per lookup.
inline constexpr char pairs[201] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// Two digits of a value in [0, 99].
inline char* write2(char* out, unsigned v) noexcept {
  std::memcpy(out, pairs + 2 * v, 2);
  return out + 2;
}

// Four digits of a value in [0, 9999].
inline char* write4(char* out, unsigned v) noexcept {
  write2(out, v / 100);
  return write2(out + 2, v % 100);
}

// The two digits of a value in [0, 99] as a little-endian word: '1' | '2' << 8
// for 12.
inline std::uint64_t pair_le(unsigned v) noexcept {
  std::uint16_t p;
  std::memcpy(&p, pairs + 2 * v, 2);
  if constexpr (std::endian::native == std::endian::big) p = std::byteswap(p);
  return p;
}

// Stores a little-endian word of eight characters at out.
inline void store8_le(char* out, std::uint64_t w) noexcept {
  if constexpr (std::endian::native == std::endian::big) w = std::byteswap(w);
  std::memcpy(out, &w, 8);
}

// An unsigned value in decimal, no padding (at least one digit).
inline char* write_u64(char* out, std::uint64_t v) noexcept {
  char tmp[20];
  char* p = tmp + sizeof tmp;
  while (v >= 100) {
    p -= 2;
    std::memcpy(p, pairs + 2 * (v % 100), 2);
    v /= 100;
  }
  if (v >= 10) {
    p -= 2;
    std::memcpy(p, pairs + 2 * v, 2);
  } else {
    *--p = static_cast<char>('0' + v);
  }
  const auto n = static_cast<std::size_t>(tmp + sizeof tmp - p);
  std::memcpy(out, p, n);
  return out + n;
}

// A signed value in decimal: a '-' for negative values, no padding.
inline char* write_i64(char* out, std::int64_t v) noexcept {
  std::uint64_t mag = static_cast<std::uint64_t>(v);
  if (v < 0) {
    *out++ = '-';
    mag = 0 - mag;
  }
  return write_u64(out, mag);
}

}  // namespace chronexa::digits
