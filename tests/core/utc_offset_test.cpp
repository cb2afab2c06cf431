// SPDX-License-Identifier: MIT
#include "utc_offset.hpp"

#include <gtest/gtest.h>

#include <string>

namespace chronexa {
namespace {

std::string text(UtcOffset o) {
  char buf[UtcOffset::max_text_size];
  return {buf, o.write_text(buf)};
}

struct TextCase {
  std::int32_t seconds;
  const char* expected;
};

class UtcOffsetText : public testing::TestWithParam<TextCase> {};

TEST_P(UtcOffsetText, WholeMinutesAsHhMmLeftoverSecondsAppended) {
  EXPECT_EQ(text(*UtcOffset::from_seconds(GetParam().seconds)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Table, UtcOffsetText,
                         testing::Values(TextCase{0, "+00:00"}, TextCase{19'800, "+05:30"},
                                         TextCase{-18'000, "-05:00"}, TextCase{-19'800, "-05:30"},
                                         TextCase{86'340, "+23:59"}, TextCase{86'400, "+24:00"},
                                         TextCase{-86'400, "-24:00"}, TextCase{60, "+00:01"},
                                         TextCase{3'661, "+01:01:01"}, TextCase{59, "+00:00:59"},
                                         TextCase{-59, "-00:00:59"}, TextCase{-1, "-00:00:01"},
                                         TextCase{86'399, "+23:59:59"},
                                         TextCase{-86'399, "-23:59:59"}));

TEST(UtcOffset, FromSecondsRange) {
  EXPECT_EQ(UtcOffset::from_seconds(86'400)->as_seconds(), 86'400);
  EXPECT_EQ(UtcOffset::from_seconds(-86'400)->as_seconds(), -86'400);
  for (std::int32_t s : {86'401, -86'401, INT32_MAX, INT32_MIN})
    EXPECT_EQ(UtcOffset::from_seconds(s), std::unexpected(UtcOffsetError::OutOfRange)) << s;
  EXPECT_EQ(name(UtcOffsetError::OutOfRange), "OutOfRange");
}

TEST(UtcOffset, FromHoursMinutes) {
  // Every accepted component pair, both signs, against the plain formula.
  for (unsigned h = 0; h < 256; ++h)
    for (unsigned m = 0; m < 256; ++m)
      for (bool positive : {true, false}) {
        const auto o = UtcOffset::from_hours_minutes(positive, static_cast<std::uint8_t>(h),
                                                     static_cast<std::uint8_t>(m));
        if (h > 23 || m > 59) {
          ASSERT_FALSE(o) << h << ":" << m;
          continue;
        }
        const auto magnitude = static_cast<std::int32_t>(h * 3600 + m * 60);
        ASSERT_EQ(o->as_seconds(), positive ? magnitude : -magnitude);
      }
  EXPECT_EQ(text(*UtcOffset::from_hours_minutes(true, 23, 59)), "+23:59");
  EXPECT_EQ(text(*UtcOffset::from_hours_minutes(false, 5, 30)), "-05:30");
  const UtcOffset zero = *UtcOffset::from_hours_minutes(false, 0, 0);
  EXPECT_TRUE(zero.is_utc());
  EXPECT_EQ(zero, *UtcOffset::from_seconds(0));
  EXPECT_EQ(text(zero), "+00:00");
}

TEST(UtcOffset, EqualityAndOrderFollowTheSeconds) {
  const UtcOffset a = *UtcOffset::from_seconds(-3'600), b = *UtcOffset::from_seconds(0),
                  c = *UtcOffset::from_seconds(60);
  EXPECT_LT(a, b);
  EXPECT_LT(b, c);
  EXPECT_NE(*UtcOffset::from_seconds(59), *UtcOffset::from_seconds(-59));
  EXPECT_FALSE(UtcOffset::from_seconds(59)->is_utc());
  EXPECT_FALSE(UtcOffset::from_seconds(-59)->is_utc());
}

}  // namespace
}  // namespace chronexa
