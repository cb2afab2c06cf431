// SPDX-License-Identifier: MIT
#include "duration.hpp"

#include <cstring>

#include "digits.hpp"

namespace chronexa {

char* Duration::write_text(char* out) const noexcept {
  u128 mag = static_cast<u128>(nanos);
  if (nanos < 0) {
    *out++ = '-';
    mag = u128{0} - mag;
  }
  // Up to 39 digits: 19-digit chunks below 10^19 are printed by the 64-bit
  // writer, the chunks above them zero-padded.
  constexpr std::uint64_t e19 = 10'000'000'000'000'000'000u;
  if (mag <= UINT64_MAX) return digits::write_u64(out, static_cast<std::uint64_t>(mag));
  char tmp[40];
  char* p = tmp + sizeof tmp;
  while (mag > UINT64_MAX) {
    auto chunk = static_cast<std::uint64_t>(mag % e19);
    mag /= e19;
    for (int i = 0; i < 19; ++i, chunk /= 10) *--p = static_cast<char>('0' + chunk % 10);
  }
  out = digits::write_u64(out, static_cast<std::uint64_t>(mag));
  const auto n = static_cast<std::size_t>(tmp + sizeof tmp - p);
  std::memcpy(out, p, n);
  return out + n;
}

}  // namespace chronexa
