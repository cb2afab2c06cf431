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
  constexpr std::uint64_t e19 = 10'000'000'000'000'000'000u;
  out = digits::write_u64(out, static_cast<std::uint64_t>(mag / e19));
  auto low = static_cast<std::uint64_t>(mag % e19);
  for (int i = 18; i >= 0; --i, low /= 10) out[i] = static_cast<char>('0' + low % 10);
  return out + 19;
}

}  // namespace chronexa
