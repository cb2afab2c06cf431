// SPDX-License-Identifier: MIT
#include "duration.hpp"

#include "digits.hpp"

namespace chronexa {

char* Duration::write_text(char* out) const noexcept {
  u128 mag = static_cast<u128>(nanos);
  if (nanos < 0) {
    *out++ = '-';
    mag = u128{0} - mag;  // 2^127 for the smallest count, still exact unsigned
  }
  if (mag <= UINT64_MAX) return digits::write_u64(out, static_cast<std::uint64_t>(mag));
  // Beyond 64 bits: the leading digits (mag / 10^19 <= 2^127 / 10^19 < 2^64),
  // then the low 19 digits zero-padded.
  const auto [high, low] = divide_narrow(mag, 10'000'000'000'000'000'000u);
  return digits::write19(digits::write_u64(out, high), low);
}

}  // namespace chronexa
