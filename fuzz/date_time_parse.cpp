// SPDX-License-Identifier: MIT
//
// DateTime::parse (UTC text ending in "Z") against the documented grammar;
// the fixed-layout reading agrees with the general one; accepted text
// round-trips through the text form, within DateTime::max_text_size.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "reference.hpp"

using namespace chronexa;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view s(reinterpret_cast<const char*>(data), size);
  const auto got = DateTime::parse(s);
  const auto want = reference::parse_date_time(s);
  FUZZ_CHECK(got.has_value() == want.has_value(), s);
  if (got) {
    FUZZ_CHECK(*got == *want, s);
    const std::string text = reference::text_of(*got);
    FUZZ_CHECK(
        text == reference::date_text(got->date) + 'T' + reference::time_text(got->time) + 'Z', s);
    FUZZ_CHECK(DateTime::parse(text) == got, s);
  }
  if (s.size() >= 20 && reference::dashes_at_4_and_7(s))
    FUZZ_CHECK(DateTime::parse(reference::widened(s)) == got, s);
  return 0;
}
