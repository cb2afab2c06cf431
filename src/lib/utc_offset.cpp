// SPDX-License-Identifier: MIT
#include "utc_offset.hpp"

#include "digits.hpp"

namespace chronexa {

char* UtcOffset::write_text(char* out) const noexcept {
  *out++ = seconds < 0 ? '-' : '+';
  const auto a = static_cast<unsigned>(seconds < 0 ? -seconds : seconds);  // [0, 86400]
  out = digits::write2(out, a / 3600);
  *out++ = ':';
  out = digits::write2(out, a % 3600 / 60);
  if (const unsigned s = a % 60; s != 0) {  // not a whole minute: name the seconds too
    *out++ = ':';
    out = digits::write2(out, s);
  }
  return out;
}

}  // namespace chronexa
