// SPDX-License-Identifier: MIT
#include "date.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <format>
#include <random>
#include <string>

namespace chronexa {
namespace {

// The standard library's calendar as the oracle for any 64-bit count: the calendar repeats every
// 400 years (146097 days), so years shift into its range and back.

namespace chr = std::chrono;
using Wide = chronexa::i128;
using Result = std::expected<Date, DateError>;
const auto out_of_range = std::unexpected(DateError::OutOfRange);
const auto invalid = std::unexpected(DateError::InvalidDate);

constexpr Wide floor_div(Wide a, Wide b) { return a / b - (a % b < 0); }  // b > 0
constexpr Wide cycles(Wide y) { return floor_div(y - 1970, 400); }
chr::year ref_year(Wide y) { return chr::year(static_cast<int>(y - 400 * cycles(y))); }
bool ref_leap(Wide y) { return ref_year(y).is_leap(); }
int ref_month_length(Wide y, int m) { return int(unsigned((ref_year(y) / m / chr::last).day())); }
Wide ref_days(Wide y, int m, int d) {
  return chr::sys_days(ref_year(y) / m / d).time_since_epoch().count() + 146097 * cycles(y);
}

struct Civil {
  Wide year;
  int month, day;
};
Civil ref_civil(Wide days) {
  const Wide k = floor_div(days, 146097);
  const chr::year_month_day c{chr::sys_days(chr::days(static_cast<int>(days - 146097 * k)))};
  return {int(c.year()) + 400 * k, int(unsigned(c.month())), int(unsigned(c.day()))};
}

std::string text(const Date& d) {
  char buf[Date::max_text_size];
  char* end = d.write_text(buf);
  EXPECT_LE(static_cast<std::size_t>(end - buf), Date::max_text_size);
  return {buf, end};
}

// Day count n, civil date c, every way round: conversion, weekday, ordinal, text (a
// minus sign counts towards the year's four characters); OutOfRange past 32-bit years.
void check(std::int64_t n, const Civil& c) {
  const auto r = Date::from_days_since_unix_epoch(n);
  if (c.year < INT32_MIN || c.year > INT32_MAX) {
    ASSERT_EQ(r, out_of_range) << n;
    return;
  }
  const Date want{static_cast<std::int32_t>(c.year), std::uint8_t(c.month), std::uint8_t(c.day)};
  ASSERT_EQ(r, want) << n;
  ASSERT_EQ(want.days_since_unix_epoch(), n);
  ASSERT_EQ(static_cast<int>(want.weekday()), static_cast<int>(n + 3 - 7 * floor_div(n + 3, 7)));
  ASSERT_EQ(want.ordinal(), static_cast<int>(n - ref_days(c.year, 1, 1) + 1)) << n;
  ASSERT_EQ(text(want), std::format("{:04}-{:02}-{:02}", want.year, c.month, c.day));
  ASSERT_EQ(Date::parse(text(want)), want) << n;
}

TEST(DateCount, EveryDayAroundTheEpochAndAtTheRangeEnds) {
  auto walk = [](std::int64_t first, std::int64_t last) {
    Civil c = ref_civil(first);  // then stepped by the month lengths
    for (std::int64_t n = first; n <= last && !HasFatalFailure(); ++n) {
      check(n, c);
      if (++c.day > ref_month_length(c.year, c.month))
        c = {c.month == 12 ? c.year + 1 : c.year, c.month % 12 + 1, 1};
    }
  };
  walk(-1'000'000, 1'000'000);
  walk(Date::min_days - 400, Date::min_days + 200'000);
  walk(Date::max_days - 200'000, Date::max_days + 400);
}

// Any 64-bit count: a random sample of the range and of every magnitude, and
// the neighbourhoods of the limits where the reversed count inside the
// conversion overflows or turns negative. Ordering and add_days follow the
// count, add_days also where the sum leaves the range or 64 bits.
TEST(DateCount, AnyCountAndAddDays) {
  const std::int64_t lo = Date::min_days, hi = Date::max_days;
  auto add = [&](std::int64_t start, std::int64_t n) {
    const Wide t = Wide{start} + n;
    ASSERT_EQ(Date::from_days_since_unix_epoch(start)->add_days(n),
              t < lo || t > hi ? out_of_range : Date::from_days_since_unix_epoch(std::int64_t(t)))
        << start << " + " << n;
  };
  const std::pair<std::int64_t, std::int64_t> edges[] = {
      {lo, hi - lo},  {hi, lo - hi},   {hi, 1},         {lo, -1},
      {hi, 0},        {0, INT64_MAX},  {hi, INT64_MAX}, {lo, INT64_MAX},
      {0, INT64_MIN}, {lo, INT64_MIN}, {hi, INT64_MIN}};
  for (auto [s, n] : edges) add(s, n);
  std::mt19937_64 rng(20240229);
  std::uniform_int_distribution<std::int64_t> in_range(lo, hi), any;
  std::uniform_int_distribution<int> bits(0, 63);
  Date prev{1970, 1, 1};
  for (int i = 0; i < 300'000 && !HasFatalFailure(); ++i) {
    const std::int64_t n = i % 3 == 0 ? in_range(rng) : any(rng) >> bits(rng);
    check(n, ref_civil(n));
    if (const auto d = Date::from_days_since_unix_epoch(n)) {
      ASSERT_EQ(*d <=> prev, n <=> prev.days_since_unix_epoch());
      add(n, any(rng) >> bits(rng));
      prev = *d;
    }
  }
  constexpr std::int64_t rev = 690'527'217'032'721;
  for (std::int64_t a :
       {INT64_MIN, INT64_MAX, std::int64_t{0}, rev, rev - INT64_MAX, rev - 1'000'000'000'000'000})
    for (std::int64_t k = -1000, n; k <= 1000; ++k)
      if (!__builtin_add_overflow(a, k, &n)) check(n, ref_civil(n));
}

// Leap years, field validation and the text of whole years, for every year
// near 0 and at both ends, and a random sample of the rest.
TEST(DateCalendar, Years) {
  auto year = [](std::int32_t y) {
    ASSERT_EQ(is_leap_year(y), ref_leap(y)) << y;
    for (int m : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 255})
      for (int d : {0, 1, 28, 29, 30, 31, 32, 255}) {
        const Date want{y, std::uint8_t(m), std::uint8_t(d)};
        const bool valid = m >= 1 && m <= 12 && d >= 1 && d <= ref_month_length(y, m);
        ASSERT_EQ(Date::from_ymd(y, want.month, want.day), valid ? Result(want) : invalid)
            << y << "-" << m << "-" << d;
      }
    ASSERT_EQ(text({y, 12, 31}), std::format("{:04}-12-31", y));
    ASSERT_EQ(Date::parse(text({y, 12, 31})), (Date{y, 12, 31}));
  };
  std::mt19937 rng(1);
  for (std::int32_t i = 0; i < 100'000 && !HasFatalFailure(); ++i) {
    year(i - 50'000);
    year(i < 50'000 ? INT32_MIN + i : INT32_MAX - (i - 50'000));
    year(static_cast<std::int32_t>(rng()));
  }
}

}  // namespace
}  // namespace chronexa
