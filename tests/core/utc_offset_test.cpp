// SPDX-License-Identifier: MIT
#include "utc_offset.hpp"

#include <gtest/gtest.h>

#include <string>

namespace chronexa {
namespace {

// "+HH:MM", plus ":SS" for an offset in part minutes; the ends, -86400 and 86400, are exact.
TEST(UtcOffset, FromSecondsAndText) {
  const std::pair<std::int32_t, const char*> cases[] = {
      {0, "+00:00"}, {19'800, "+05:30"}, {-19'800, "-05:30"}, {86'340, "+23:59"}, {60, "+00:01"},
      {3'661, "+01:01:01"}, {-59, "-00:00:59"}, {-1, "-00:00:01"}, {86'399, "+23:59:59"},
      {-86'399, "-23:59:59"}, {86'400, "+24:00"}, {-86'400, "-24:00"}, {86'401, "OutOfRange"},
      {-86'401, "OutOfRange"}, {INT32_MAX, "OutOfRange"}, {INT32_MIN, "OutOfRange"}};
  for (const auto& [seconds, expected] : cases) {
    char buf[UtcOffset::max_text_size];
    const auto o = UtcOffset::from_seconds(seconds);
    const std::string_view t = o ? std::string_view(buf, o->write_text(buf)) : name(o.error());
    EXPECT_EQ(t, expected) << seconds;
    EXPECT_TRUE(!o || (o->as_seconds() == seconds && o->is_utc() == (seconds == 0))) << seconds;
  }
}

// Every component pair, both signs, against the plain formula.
TEST(UtcOffset, FromHoursMinutes) {
  for (unsigned h = 0; h < 256; ++h)
    for (unsigned m = 0; m < 256; ++m)
      for (bool positive : {true, false}) {
        const auto o = UtcOffset::from_hours_minutes(positive, static_cast<std::uint8_t>(h),
                                                     static_cast<std::uint8_t>(m));
        const auto magnitude = static_cast<std::int32_t>(h * 3600 + m * 60);
        ASSERT_EQ(o, h > 23 || m > 59 ? std::unexpected(UtcOffsetError::OutOfRange)
                                      : UtcOffset::from_seconds(positive ? magnitude : -magnitude));
      }
}

}  // namespace
}  // namespace chronexa
