// SPDX-License-Identifier: MIT
//
// Date::parse against the documented grammar; accepted text round-trips
// through the text form, which stays within Date::max_text_size.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "reference.hpp"

using namespace chronexa;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view s(reinterpret_cast<const char*>(data), size);
  const auto got = Date::parse(s);
  const auto want = reference::parse_date(s);
  FUZZ_CHECK(got.has_value() == want.has_value(), s);
  if (!got) {
    FUZZ_CHECK(got.error() == DateError::InvalidDate, s);
  } else {
    FUZZ_CHECK(*got == *want, s);
    const std::string text = reference::text_of(*got);
    FUZZ_CHECK(text == reference::date_text(*got), s);
    FUZZ_CHECK(Date::parse(text) == got, s);
  }
  // The fixed "YYYY-MM-DD" reading against the general one.
  if (s.size() == 10 && reference::dashes_at_4_and_7(s))
    FUZZ_CHECK(Date::parse(reference::widened(s)) == got, s);
  return 0;
}
