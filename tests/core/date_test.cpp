// SPDX-License-Identifier: MIT
#include "date.hpp"

#include <gtest/gtest.h>

namespace chronexa {
TEST(Date, Smoke) { EXPECT_EQ(Date::from_ymd(2024, 2, 29)->days_since_unix_epoch(), 19782); }
}  // namespace chronexa
