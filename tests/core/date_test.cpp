// SPDX-License-Identifier: MIT
#include "date.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace chronexa {
namespace {

// ---- a reference calendar, written for clarity rather than speed ----
//
// Plain floor divisions on 128-bit integers, so it holds for every 64-bit
// day count and every year it produces, in range or not.

using Wide = __int128;

constexpr Wide floor_div(Wide a, Wide b) {
  Wide q = a / b;
  if (a % b != 0 && (a < 0) != (b < 0)) --q;
  return q;
}

constexpr bool ref_leap(Wide y) { return y % 4 == 0 && (y % 100 != 0 || y % 400 == 0); }

constexpr int ref_month_length(Wide y, int m) {
  constexpr int len[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && ref_leap(y) ? 29 : len[m - 1];
}

// Leap years in [1, y), counted negatively for y < 1; floor division counts
// the multiples in any interval correctly.
constexpr Wide leaps_before(Wide y) {
  return floor_div(y - 1, 4) - floor_div(y - 1, 100) + floor_div(y - 1, 400);
}

constexpr Wide ref_days(Wide y, int m, int d) {
  constexpr int before[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
  return 365 * (y - 1970) + leaps_before(y) - leaps_before(1970) + before[m - 1] +
         (m > 2 && ref_leap(y)) + d - 1;
}

struct Civil {
  Wide year;
  int month;
  int day;
};

constexpr Civil ref_civil(Wide days) {
  Wide y = 1970 + floor_div(days * 400, 146097);  // within a year of the answer
  while (ref_days(y, 1, 1) > days) --y;
  while (ref_days(y + 1, 1, 1) <= days) ++y;
  int m = 12;
  while (ref_days(y, m, 1) > days) --m;
  return {y, m, static_cast<int>(days - ref_days(y, m, 1)) + 1};
}

constexpr bool fits_year(Wide y) { return y >= INT32_MIN && y <= INT32_MAX; }

static_assert(ref_days(1970, 1, 1) == 0 && ref_days(2024, 2, 29) == 19782);
static_assert(ref_days(INT32_MIN, 1, 1) == Date::min_days);
static_assert(ref_days(INT32_MAX, 12, 31) == Date::max_days);

std::string text(const Date& d) {
  char buf[Date::max_text_size];
  char* end = d.write_text(buf);
  EXPECT_LE(static_cast<std::size_t>(end - buf), Date::max_text_size);
  return {buf, end};
}

// The day after d, by the rules of the calendar.
Date next_day(Date d) {
  if (d.day < ref_month_length(d.year, d.month)) return {d.year, d.month, std::uint8_t(d.day + 1)};
  if (d.month < 12) return {d.year, std::uint8_t(d.month + 1), 1};
  return {d.year + 1, 1, 1};
}

// Checks one day count in both directions against the reference.
void check_count(std::int64_t days) {
  const Civil c = ref_civil(days);
  const auto r = Date::from_days_since_unix_epoch(days);
  if (!fits_year(c.year)) {
    ASSERT_FALSE(r.has_value()) << "count " << days;
    EXPECT_EQ(r.error(), DateError::OutOfRange) << "count " << days;
    return;
  }
  ASSERT_TRUE(r.has_value()) << "count " << days;
  EXPECT_EQ(r->year, c.year) << "count " << days;
  EXPECT_EQ(r->month, c.month) << "count " << days;
  EXPECT_EQ(r->day, c.day) << "count " << days;
  EXPECT_EQ(r->days_since_unix_epoch(), days);
}

// Walks [first, last] one day at a time: each step must be the calendar's
// next day, round-trip through the count and the text, and advance the
// weekday and the ordinal by one.
void walk(std::int64_t first, std::int64_t last) {
  auto start = Date::from_days_since_unix_epoch(first);
  ASSERT_TRUE(start.has_value());
  const Civil c = ref_civil(first);
  ASSERT_EQ(*start, (Date{static_cast<std::int32_t>(c.year), std::uint8_t(c.month),
                          std::uint8_t(c.day)}));
  Date prev = *start;
  for (std::int64_t n = first + 1; n <= last; ++n) {
    const auto d = Date::from_days_since_unix_epoch(n);
    ASSERT_TRUE(d.has_value()) << n;
    ASSERT_EQ(*d, next_day(prev)) << n;
    ASSERT_EQ(d->days_since_unix_epoch(), n);
    ASSERT_EQ(static_cast<int>(d->weekday()), (static_cast<int>(prev.weekday()) + 1) % 7) << n;
    ASSERT_EQ(d->ordinal(), d->month == 1 && d->day == 1 ? 1 : prev.ordinal() + 1) << n;
    ASSERT_EQ(Date::parse(text(*d)), *d) << n;
    prev = *d;
  }
}

// ---- day counts ----

TEST(DateCount, EveryDayAroundTheEpoch) { walk(-1'000'000, 1'000'000); }

TEST(DateCount, EveryDayAtTheRangeEnds) {
  walk(Date::min_days, Date::min_days + 200'000);
  walk(Date::max_days - 200'000, Date::max_days);
}

TEST(DateCount, PublishedExamples) {
  struct Row {
    Date date;
    std::int64_t days;
  };
  const Row rows[] = {
      {{1970, 1, 1}, 0},         {{1969, 12, 31}, -1},      {{2000, 3, 1}, 11017},
      {{2024, 2, 29}, 19782},    {{1, 1, 1}, -719162},      {{0, 3, 1}, -719468},
      {{0, 1, 1}, -719528},      {{-1, 12, 31}, -719529},   {{INT32_MAX, 12, 31}, Date::max_days},
      {{INT32_MIN, 1, 1}, Date::min_days},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(r.date.days_since_unix_epoch(), r.days) << text(r.date);
    EXPECT_EQ(Date::from_days_since_unix_epoch(r.days), r.date) << r.days;
  }
  EXPECT_EQ(Date::min_days, -784'353'015'833);
  EXPECT_EQ(Date::max_days, 784'351'576'776);
}

TEST(DateCount, OutsideTheRange) {
  constexpr std::int64_t lo = std::numeric_limits<std::int64_t>::min();
  constexpr std::int64_t hi = std::numeric_limits<std::int64_t>::max();
  // The range ends and the thresholds inside the conversion: where the
  // reversed count overflows or turns negative.
  const std::int64_t anchors[] = {
      Date::min_days, Date::max_days, lo, hi, 0, 690'527'217'032'721,
      690'527'217'032'721 - hi, 690'527'217'032'721 - 1'000'000'000'000'000,
  };
  for (std::int64_t a : anchors)
    for (std::int64_t k = -1000; k <= 1000; ++k) {
      std::int64_t n;
      if (!__builtin_add_overflow(a, k, &n)) check_count(n);
    }
  for (std::int64_t n : {Date::max_days + 1, Date::min_days - 1, lo, hi})
    EXPECT_EQ(Date::from_days_since_unix_epoch(n), std::unexpected(DateError::OutOfRange)) << n;
}

TEST(DateCount, RandomSampleOfTheWholeRange) {
  std::mt19937_64 rng(20240229);
  std::uniform_int_distribution<std::int64_t> in_range(Date::min_days, Date::max_days);
  std::uniform_int_distribution<std::int64_t> any;
  std::uniform_int_distribution<int> bits(0, 63);
  for (int i = 0; i < 200'000; ++i) check_count(in_range(rng));
  for (int i = 0; i < 50'000; ++i) check_count(any(rng));
  for (int i = 0; i < 50'000; ++i) check_count(any(rng) >> bits(rng));  // every magnitude
}

TEST(DateCount, FromFieldsOverTheWholeYearRange) {
  std::mt19937_64 rng(7);
  std::uniform_int_distribution<std::int32_t> year(INT32_MIN, INT32_MAX);
  std::uniform_int_distribution<int> month(1, 12);
  for (int i = 0; i < 200'000; ++i) {
    const std::int32_t y = year(rng);
    const int m = month(rng);
    const int d = std::uniform_int_distribution<int>(1, ref_month_length(y, m))(rng);
    const auto date = Date::from_ymd(y, std::uint8_t(m), std::uint8_t(d));
    ASSERT_TRUE(date.has_value());
    ASSERT_EQ(date->days_since_unix_epoch(), ref_days(y, m, d)) << text(*date);
    ASSERT_EQ(Date::from_days_since_unix_epoch(date->days_since_unix_epoch()), date);
    ASSERT_EQ(Date::parse(text(*date)), date);
  }
}

// ---- calendar rules ----

TEST(DateCalendar, LeapYears) {
  for (std::int32_t y : {2000, 0, -4, -400, 2024, -2000, INT32_MIN}) EXPECT_TRUE(is_leap_year(y)) << y;
  for (std::int32_t y : {1900, -100, 2023, -1, 2100, INT32_MAX}) EXPECT_FALSE(is_leap_year(y)) << y;
  auto check = [](std::int64_t first, std::int64_t last) {
    for (std::int64_t y = first; y <= last; ++y)
      ASSERT_EQ(is_leap_year(std::int32_t(y)), ref_leap(y)) << y;
  };
  check(-1'000'000, 1'000'000);
  check(INT32_MIN, INT32_MIN + 100'000);
  check(INT32_MAX - 100'000, INT32_MAX);
  std::mt19937 rng(1);
  for (int i = 0; i < 1'000'000; ++i) {
    const std::int32_t y = static_cast<std::int32_t>(rng());
    check(y, y);
  }
}

TEST(DateCalendar, MonthLengths) {
  for (std::int32_t y : {2023, 2024, 1900, 2000, 0, -1, -4, -100, INT32_MIN, INT32_MAX})
    for (int m = 1; m <= 12; ++m)
      EXPECT_EQ(days_in_month(y, std::uint8_t(m)), ref_month_length(y, m)) << y << "-" << m;
}

TEST(DateCalendar, FromYmd) {
  struct Row {
    std::int32_t y;
    int m, d;
    bool valid;
  };
  const Row rows[] = {
      {2024, 2, 29, true},  {2023, 2, 29, false}, {0, 2, 29, true},      {1900, 2, 29, false},
      {2000, 2, 29, true},  {-4, 2, 29, true},    {-100, 2, 29, false},  {2024, 0, 1, false},
      {2024, 13, 1, false}, {2024, 1, 0, false},  {2024, 4, 31, false},  {2024, 4, 30, true},
      {2024, 1, 31, true},  {2024, 1, 32, false}, {2024, 255, 1, false}, {2024, 1, 255, false},
      {INT32_MIN, 1, 1, true}, {INT32_MAX, 12, 31, true}, {INT32_MAX, 2, 29, false},
  };
  for (const Row& r : rows) {
    const auto d = Date::from_ymd(r.y, std::uint8_t(r.m), std::uint8_t(r.d));
    EXPECT_EQ(d.has_value(), r.valid) << r.y << "-" << r.m << "-" << r.d;
    if (d) EXPECT_EQ(*d, (Date{r.y, std::uint8_t(r.m), std::uint8_t(r.d)}));
    else EXPECT_EQ(d.error(), DateError::InvalidDate);
  }
}

// The walks check that weekdays and ordinals advance by one; these pin the
// starting points.
TEST(DateCalendar, WeekdaysOrdinalsAndNames) {
  EXPECT_EQ((Date{1970, 1, 1}.weekday()), Weekday::Thursday);
  EXPECT_EQ((Date{2024, 2, 29}.weekday()), Weekday::Thursday);
  EXPECT_EQ((Date{1969, 12, 31}.weekday()), Weekday::Wednesday);
  EXPECT_EQ((Date{2024, 1, 1}.weekday()), Weekday::Monday);
  EXPECT_EQ((Date{INT32_MIN, 1, 1}.weekday()), Weekday(((Date::min_days % 7 + 7) % 7 + 3) % 7));
  EXPECT_EQ((Date{INT32_MAX, 12, 31}.weekday()), Weekday((Date::max_days % 7 + 3) % 7));
  struct Row {
    Date date;
    int ordinal;
  };
  const Row rows[] = {{{2024, 3, 1}, 61},   {{2023, 3, 1}, 60},       {{2024, 12, 31}, 366},
                      {{2023, 12, 31}, 365}, {{INT32_MIN, 12, 31}, 366}, {{INT32_MAX, 12, 31}, 365}};
  for (const Row& r : rows) EXPECT_EQ(r.date.ordinal(), r.ordinal) << text(r.date);

  const char* names[] = {"Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"};
  for (int w = 0; w < 7; ++w) {
    EXPECT_EQ(name(static_cast<Weekday>(w)), names[w]);
    EXPECT_EQ(number_from_monday(static_cast<Weekday>(w)), w + 1);
  }
  EXPECT_EQ(name(DateError::InvalidDate), "InvalidDate");
  EXPECT_EQ(name(DateError::OutOfRange), "OutOfRange");
}

TEST(DateCalendar, OrderingFollowsTheCalendar) {
  const Date sorted[] = {{INT32_MIN, 1, 1}, {-1, 12, 31}, {0, 1, 1},    {0, 2, 29},
                         {1, 1, 1},         {1969, 12, 31}, {1970, 1, 1}, {2024, 1, 5},
                         {2024, 1, 6},      {2024, 2, 1},   {INT32_MAX, 12, 31}};
  for (std::size_t i = 0; i < std::size(sorted); ++i)
    for (std::size_t j = 0; j < std::size(sorted); ++j) {
      EXPECT_EQ(sorted[i] <=> sorted[j], i <=> j) << i << " " << j;
      EXPECT_EQ(sorted[i] == sorted[j], i == j);
    }
}

// ---- moving by days ----

TEST(DateAddDays, Table) {
  constexpr std::int64_t lo = std::numeric_limits<std::int64_t>::min();
  constexpr std::int64_t hi = std::numeric_limits<std::int64_t>::max();
  const Date max{INT32_MAX, 12, 31}, min{INT32_MIN, 1, 1};
  struct Row {
    Date from;
    std::int64_t days;
    std::expected<Date, DateError> result;
  };
  const auto out = std::unexpected(DateError::OutOfRange);
  const Row rows[] = {
      {{2024, 1, 5}, 0, Date{2024, 1, 5}},     {{1970, 1, 1}, -1, Date{1969, 12, 31}},
      {{2024, 2, 28}, 1, Date{2024, 2, 29}},   {{2024, 12, 31}, 1, Date{2025, 1, 1}},
      {min, Date::max_days - Date::min_days, max}, {max, Date::min_days - Date::max_days, min},
      {max, 1, out},  {min, -1, out},
      {{2024, 1, 1}, hi, out}, {min, hi, out}, {max, hi, out}, {{1970, 1, 1}, hi, out},  // overflow
      {{2024, 1, 1}, lo, out}, {{1970, 1, 1}, lo, out},  // no overflow, far out of range
      {min, lo, out},                                    // overflows downwards
  };
  for (const Row& r : rows)
    EXPECT_EQ(r.from.add_days(r.days), r.result) << text(r.from) << " + " << r.days;
}

TEST(DateAddDays, AgreesWithTheDayCount) {
  std::mt19937_64 rng(3);
  std::uniform_int_distribution<std::int64_t> in_range(Date::min_days, Date::max_days);
  std::uniform_int_distribution<std::int64_t> any;
  std::uniform_int_distribution<int> bits(0, 63);
  for (int i = 0; i < 100'000; ++i) {
    const Date d = *Date::from_days_since_unix_epoch(in_range(rng));
    const std::int64_t n = any(rng) >> bits(rng);
    const Wide target = Wide{d.days_since_unix_epoch()} + n;
    const auto r = d.add_days(n);
    if (target < Date::min_days || target > Date::max_days) {
      ASSERT_EQ(r, std::unexpected(DateError::OutOfRange)) << text(d) << " + " << n;
    } else {
      ASSERT_TRUE(r.has_value());
      ASSERT_EQ(r->days_since_unix_epoch(), target);
    }
  }
}

// ---- text ----

TEST(DateText, Examples) {
  struct Row {
    Date date;
    std::string_view text;
  };
  const Row rows[] = {
      {{2024, 1, 5}, "2024-01-05"},   {{5, 3, 1}, "0005-03-01"},     {{0, 1, 1}, "0000-01-01"},
      {{-5, 1, 1}, "-005-01-01"},     {{-1, 12, 31}, "-001-12-31"},  {{-999, 1, 1}, "-999-01-01"},
      {{-1000, 1, 1}, "-1000-01-01"}, {{9999, 12, 31}, "9999-12-31"}, {{10000, 1, 1}, "10000-01-01"},
      {{-12345, 6, 7}, "-12345-06-07"}, {{12345, 6, 7}, "12345-06-07"},
      {{INT32_MAX, 12, 31}, "2147483647-12-31"}, {{INT32_MIN, 1, 1}, "-2147483648-01-01"},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(text(r.date), r.text);
    EXPECT_EQ(Date::parse(r.text), r.date) << r.text;
  }
  EXPECT_EQ(Date::max_text_size, text({INT32_MIN, 1, 1}).size());
}

TEST(DateText, ParserAccepts) {
  struct Row {
    std::string_view text;
    Date date;
  };
  const Row rows[] = {
      {"2024-1-5", {2024, 1, 5}},        {"+2024-01-05", {2024, 1, 5}},
      {"002024-01-05", {2024, 1, 5}},    {"2024-001-0005", {2024, 1, 5}},
      {"2024-012-0000000031", {2024, 12, 31}},
      {"-0005-01-01", {-5, 1, 1}},       {"-5-1-1", {-5, 1, 1}},
      {"0-1-1", {0, 1, 1}},              {"-0-1-1", {0, 1, 1}},
      {"+0-1-1", {0, 1, 1}},             {"214748364-1-1", {214748364, 1, 1}},
      {"+2147483647-12-31", {INT32_MAX, 12, 31}},
      {"000000000000002147483647-1-1", {INT32_MAX, 1, 1}},
      {"-0000000002147483648-1-1", {INT32_MIN, 1, 1}},
  };
  for (const Row& r : rows) EXPECT_EQ(Date::parse(r.text), r.date) << r.text;
}

TEST(DateText, ParserRefuses) {
  using namespace std::string_view_literals;
  const std::string_view refused[] = {
      // shape
      "", " 2024-01-05", "2024-01-05 ", "2024-01-01\n", "2024/01/05", "20240105", "2024-0105",
      "2024--01-01", "2024-01-05-", "2024-01-05T00", "2024-01", "2024-", "2024-01-", "2024--",
      "-2024", "-01-01", "x024-01-01", "2024-a-1", "2024-01-1a", "2024-1-1\0"sv, "2024-1\0-1"sv,
      "\xef\xbc\x92" "024-01-01",  // a full-width digit
      // signs
      "-", "+", "--", "---", "--1-1", "+-1-1", "+-1-1-1", "-+1-1-1", "++1-1-1", "+-01-01",
      "2024-+1-01", "2024-1-+1",
      // ranges
      "2147483648-01-01", "+2147483648-01-01", "-2147483649-01-01", "21474836470-01-01",
      "2024-100-1", "2024-256-1", "2024-1-100", "2024-1-256", "2024-1-4294967297",
      // calendar
      "2024-02-30", "2023-02-29", "1900-02-29", "2024-00-10", "2024-13-01", "2024-01-32",
      "2024-01-00", "2024-04-31",
  };
  for (std::string_view t : refused)
    EXPECT_EQ(Date::parse(t), std::unexpected(DateError::InvalidDate)) << '"' << t << '"';
}

}  // namespace
}  // namespace chronexa
