// SPDX-License-Identifier: MIT
#include "duration.hpp"

#include <gtest/gtest.h>

#include <string>

namespace chronexa {
namespace {

constexpr i128 pow2(int n) { return static_cast<i128>(u128{1} << n); }

std::string text(const Duration& d) {
  char buf[Duration::max_text_size];
  const std::string s{buf, d.write_text(buf)};
  EXPECT_EQ(d.decimal().text_size(), s.size()) << s;  // the size a str is allocated by
  return s;
}

std::string decimal(i128 v) {  // by plain repeated division, for comparison
  u128 m = v < 0 ? u128{0} - static_cast<u128>(v) : static_cast<u128>(v);
  std::string s;
  do s.insert(s.begin(), static_cast<char>('0' + static_cast<int>(m % 10)));
  while ((m /= 10) != 0);
  return v < 0 ? "-" + s : s;
}

// Both sides of every power of two and of ten, where the digit chunks split
// and the length changes.
TEST(Duration, TextForm) {
  i128 ten = 1;
  for (int k = 0; k < 128; ++k, ten = k < 39 ? ten * 10 : ten)
    for (i128 base : {pow2(k), ten})
      for (i128 step : {-1, 0, 1})
        for (i128 v : {wrapping_add(base, step), wrapping_neg(wrapping_add(base, step))})
          EXPECT_EQ(text(Duration{v}), decimal(v));
  EXPECT_EQ(text(Duration{i128_min}).size(), Duration::max_text_size);
}

}  // namespace
}  // namespace chronexa
