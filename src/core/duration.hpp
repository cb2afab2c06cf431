// SPDX-License-Identifier: MIT
//
// Duration: a signed span of time, a 128-bit count of nanoseconds. Every
// 128-bit value is valid; the constructors are exact and the arithmetic wraps
// modulo 2^128 (instants shifted by a duration check for overflow instead).
//
//   Duration::seconds(-1).total_nanos();                     // -1000000000
//   (Duration::milliseconds(1500) + Duration::seconds(1));   // 2.5 s
//   Duration::nanoseconds(1).total_seconds();                // 1e-9
#pragma once

#include <compare>
#include <cstddef>
#include <cstdint>

#include "digits.hpp"
#include "int128.hpp"

namespace chronexa {

struct Duration {
  i128 nanos;

  // The longest decimal text of the count: "-170141183460469231731687303715884105728".
  static constexpr std::size_t max_text_size = 40;

  // The fields hash() feeds, in order: the 16 bytes of the count.
  template <class H>
  CHRONEXA_INLINE constexpr void hash_fields(H& h) const noexcept {
    h.write(nanos);
  }

  // Exact: the full 64 x 64 -> 128-bit product, never out of range.
  static constexpr Duration seconds(std::int64_t secs) noexcept {
    return {mul_wide(secs, 1'000'000'000)};
  }
  static constexpr Duration milliseconds(std::int64_t ms) noexcept {
    return {mul_wide(ms, 1'000'000)};
  }
  static constexpr Duration microseconds(std::int64_t us) noexcept { return {mul_wide(us, 1'000)}; }
  static constexpr Duration nanoseconds(i128 ns) noexcept { return {ns}; }

  // The count rounded to the nearest double, then divided by 10^9: both
  // roundings apply. A count within 64 bits is converted as such (one
  // instruction; the same rounding), a wider one by the 128-bit conversion
  // (a call). A branch, not a choice between the two, so that the call is
  // made only for wide counts (zig's Clang 22.1 turns a choice into a call
  // on every count; row Duration.total_seconds()).
  constexpr double total_seconds() const noexcept {
    const auto narrow = static_cast<std::int64_t>(nanos);
    if (narrow == nanos) [[likely]]
      return static_cast<double>(narrow) / 1e9;
    return static_cast<double>(nanos) / 1e9;
  }
  constexpr i128 total_nanos() const noexcept { return nanos; }

  // The count in decimal, split for writing: its length is known before any
  // digit is written, so a caller can allocate the text's final place first
  // and write the digits straight into it.
  struct Decimal {
    std::uint64_t high;  // the leading digits
    std::uint64_t low;   // when wide, the last 19 digits, zero-padded
    std::uint8_t size;   // of the whole text
    bool negative, wide;

    static constexpr std::size_t max_text_size = Duration::max_text_size;
    constexpr std::size_t text_size() const noexcept { return size; }

    // Writes the text (text_size() bytes) and returns the end.
    CHRONEXA_INLINE char* write_text(char* out) const noexcept {
      char* const end = out + size;
      if (negative) *out = '-';
      if (!wide) return digits::write_ending_at(end, high);
      digits::write19(digits::write_ending_at(end - 19, high), low);
      return end;
    }

    // Above 64 bits the magnitude is split at 10^19 by one division (the
    // quotient, at most 2^127 / 10^19, fits 64 bits). The length follows from
    // branches (the sign's, then write_u64's on the leading part): values of
    // one sign and magnitude take the same ones, which are then predicted, so
    // the length is known at once. After the division, the last comparison
    // stays a branch too (digits::choose), or the length would wait for it.
    template <bool Negative>
    CHRONEXA_INLINE static Decimal of(u128 mag) noexcept {
      if (mag <= UINT64_MAX) {
        const auto v = static_cast<std::uint64_t>(mag);
        return {v, 0, static_cast<std::uint8_t>(Negative + digits::count_by_branches(v)), Negative,
                false};
      }
      const auto [high, low] = divide_narrow(mag, 10'000'000'000'000'000'000u);
      return {high, low,
              static_cast<std::uint8_t>(Negative + digits::count_by_branches<true>(high) + 19),
              Negative, true};
    }
  };

  CHRONEXA_INLINE Decimal decimal() const noexcept {
    // 2^127 for the smallest count, still exact unsigned
    if (nanos < 0) return Decimal::of<true>(u128{0} - static_cast<u128>(nanos));
    return Decimal::of<false>(static_cast<u128>(nanos));
  }

  // The count in decimal; returns the end. `out` needs max_text_size bytes.
  char* write_text(char* out) const noexcept { return decimal().write_text(out); }

  friend constexpr Duration operator-(const Duration& a) noexcept {
    return {wrapping_neg(a.nanos)};
  }
  friend constexpr Duration operator+(const Duration& a, const Duration& b) noexcept {
    return {wrapping_add(a.nanos, b.nanos)};
  }
  friend constexpr Duration operator-(const Duration& a, const Duration& b) noexcept {
    return {wrapping_sub(a.nanos, b.nanos)};
  }
  friend constexpr bool operator==(const Duration&, const Duration&) = default;
  friend constexpr std::strong_ordering operator<=>(const Duration& a, const Duration& b) noexcept {
    return a.nanos <=> b.nanos;
  }
};

static_assert(Duration::seconds(-1).nanos == -1'000'000'000);
static_assert(Duration::seconds(INT64_MIN).nanos == mul_wide(INT64_MIN, 1'000'000'000));
static_assert(Duration::milliseconds(INT64_MAX).nanos ==
              static_cast<i128>(9'223'372'036'854'775'807) * 1'000'000);
static_assert(Duration::seconds(1) == Duration::milliseconds(1'000));
static_assert((Duration{i128_max} + Duration{1}).nanos == i128_min);
static_assert((-Duration{i128_min}).nanos == i128_min);

}  // namespace chronexa
