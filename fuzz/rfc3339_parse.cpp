// SPDX-License-Identifier: MIT
//
// OffsetDateTime::parse (RFC 3339 text with an offset) against the documented
// grammar: trimming, splitting, offset shapes, and from_local done through
// plain nanosecond counts. The fixed-layout reading agrees with the general
// one; the text form of an accepted value is the local date and time that
// were written, stays within OffsetDateTime::max_text_size and parses back.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "reference.hpp"

using namespace chronexa;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view s(reinterpret_cast<const char*>(data), size);
  const auto got = OffsetDateTime::parse(s);
  const auto want = reference::parse_rfc3339(s);
  FUZZ_CHECK(got.has_value() == want.has_value(), s);
  if (got) {
    FUZZ_CHECK(*got == want->value, s);
    FUZZ_CHECK(got->to_local() == want->local, s);
    FUZZ_CHECK(got->has_text(), s);
    const std::string written = reference::text_of(*got);
    // Parsed offsets are whole minutes under 24 hours: the round trip holds.
    FUZZ_CHECK(OffsetDateTime::parse(written) == got, s);
  }
  if (s.size() >= 20 && reference::dashes_at_4_and_7(s))
    FUZZ_CHECK(OffsetDateTime::parse(reference::widened(s)) == got, s);
  return 0;
}
