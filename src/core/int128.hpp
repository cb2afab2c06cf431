// SPDX-License-Identifier: MIT
//
// 128-bit integer helpers shared by the calendar core: exact 64x64 products,
// floor division by 10^9, overflow-checked addition, and the wrapping
// arithmetic of durations.
#pragma once

#include <cstdint>
#include <limits>
#include <optional>

namespace chronexa {

// __extension__ keeps -Wpedantic quiet about the GCC/Clang builtin type
// here, and only here.
__extension__ typedef __int128 i128;
__extension__ typedef unsigned __int128 u128;

static_assert(sizeof(i128) == 16 && sizeof(u128) == 16);

inline constexpr i128 i128_max = static_cast<i128>(~u128{0} >> 1);
inline constexpr i128 i128_min = -i128_max - 1;

// Upper 64 bits of the full unsigned product: a fixed-point division.
constexpr std::uint64_t mul_high(std::uint64_t a, std::uint64_t b) noexcept {
  return static_cast<std::uint64_t>((static_cast<u128>(a) * b) >> 64);
}

// n / d and n % d when the quotient fits in 64 bits (n < d * 2^64): one
// hardware divide on x86-64, where the general 128-bit division is a call.
struct NarrowQuotient {
  std::uint64_t quotient, remainder;
};
constexpr NarrowQuotient divide_narrow(u128 n, std::uint64_t d) noexcept {
#if defined(__x86_64__)
  if !consteval {
    std::uint64_t q, r;
    asm("divq %4"
        : "=a"(q), "=d"(r)
        : "a"(static_cast<std::uint64_t>(n)), "d"(static_cast<std::uint64_t>(n >> 64)), "rm"(d));
    return {q, r};
  }
#endif
  return {static_cast<std::uint64_t>(n / d), static_cast<std::uint64_t>(n % d)};
}

// The exact signed 64x64 -> 128-bit product; it cannot overflow.
constexpr i128 mul_wide(std::int64_t a, std::int64_t b) noexcept {
  return static_cast<i128>(a) * static_cast<i128>(b);
}

// Two's-complement arithmetic modulo 2^128, computed unsigned so that
// overflow is defined.
constexpr i128 wrapping_add(i128 a, i128 b) noexcept {
  return static_cast<i128>(static_cast<u128>(a) + static_cast<u128>(b));
}
constexpr i128 wrapping_sub(i128 a, i128 b) noexcept {
  return static_cast<i128>(static_cast<u128>(a) - static_cast<u128>(b));
}
constexpr i128 wrapping_neg(i128 a) noexcept {
  return static_cast<i128>(u128{0} - static_cast<u128>(a));
}

// a + b, or nothing when the sum leaves the signed 128-bit range.
constexpr std::optional<i128> checked_add(i128 a, i128 b) noexcept {
  i128 sum;
  if (__builtin_add_overflow(a, b, &sum)) return std::nullopt;
  return sum;
}

inline constexpr std::int64_t nanos_per_second = 1'000'000'000;

// Floor division of a nanosecond count into seconds and a remainder in
// [0, 10^9), valid for every 128-bit value.
struct SecondsNanos {
  i128 secs;
  std::uint32_t nanos;
};
constexpr SecondsNanos floor_div_1e9(i128 t) noexcept {
  i128 q = t / nanos_per_second;
  i128 r = t % nanos_per_second;  // same sign as t
  if (r < 0) {
    q -= 1;
    r += nanos_per_second;
  }
  return {q, static_cast<std::uint32_t>(r)};
}

static_assert(floor_div_1e9(-1).secs == -1 && floor_div_1e9(-1).nanos == 999'999'999);
static_assert(floor_div_1e9(i128_min).nanos < 1'000'000'000);
static_assert(wrapping_add(i128_max, 1) == i128_min);
static_assert(wrapping_neg(i128_min) == i128_min);

}  // namespace chronexa
