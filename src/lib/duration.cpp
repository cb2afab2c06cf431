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
  // One 128-bit division (the remainder by multiplication), and the low
  // digits as the first and then nine pairs.
  constexpr std::uint64_t e18 = 1'000'000'000'000'000'000, e19 = 10 * e18;
  const auto high = static_cast<std::uint64_t>(mag / e19);
  auto low = static_cast<std::uint64_t>(mag - u128{high} * e19);
  out = digits::write_u64(out, high);
  out[0] = static_cast<char>('0' + low / e18);
  low %= e18;
  for (int i = 17; i > 0; i -= 2, low /= 100)
    digits::write2(out + i, static_cast<unsigned>(low % 100));
  return out + 19;
}

}  // namespace chronexa
