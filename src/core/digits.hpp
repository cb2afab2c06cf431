// SPDX-License-Identifier: MIT
//
// Decimal digits for the text forms and parsers. Every writer takes a raw
// output pointer with enough room and returns the pointer past what it wrote.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "compiler.hpp"

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

// The digits after a decimal point, [p, end), as nanoseconds: 1 to 9 digits
// (fewer are scaled up: ".5" is 500000000); false for any other length or a
// byte that is no digit.
constexpr bool parse_fraction(const char* p, const char* end, std::uint32_t& nanos) noexcept {
  static constexpr std::uint32_t scale[10] = {0,      100'000'000, 10'000'000, 1'000'000, 100'000,
                                              10'000, 1'000,       100,        10,        1};
  const auto length = static_cast<std::size_t>(end - p);
  if (length == 0 || length > 9) return false;
  std::uint32_t v = 0;  // [0, 999999999]
  for (; p != end; ++p) {
    const unsigned digit = static_cast<unsigned char>(*p) - unsigned{'0'};
    if (digit > 9) return false;
    v = v * 10 + digit;
  }
  nanos = v * scale[length];
  return true;
}

// std::rotr of a 32-bit word. Workaround for zig's Clang 22.1 with libc++:
// for the rotation of a product its std::rotr folds the left shift into the
// multiplication and emits four instructions (two shifts, lea, sub) or a
// shrd in place of the one rotate, which its builtin keeps (row str(Time)).
constexpr std::uint32_t rotr32(std::uint32_t v, unsigned k) noexcept {
#if defined(__clang__)
  return __builtin_rotateright32(v, k);
#else
  return std::rotr(v, static_cast<int>(k));
#endif
}

// Whether 10^K divides v, and if so v becomes the quotient. 10^K = 2^K * 5^K:
// the product with the inverse of 5^K modulo 2^32 is the exact quotient by
// 5^K of any multiple of it, and rotating right by K divides that by 2^K when
// its low K bits are zero. Any other v leaves high bits set, so the result
// exceeds UINT32_MAX / 10^K. One multiplication, where a remainder and a
// division take two; stripping trailing zeros is a loop over this.
template <int K>
constexpr bool divide_if_multiple(std::uint32_t& v) noexcept {
  static_assert(K >= 1 && K <= 9);
  constexpr std::uint32_t five_k = [] {
    std::uint32_t p = 1;
    for (int i = 0; i < K; ++i) p *= 5;
    return p;
  }();
  constexpr std::uint32_t inverse = [] {  // Newton's iteration doubles the correct low bits
    std::uint32_t x = five_k;                // five_k * five_k == 1 modulo 8
    for (int i = 0; i < 4; ++i) x *= 2 - five_k * x;
    return x;
  }();
  static_assert(five_k * inverse == 1);
  const std::uint32_t q = rotr32(v * inverse, K);
  if (q > UINT32_MAX / (five_k << K)) return false;
  v = q;
  return true;
}

