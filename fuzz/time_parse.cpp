// SPDX-License-Identifier: MIT
//
// Time::parse against the documented grammar; accepted text round-trips
// through the text form, which stays within Time::max_text_size.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "reference.hpp"

using namespace chronexa;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view s(reinterpret_cast<const char*>(data), size);
  const auto got = Time::parse(s);
  const auto want = reference::parse_time(s);
  FUZZ_CHECK(got.has_value() == want.has_value(), s);
  if (got) {
    FUZZ_CHECK(*got == *want, s);
    FUZZ_CHECK(Time::from_hms_nano(got->hour, got->minute, got->second, got->nanosecond), s);
    const std::string text = reference::text_of(*got);
    FUZZ_CHECK(text == reference::time_text(*got), s);
    FUZZ_CHECK(Time::parse(text) == got, s);
  }
  return 0;
}
