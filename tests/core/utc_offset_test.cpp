// SPDX-License-Identifier: MIT
#include "utc_offset.hpp"

#include <gtest/gtest.h>

namespace chronexa {
namespace {

// Every component pair, both signs, against the plain formula (the text and from_seconds are
// checked against the standard library's offsets by the Python tests).
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