// The quotient, or UINT32_MAX when 10^K does not divide v.
template <int K>
consteval std::uint32_t quotient_or_max(std::uint32_t v) {
  return divide_if_multiple<K>(v) ? v : UINT32_MAX;
}
static_assert(quotient_or_max<1>(1'230) == 123 && quotient_or_max<1>(0) == 0);
static_assert(quotient_or_max<1>(1'235) == UINT32_MAX && quotient_or_max<1>(1'231) == UINT32_MAX);
static_assert(quotient_or_max<1>(4'294'967'290u) == 429'496'729);
static_assert(quotient_or_max<3>(123'456'000) == 123'456 && quotient_or_max<3>(4'000) == 4);
static_assert(quotient_or_max<3>(123'456'100) == UINT32_MAX &&
              quotient_or_max<3>(123'456'500) == UINT32_MAX);
static_assert(quotient_or_max<9>(0) == 0 && quotient_or_max<9>(999'999'999) == UINT32_MAX);

// "00" "01" ... "99": two digits per lookup.
inline constexpr char pairs[201] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// Two digits of a value in [0, 99]. The offset is widened before doubling,
// so that it needs no zero extension at every call (GCC 16.2 adds an `and`).
inline char* write2(char* out, unsigned v) noexcept {
  std::memcpy(out, pairs + 2 * std::size_t{v}, 2);
  return out + 2;
}

// Four digits of a value in [0, 9999].
inline char* write4(char* out, unsigned v) noexcept {
  write2(out, v / 100);
  return write2(out + 2, v % 100);
}

// 10^k for k in [0, 19].
inline constexpr std::uint64_t powers_of_10[20] = {1,
                                                   10,
                                                   100,
                                                   1'000,
                                                   10'000,
                                                   100'000,
                                                   1'000'000,
                                                   10'000'000,
                                                   100'000'000,
                                                   1'000'000'000,
                                                   10'000'000'000,
                                                   100'000'000'000,
                                                   1'000'000'000'000,
                                                   10'000'000'000'000,
                                                   100'000'000'000'000,
                                                   1'000'000'000'000'000,
                                                   10'000'000'000'000'000,
                                                   100'000'000'000'000'000,
                                                   1'000'000'000'000'000'000,
                                                   10'000'000'000'000'000'000u};

// ---- fixed-layout text, eight bytes at a time ----

// Eight bytes of `s` from `at`, the first in the lowest bits.
constexpr std::uint64_t load8(const char* s, std::size_t at) noexcept {
  std::uint64_t w = 0;
  if consteval {
    for (std::size_t k = 0; k < 8; ++k)
      w |= std::uint64_t{static_cast<unsigned char>(s[at + k])} << (8 * k);
  } else {
    std::memcpy(&w, s + at, 8);
    if constexpr (std::endian::native == std::endian::big) w = std::byteswap(w);
  }
  return w;
}

// Eight bytes at `out` in one store, the first from the lowest bits of `w`.
inline void store8(char* out, std::uint64_t w) noexcept {
  if constexpr (std::endian::native == std::endian::big) w = std::byteswap(w);
  std::memcpy(out, &w, 8);
}

// parse_fraction, for digits that end at least eight bytes into their text:
// the eight bytes before `end` are read as one word, and only the digits among
// them are checked and converted, all at once (about 35 instructions, where
// the loop takes about ten a digit).
constexpr bool parse_fraction_word(const char* p, const char* end, std::uint32_t& nanos) noexcept {
  auto length = static_cast<std::size_t>(end - p);
  std::uint32_t first = 0;  // the ninth digit from the end, if any
  if (length == 9) {
    first = static_cast<unsigned char>(*p) - unsigned{'0'};
    if (first > 9) return false;
    length = 8;
  } else if (length == 0 || length > 9) {
    return false;
  }
  const std::uint64_t w = load8(end - 8, 0);
  // As Shape::deviation, over the last `length` bytes only (the bytes before
  // them get no bias, so they carry into nothing): digits are 0-9.
  const auto drop = static_cast<unsigned>(8 * (8 - length));
  const std::uint64_t x = w ^ 0x3030'3030'3030'3030;
  const std::uint64_t over = (x + (std::uint64_t{0x7676'7676'7676'7676} << drop)) | x;
  if ((over & (0x8080'8080'8080'8080 << drop)) != 0) return false;
  std::uint64_t v = x >> drop;  // the digits from byte 0, zeros after them
  v = (v * 10 + (v >> 8)) & 0x00FF'00FF'00FF'00FF;
  v = (v * 100 + (v >> 16)) & 0x0000'FFFF'0000'FFFF;
  v = (v * 10'000 + (v >> 32)) & 0xFFFF'FFFF;  // the eight digits' value
  const auto eight = static_cast<std::uint32_t>(v);
  nanos = end - p == 9 ? first * 100'000'000 + eight : eight * 10;
  return true;
}

// Eight bytes in which '0' stands for any digit, '?' for any byte and every
// other byte for itself, as constants over a loaded word.
struct Shape {
  std::uint64_t want = 0, bias = 0, checked = 0;

  consteval Shape(const char (&shape)[9]) {
    for (std::size_t k = 0; k < 8; ++k) {
      const auto c = static_cast<std::uint64_t>(static_cast<unsigned char>(shape[k]));
      if (c == '?') continue;
      want |= (c == '0' ? 0x30 : c) << (8 * k);
      bias |= std::uint64_t{c == '0' ? 0x76u : 0x7Fu} << (8 * k);
      checked |= std::uint64_t{0x80} << (8 * k);
    }
  }

  // Zero when the word matches. x = w ^ want is 0-9 at a digit byte and 0 at
  // a fixed byte when they match; adding the bias (0x76, 0x7F) sets the high
  // bit of any larger byte, and x itself has it set where the sum would carry
  // out. A carry into the next byte comes only from a byte that is flagged
  // already. Deviations of several words are or-ed and tested once.
  constexpr std::uint64_t deviation(std::uint64_t w) const noexcept {
    const std::uint64_t x = w ^ want;
    return ((x + bias) | x) & checked;
  }
};

// Every byte value at a digit, a fixed and a free position, the rest matching.
consteval bool shape_decides_every_byte() {
  constexpr Shape shape("0-?00:00");
  for (std::uint64_t b = 0; b < 256; ++b) {
    const std::uint64_t base = 0x3030'3A30'3030'2D35;  // "5-000:00"
    const bool digit = b >= '0' && b <= '9';
    if ((shape.deviation((base & ~std::uint64_t{0xFF}) | b) == 0) != digit) return false;
    if ((shape.deviation((base & ~(std::uint64_t{0xFF} << 8)) | b << 8) == 0) != (b == '-'))
      return false;
    if (shape.deviation((base & ~(std::uint64_t{0xFF} << 16)) | b << 16) != 0) return false;
    if ((shape.deviation((base & ~(std::uint64_t{0xFF} << 56)) | b << 56) == 0) != digit)
      return false;
  }
  return true;
}
static_assert(shape_decides_every_byte());

// Every two-digit number of a word whose digits matched a Shape: byte k of
// the result is the number written at bytes k and k + 1 (all eight pairs
// at once; no byte exceeds 255, so none carries into the next).
constexpr std::uint64_t pairs_of(std::uint64_t w) noexcept {
  const std::uint64_t d = w & 0x0F0F'0F0F'0F0F'0F0F;
  return d * 10 + (d >> 8);
}

// Byte k of a word.
constexpr unsigned byte_at(std::uint64_t w, unsigned k) noexcept {
  return static_cast<unsigned>(w >> (8 * k)) & 0xFF;
}

// The eight decimal digits of v in [0, 99999999], leading zeros included, as
// the byte values 0-9 of one word, the first digit in the lowest byte: four-
// and two-digit groups split in parallel lanes, so the digits never pass
// through memory. Each split puts quotient q and remainder x - q * d of the
// lanes x side by side as (x << width) + q * (1 - (d << width)): one multiply
// and one add after the quotient, which the text then waits for, where the
// remainder's own multiply, subtract, shift and or took a step more.
constexpr std::uint64_t eight_digits(std::uint32_t v) noexcept {
  constexpr auto split = [](std::uint64_t d, unsigned width) { return 1 - (d << width); };
  const std::uint64_t quads = (std::uint64_t{v} << 32) + v / 10'000 * split(10'000, 32);
  const std::uint64_t hundreds = (quads * 5243 >> 19) & 0x0000'007F'0000'007F;  // lane / 100
  const std::uint64_t duos = (quads << 16) + hundreds * split(100, 16);         // 16-bit lanes
  const std::uint64_t tens = (duos * 103 >> 10) & 0x000F'000F'000F'000F;       // lane / 10
  return (duos << 8) + tens * split(10, 8);
}

static_assert(eight_digits(12'345'678) == 0x0807'0605'0403'0201);
static_assert(eight_digits(99'999'999) == 0x0909'0909'0909'0909 && eight_digits(0) == 0);
static_assert(eight_digits(10'000'001) == 0x0100'0000'0000'0001);

// The number of decimal digits of v (1 for 0).
constexpr unsigned count(std::uint64_t v) noexcept {
  // t = floor(bit width * log10(2)): the digit count is t or t + 1
  const std::uint64_t u = v | 1;
  const auto t = static_cast<unsigned>(std::bit_width(u) * 1233) >> 12;
  return t + (u >= powers_of_10[t]);
}

// a when `take_a`, else b. With Kept, by a branch that stays a branch: both
// compilers otherwise turn a choice between two constants into arithmetic on
// the comparison (a carry), which waits for the value compared, while a
// predicted branch has its constant at once. That pays only where the value
// compared is late (the digit count of a 128-bit count waits for a
// division: row str(Duration 2**100 ns), zig's Clang 22.1) and costs where it
// is not, hence the choice per caller. The empty asm statements make each
// side opaque, so neither is computed ahead of the branch.
template <bool Kept>
CHRONEXA_INLINE constexpr unsigned choose(bool take_a, unsigned a, unsigned b) noexcept {
  if constexpr (Kept) {
    if !consteval {
      if (take_a) {
        asm("" : "+r"(a));
        return a;
      }
      asm("" : "+r"(b));
      return b;
    }
  }
  return take_a ? a : b;
}

// count(v) for v >= 10^4 by a tree of comparisons up to 16 digits. Values of
// one magnitude take the same branches, which are then predicted, so a
// caller allocating its str by the length has it at once; count()'s
// arithmetic makes the length wait about a dozen cycles. KeptBranches: the
// last comparison too (see choose).
template <bool KeptBranches = false>
CHRONEXA_INLINE constexpr unsigned count_predicted(std::uint64_t v) noexcept {
  constexpr auto& p = powers_of_10;
  if (v < p[8]) {
    if (v < p[6]) return choose<KeptBranches>(v < p[5], 5, 6);
    return choose<KeptBranches>(v < p[7], 7, 8);
  }
  if (v >= p[16]) return count(v);
  if (v < p[12]) {
    if (v < p[10]) return choose<KeptBranches>(v < p[9], 9, 10);
    return choose<KeptBranches>(v < p[11], 11, 12);
  }
  if (v < p[14]) return choose<KeptBranches>(v < p[13], 13, 14);
  return choose<KeptBranches>(v < p[15], 15, 16);
}

// count(v) by the branches write_u64 takes: one or two digits, three or
// four, then count_predicted.
template <bool KeptBranches = false>
CHRONEXA_INLINE constexpr unsigned count_by_branches(std::uint64_t v) noexcept {
  if (v < 100) return choose<KeptBranches>(v < 10, 1, 2);
  if (v < 10'000) return choose<KeptBranches>(v < 1'000, 3, 4);
  return count_predicted<KeptBranches>(v);
}

static_assert([] {  // at and around every power of 10 from 10^4
  for (std::size_t k = 4; k < 20; ++k)
    for (const std::uint64_t v : {powers_of_10[k] - 1, powers_of_10[k], powers_of_10[k] + 1})
      if (v >= 10'000 && count_predicted(v) != count(v)) return false;
  return count_predicted(UINT64_MAX) == 20;
}());

// The eight digits of v in [0, 99999999] as text, leading zeros included,
// in one store.
inline char* write8(char* out, std::uint32_t v) noexcept {
  store8(out, eight_digits(v) | 0x3030'3030'3030'3030);
  return out + 8;
}

// Exactly nineteen digits of v in [0, 10^19), leading zeros included: three
// chunks split off v independently (3, 8 and 8 digits), so no digit waits
// for another.
inline char* write19(char* out, std::uint64_t v) noexcept {
  constexpr std::uint64_t e8 = 100'000'000, e16 = e8 * e8;
  const std::uint64_t top = v / e16, upper = v / e8;  // [0, 999], [0, 10^11)
  out[0] = static_cast<char>('0' + top / 100);
  write2(out + 1, static_cast<unsigned>(top % 100));
  write8(out + 3, static_cast<std::uint32_t>(upper - top * e8));
  return write8(out + 11, static_cast<std::uint32_t>(v - upper * e8));
}

// The digits of v, no padding, written so that they end at `end` (which a
// caller has from count(v)); returns `end`.
CHRONEXA_INLINE inline char* write_ending_at(char* const end, std::uint64_t v) noexcept {
  char* p = end;
  // Eight digits per step from the end, then the leading one to eight in pairs.
  while (v >= 100'000'000) {
    p -= 8;
    write8(p, static_cast<std::uint32_t>(v % 100'000'000));
    v /= 100'000'000;
  }
  while (v >= 100) {
    p -= 2;
    std::memcpy(p, pairs + 2 * (v % 100), 2);
    v /= 100;
  }
  if (v >= 10) std::memcpy(p - 2, pairs + 2 * v, 2);
  else p[-1] = static_cast<char>('0' + v);
  return end;
}

// An unsigned value in decimal, no padding (at least one digit). Written in
// place from the end, its length known first: no buffer copied with a
// length only known at run time (a call to memcpy). Inlined: a repr writes
// up to four integers, and calls to one shared copy (zig's Clang 22.1) cost
// the row repr(Time) a tenth.
CHRONEXA_INLINE inline char* write_u64(char* out, std::uint64_t v) noexcept {
  // One or two digits (most fields: month, day, hour, ...) by branches: a
  // caller allocates its str by the length, which is then known as soon as
  // the branches are predicted.
  if (v < 100) {
    if (v < 10) {
      *out = static_cast<char>('0' + v);
      return out + 1;
    }
    return write2(out, static_cast<unsigned>(v));
  }
  // Three or four digits (years) the same way.
  if (v < 10'000) {
    const auto u = static_cast<unsigned>(v);
    if (u >= 1'000) return write4(out, u);
    *out = static_cast<char>('0' + u / 100);
    return write2(out + 1, u % 100);
  }
  return write_ending_at(out + count_predicted(v), v);
}

static_assert(count(0) == 1 && count(9) == 1 && count(10) == 2 && count(99) == 2 &&
              count(100) == 3 && count(999'999'999) == 9 && count(1'000'000'000) == 10 &&
              count(UINT64_MAX) == 20);

// A signed value in decimal: a '-' for negative values, no padding. Inlined by
// force, as write_u64.
CHRONEXA_INLINE inline char* write_i64(char* out, std::int64_t v) noexcept {
  std::uint64_t mag = static_cast<std::uint64_t>(v);
  if (v < 0) {
    *out++ = '-';
    mag = 0 - mag;
  }
  return write_u64(out, mag);
}

}  // namespace chronexa::digits
