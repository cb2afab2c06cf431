// SPDX-License-Identifier: MIT
#include "duration.hpp"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace chronexa {
namespace {

constexpr i128 pow2(int n) { return static_cast<i128>(u128{1} << n); }

std::string text(const Duration& d) {
  char buf[Duration::max_text_size];
  return {buf, d.write_text(buf)};
}

// Decimal text of an i128 by plain repeated division, for comparison.
std::string decimal(i128 v) {
  const bool neg = v < 0;
  u128 m = neg ? u128{0} - static_cast<u128>(v) : static_cast<u128>(v);
  std::string s;
  do {
    s.insert(s.begin(), static_cast<char>('0' + static_cast<int>(m % 10)));
    m /= 10;
  } while (m != 0);
  return neg ? "-" + s : s;
}

TEST(Duration, ConstructorsAtInt64Extremes) {
  EXPECT_EQ(Duration::seconds(-1).nanos, -1'000'000'000);
  EXPECT_EQ(decimal(Duration::seconds(INT64_MIN).nanos), "-9223372036854775808000000000");
  EXPECT_EQ(decimal(Duration::seconds(INT64_MAX).nanos), "9223372036854775807000000000");
  EXPECT_EQ(decimal(Duration::milliseconds(INT64_MAX).nanos), "9223372036854775807000000");
  EXPECT_EQ(decimal(Duration::milliseconds(INT64_MIN).nanos), "-9223372036854775808000000");
  EXPECT_EQ(decimal(Duration::microseconds(INT64_MIN).nanos), "-9223372036854775808000");
  EXPECT_EQ(decimal(Duration::microseconds(INT64_MAX).nanos), "9223372036854775807000");
  EXPECT_EQ(Duration::nanoseconds(i128_min).total_nanos(), i128_min);
  EXPECT_EQ(Duration::nanoseconds(i128_max).total_nanos(), i128_max);
}

TEST(Duration, WrappingArithmetic) {
  const Duration max{i128_max}, min{i128_min}, one{1};
  EXPECT_EQ(max + one, min);
  EXPECT_EQ(min - one, max);
  EXPECT_EQ(-min, min);
  EXPECT_EQ(-max, min + one);
  EXPECT_EQ(max + max, Duration{-2});
  EXPECT_EQ(min + min, Duration{0});
  EXPECT_EQ(min - max, one);
  EXPECT_EQ(Duration{0} - min, min);
  EXPECT_EQ(-Duration{0}, Duration{0});
  EXPECT_EQ(Duration::seconds(2) - Duration::milliseconds(500), Duration::milliseconds(1'500));
}

TEST(Duration, TotalSeconds) {
  EXPECT_EQ(Duration{1'500'000'000}.total_seconds(), 1.5);
  EXPECT_EQ(Duration{1}.total_seconds(), 1e-9);
  EXPECT_EQ(Duration{-1}.total_seconds(), -1e-9);
  EXPECT_EQ(Duration{0}.total_seconds(), 0.0);
  // The count is rounded to a double before the division.
  EXPECT_EQ(Duration{pow2(53) + 1}.total_seconds(), Duration{pow2(53)}.total_seconds());
  EXPECT_EQ(Duration{i128_min}.total_seconds(), -0x1p127 / 1e9);
  EXPECT_EQ(Duration{i128_max}.total_seconds(), 0x1p127 / 1e9);
}

TEST(Duration, TextForm) {
  for (i128 v : {i128{0}, i128{1}, i128{-1}, i128{1'500'000'000}, pow2(63) - 1, -pow2(63),
                 pow2(64) - 1, pow2(64), -pow2(64), pow2(64) + 1, pow2(100) + 12345,
                 static_cast<i128>(10'000'000'000'000'000'000u) * 10'000'000'000'000'000'000u,
                 i128_max, i128_min, i128_min + 1})
    EXPECT_EQ(text(Duration{v}), decimal(v));
  EXPECT_EQ(text(Duration{i128_min}), "-170141183460469231731687303715884105728");
  EXPECT_EQ(text(Duration{i128_min}).size(), Duration::max_text_size);
}

}  // namespace
}  // namespace chronexa
