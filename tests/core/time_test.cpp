// SPDX-License-Identifier: MIT
#include "time.hpp"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace chronexa {
namespace {

std::string text(const Time& t) {
  char buf[Time::max_text_size];
  return {buf, t.write_text(buf)};
}

Time make(unsigned h, unsigned m, unsigned s, std::uint32_t ns = 0) {
  auto t = Time::from_hms_nano(static_cast<std::uint8_t>(h), static_cast<std::uint8_t>(m),
                               static_cast<std::uint8_t>(s), ns);
  EXPECT_TRUE(t.has_value());
  return *t;
}

TEST(Time, FromHmsNanoRange) {
  EXPECT_TRUE(Time::from_hms_nano(0, 0, 0, 0));
  EXPECT_TRUE(Time::from_hms_nano(23, 59, 59, 999'999'999));
  struct Bad {
    std::uint8_t h, m, s;
    std::uint32_t ns;
  };
  for (auto [h, m, s, ns] : {Bad{24, 0, 0, 0}, Bad{0, 60, 0, 0}, Bad{0, 0, 60, 0},
                             Bad{0, 0, 0, 1'000'000'000}, Bad{255, 255, 255, UINT32_MAX}}) {
    auto t = Time::from_hms_nano(h, m, s, ns);
    ASSERT_FALSE(t) << +h << ' ' << +m << ' ' << +s << ' ' << ns;
    EXPECT_EQ(name(t.error()), "InvalidTime");
  }
}

TEST(Time, CountsAndOrdering) {
  EXPECT_EQ(make(0, 0, 0).nanos_since_midnight(), 0u);
  EXPECT_EQ(make(23, 59, 59, 999'999'999).seconds_since_midnight(), 86'399u);
  EXPECT_EQ(make(23, 59, 59, 999'999'999).nanos_since_midnight(), 86'399'999'999'999u);
  EXPECT_LT(make(12, 0, 0, 0), make(12, 0, 0, 1));
  EXPECT_LT(make(12, 0, 0, 1), make(12, 0, 1, 0));
  EXPECT_NE(make(1, 2, 3, 4), make(1, 2, 3, 5));
}

TEST(Time, TextForm) {
  struct Case {
    Time t;
    std::string_view text;
  };
  for (const auto& [t, want] : {
           Case{make(0, 0, 0), "00:00:00"},
           Case{make(9, 5, 7), "09:05:07"},
           Case{make(23, 59, 59), "23:59:59"},
           Case{make(12, 30, 0, 500'000'000), "12:30:00.5"},
           Case{make(12, 30, 0, 123'000'000), "12:30:00.123"},
           Case{make(12, 30, 0, 1'000), "12:30:00.000001"},
           Case{make(12, 30, 0, 1), "12:30:00.000000001"},
           Case{make(12, 30, 0, 10), "12:30:00.00000001"},
           Case{make(12, 30, 0, 100'000'001), "12:30:00.100000001"},
           Case{make(12, 30, 0, 900'000'000), "12:30:00.9"},
           Case{make(12, 30, 0, 90'000'000), "12:30:00.09"},
           Case{make(23, 59, 59, 999'999'999), "23:59:59.999999999"},
       })
    EXPECT_EQ(text(t), want);
}

TEST(Time, ParseAccepted) {
  struct Case {
    std::string_view text;
    Time t;
  };
  for (const auto& [in, want] : {
           Case{"1:2:3", make(1, 2, 3)},
           Case{"00:00:00", make(0, 0, 0)},
           Case{"23:59:59", make(23, 59, 59)},
           Case{"01:02:03.500", make(1, 2, 3, 500'000'000)},
           Case{"00012:00:00", make(12, 0, 0)},
           Case{"0000000000000023:0000059:00000000059", make(23, 59, 59)},
           Case{"12:34:56.000000000", make(12, 34, 56)},
           Case{"12:34:56.5", make(12, 34, 56, 500'000'000)},
           Case{"12:34:56.000001", make(12, 34, 56, 1'000)},
           Case{"12:34:56.123456789", make(12, 34, 56, 123'456'789)},
           Case{"12:34:56.999999999", make(12, 34, 56, 999'999'999)},
           Case{"12:34:56.000000001", make(12, 34, 56, 1)},
       }) {
    auto t = Time::parse(in);
    ASSERT_TRUE(t) << in;
    EXPECT_EQ(*t, want) << in;
  }
}

TEST(Time, ParseRefused) {
  using namespace std::literals;
  constexpr std::string_view refused[] = {
      "", "12:34", "12", ":", "::", "12:34:56:00", "24:00:00", "23:60:00", "23:59:60",
      "99:00:00", "12:34:56.", ".5", ".", "12:34:56.1234567890", "12:34:56.1.2",
      "12:34:56Z", "T12:34:56", " 12:34:56", "12:34:56 ", "+1:00:00", "12:-1:00",
      ":34:56", "12::56", "12:34:", "12:34.5:56", "12.5:34:56", "12:34:56.+5",
      "12:34:56.5Z", "12:34:56.-1", "12:34:56,5", "1a:00:00", "12:34:5x",
      "12:34:56\0"sv, "\xef\xbc\x91:00:00", "0000000000000000024:00:00",
  };
  for (std::string_view in : refused) {
    auto t = Time::parse(in);
    ASSERT_FALSE(t) << '"' << in << '"';
    EXPECT_EQ(t.error(), TimeError::InvalidTime);
  }
}

// Text form and parser agree on a sweep of every second of the day with a
// spread of fractions.
TEST(Time, RoundTrip) {
  constexpr std::uint32_t fractions[] = {0, 1, 10, 999, 1'000, 500'000'000, 123'456'789,
                                         999'999'999, 100'000'000, 20'000'000};
  std::size_t i = 0;
  for (unsigned h = 0; h < 24; ++h)
    for (unsigned m = 0; m < 60; ++m)
      for (unsigned s = 0; s < 60; ++s) {
        const Time t = make(h, m, s, fractions[i++ % std::size(fractions)]);
        auto back = Time::parse(text(t));
        ASSERT_TRUE(back) << text(t);
        ASSERT_EQ(*back, t) << text(t);
      }
}

}  // namespace
}  // namespace chronexa
