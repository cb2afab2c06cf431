// SPDX-License-Identifier: MIT
#include "offset_date_time.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "fault.hpp"

namespace chronexa {
namespace {

DateTime dt(std::int32_t y, std::uint8_t mo, std::uint8_t d, std::uint8_t h, std::uint8_t mi,
            std::uint8_t s, std::uint32_t ns = 0) {
  return DateTime{Date{y, mo, d}, Time{h, mi, s, ns}};
}

std::string text_of(const OffsetDateTime& v) {
  char buf[OffsetDateTime::max_text_size];
  return {buf, v.write_text(buf)};
}

constexpr std::int32_t max_year = INT32_MAX;
constexpr std::int32_t min_year = INT32_MIN;

// ---- construction and conversion ----

TEST(OffsetDateTime, FromUtcPrintsLocalTime) {
  struct Case {
    DateTime utc;
    std::int32_t offset;
    const char* text;
  };
  const Case cases[] = {
      {dt(2024, 1, 1, 12, 0, 0), 0, "2024-01-01T12:00:00Z"},
      {dt(2024, 1, 1, 12, 0, 0), 19'800, "2024-01-01T17:30:00+05:30"},
      {dt(2024, 1, 1, 3, 0, 0, 500'000'000), -18'000, "2023-12-31T22:00:00.5-05:00"},
      {dt(2024, 1, 1, 12, 0, 0), 86'400, "2024-01-02T12:00:00+24:00"},
      {dt(2024, 1, 1, 12, 0, 0), -86'400, "2023-12-31T12:00:00-24:00"},
      // Leftover seconds are printed, so the text names the instant held.
      {dt(2024, 1, 1, 12, 0, 0), -59, "2024-01-01T11:59:01-00:00:59"},
      {dt(2024, 1, 1, 12, 0, 0), 3'661, "2024-01-01T13:01:01+01:01:01"},
      {dt(-1, 12, 31, 23, 0, 0, 1), 3'600, "0000-01-01T00:00:00.000000001+01:00"},
      {dt(min_year, 1, 1, 0, 0, 0, 123'456'789), 86'399,
       "-2147483648-01-01T23:59:59.123456789+23:59:59"},
  };
  for (const Case& c : cases) {
    const auto v = OffsetDateTime::from_utc(c.utc, UtcOffset{c.offset});
    EXPECT_EQ(text_of(v), c.text);
    EXPECT_EQ(v.utc, c.utc);
    EXPECT_EQ(v.offset.seconds, c.offset);
    EXPECT_LE(text_of(v).size(), OffsetDateTime::max_text_size);
  }
}

TEST(OffsetDateTime, FromLocalAndToLocal) {
  struct Case {
    DateTime local;
    std::int32_t offset;
    DateTime utc;
  };
  const Case cases[] = {
      {dt(2024, 1, 1, 0, 30, 0), 3'600, dt(2023, 12, 31, 23, 30, 0)},
      {dt(2024, 1, 1, 17, 30, 0, 7), 19'800, dt(2024, 1, 1, 12, 0, 0, 7)},
      {dt(2023, 12, 31, 22, 0, 0), -18'000, dt(2024, 1, 1, 3, 0, 0)},
      {dt(2024, 2, 28, 23, 0, 0), -3'600, dt(2024, 2, 29, 0, 0, 0)},
      {dt(1969, 12, 31, 23, 59, 59, 999'999'999), 0, dt(1969, 12, 31, 23, 59, 59, 999'999'999)},
      {dt(max_year, 12, 31, 23, 30, 0), 3'600, dt(max_year, 12, 31, 22, 30, 0)},
      {dt(min_year, 1, 1, 0, 30, 0), -3'600, dt(min_year, 1, 1, 1, 30, 0)},
  };
  for (const Case& c : cases) {
    const auto v = OffsetDateTime::from_local(c.local.date, c.local.time, UtcOffset{c.offset});
    ASSERT_TRUE(v.has_value());
    EXPECT_EQ(v->utc, c.utc);
    EXPECT_EQ(v->offset.seconds, c.offset);
    EXPECT_EQ(v->to_local(), c.local);
  }
}

// Local and UTC times, and moves by up to a day, step across day, month and
// year ends; the road through Unix timestamps is the oracle. Days around
// 1900-03-01, 2000-03-01, year ends and both range ends, with offsets and
// moves up to a whole day either way.
TEST(OffsetDateTime, CalendarStepAgreesWithTimestamps) {
  const std::int64_t windows[][2] = {
      {Date{1899, 12, 25}.days_since_unix_epoch(), Date{1900, 3, 3}.days_since_unix_epoch()},
      {Date{1999, 12, 25}.days_since_unix_epoch(), Date{2000, 3, 3}.days_since_unix_epoch()},
      {Date{2023, 12, 1}.days_since_unix_epoch(), Date{2024, 12, 31}.days_since_unix_epoch()},
      {Date::min_days, Date::min_days + 40},
      {Date::max_days - 40, Date::max_days},
  };
  const std::int32_t offsets[] = {-86'400, -86'399, -3'600, -1, 0, 1, 59, 19'800, 86'399, 86'400};
  const Time times[] = {{0, 0, 0, 0}, {0, 0, 1, 5}, {12, 0, 0, 0}, {23, 59, 59, 999'999'999}};
  constexpr i128 day_ns = i128{86'400} * 1'000'000'000;
  const i128 moves[] = {-day_ns - 1, -day_ns, -day_ns + 1, -1, 1, day_ns - 1, day_ns, day_ns + 1};
  for (const auto& w : windows)
    for (std::int64_t day = w[0]; day <= w[1]; ++day)
      for (const Time& time : times)
        for (std::int32_t offset : offsets) {
          const DateTime at{*Date::from_days_since_unix_epoch(day), time};
          const auto ns = static_cast<std::int32_t>(time.nanosecond);
          const auto utc = DateTime::from_unix_timestamp(at.unix_timestamp() - offset, ns);
          const auto from_local = OffsetDateTime::from_local(at.date, at.time, UtcOffset{offset});
          ASSERT_EQ(from_local.has_value(), utc.has_value()) << day << " " << offset;
          if (utc) {
            ASSERT_EQ(from_local->utc, *utc) << day << " " << offset;
          }
          const auto local = DateTime::from_unix_timestamp(at.unix_timestamp() + offset, ns);
          ASSERT_EQ(OffsetDateTime::from_utc(at, UtcOffset{offset}).to_local(), local)
              << day << " " << offset;
          for (const i128 ns_move : moves) {
            const auto moved = OffsetDateTime::from_utc(at, UtcOffset{offset})
                                   .add_duration(Duration::nanoseconds(ns_move));
            const auto expected = at.add_duration(Duration::nanoseconds(ns_move));
            ASSERT_EQ(moved.has_value(), expected.has_value()) << day << " " << offset;
            if (moved) {
              ASSERT_EQ(moved->utc, *expected) << day << " " << offset;
            }
          }
        }
}

TEST(OffsetDateTime, RangeEnds) {
  const auto late = dt(max_year, 12, 31, 23, 30, 0);
  EXPECT_EQ(OffsetDateTime::from_local(late.date, late.time, UtcOffset{-3'600}),
            std::unexpected(DateError::OutOfRange));
  const auto early = dt(min_year, 1, 1, 0, 30, 0);
  EXPECT_EQ(OffsetDateTime::from_local(early.date, early.time, UtcOffset{3'600}),
            std::unexpected(DateError::OutOfRange));

  // from_utc pairs anything: the local time is then out of range, while
  // everything about the instant still works.
  for (const auto& [utc, offset] : {std::pair{late, 3'600}, std::pair{early, -3'600}}) {
    const auto v = OffsetDateTime::from_utc(utc, UtcOffset{offset});
    EXPECT_EQ(v.to_local(), std::unexpected(DateError::OutOfRange));
    EXPECT_EQ(v.text(), std::unexpected(DateError::OutOfRange));
    EXPECT_EQ(v.unix_timestamp(), utc.unix_timestamp());
    EXPECT_EQ(v.difference(OffsetDateTime::from_utc(utc, UtcOffset{0})).nanos, 0);
    char buf[OffsetDateTime::max_text_size];
    try {
      v.write_text(buf);
      ADD_FAILURE() << "write_text of an out-of-range local time returned";
    } catch (const InternalFault& f) {
      EXPECT_STREQ(f.message, "OffsetDateTime local representation out of range: OutOfRange");
    }
  }
}

// ---- arithmetic ----

TEST(OffsetDateTime, AddDurationKeepsOffset) {
  const auto v = OffsetDateTime::from_utc(dt(2024, 12, 31, 23, 59, 59), UtcOffset{-18'000});
  const auto moved = v.add_duration(Duration::seconds(1));
  ASSERT_TRUE(moved.has_value());
  EXPECT_EQ(moved->utc, dt(2025, 1, 1, 0, 0, 0));
  EXPECT_EQ(moved->offset.seconds, -18'000);
  EXPECT_EQ(moved->difference(v).nanos, 1'000'000'000);
  EXPECT_EQ(v.difference(*moved).nanos, -1'000'000'000);

  const auto last = OffsetDateTime::from_utc(dt(max_year, 12, 31, 23, 59, 59, 999'999'999),
                                             UtcOffset{0});
  EXPECT_EQ(last.add_duration(Duration::nanoseconds(1)), std::unexpected(DateError::OutOfRange));
  EXPECT_EQ(v.add_duration(Duration::nanoseconds(i128_max)),
            std::unexpected(DateError::OutOfRange));
  EXPECT_EQ(v.add_duration(Duration::nanoseconds(i128_min)),
            std::unexpected(DateError::OutOfRange));
  // The local time of the result is not checked.
  const auto past_end = OffsetDateTime::from_utc(dt(max_year, 12, 31, 22, 0, 0), UtcOffset{7'200})
                            .add_duration(Duration::seconds(3'600));
  ASSERT_TRUE(past_end.has_value());
  EXPECT_FALSE(past_end->to_local().has_value());
}

// ---- parsing ----

TEST(OffsetDateTimeParse, AcceptedShapes) {
  struct Case {
    const char* text;
    DateTime utc;
    std::int32_t offset;
  };
  const Case cases[] = {
      {"2024-01-01T12:00:00Z", dt(2024, 1, 1, 12, 0, 0), 0},
      {"2024-01-01T12:00:00z", dt(2024, 1, 1, 12, 0, 0), 0},
      {"2024-01-01 12:00:00+05:30", dt(2024, 1, 1, 6, 30, 0), 19'800},
      {"2024-01-01T12:00:00+0530", dt(2024, 1, 1, 6, 30, 0), 19'800},
      {"2024-01-01T12:00:00+05", dt(2024, 1, 1, 7, 0, 0), 18'000},
      {"2024-01-01T12:00:00+5:30", dt(2024, 1, 1, 6, 30, 0), 19'800},
      {"2024-01-01T12:00:00+05:3", dt(2024, 1, 1, 6, 57, 0), 18'180},
      {"2024-01-01T12:00:00+05:", dt(2024, 1, 1, 7, 0, 0), 18'000},
      {"2024-01-01T12:00:00+5:", dt(2024, 1, 1, 7, 0, 0), 18'000},
      {"2024-01-01T12:00:00+5:3", dt(2024, 1, 1, 6, 57, 0), 18'180},
      {"2024-01-01T12:00:00+23:59", dt(2023, 12, 31, 12, 1, 0), 86'340},
      {"2024-01-01T12:00:00-23:59", dt(2024, 1, 2, 11, 59, 0), -86'340},
      {"2024-01-01T12:00:00-00:00", dt(2024, 1, 1, 12, 0, 0), 0},
      {"2024-01-01T12:00:00-0000", dt(2024, 1, 1, 12, 0, 0), 0},
      {"2024-01-01T00:30:00+01:00", dt(2023, 12, 31, 23, 30, 0), 3'600},
      {"2024-01-01T12:00:00.123456789-08:00", dt(2024, 1, 1, 20, 0, 0, 123'456'789), -28'800},
      {"+002024-1-1T1:2:3.5Z", dt(2024, 1, 1, 1, 2, 3, 500'000'000), 0},
      {"-0001-12-31T23:00:00-01:00", dt(0, 1, 1, 0, 0, 0), -3'600},
      {"2147483647-12-31T23:30:00+01:00", dt(max_year, 12, 31, 22, 30, 0), 3'600},
      {"-2147483648-01-01T00:30:00-01:00", dt(min_year, 1, 1, 1, 30, 0), -3'600},
  };
  for (const Case& c : cases) {
    const auto v = OffsetDateTime::parse(c.text);
    ASSERT_TRUE(v.has_value()) << c.text;
    EXPECT_EQ(v->utc, c.utc) << c.text;
    EXPECT_EQ(v->offset.seconds, c.offset) << c.text;
  }
}

TEST(OffsetDateTimeParse, RefusedShapes) {
  const char* const cases[] = {
      "",
      " ",
      "2024-01-01",
      "2024-01-01T12:00:00",
      "2024-01-01t12:00:00Z",
      "2024-01-01 T12:00:00Z",
      "2024-01-01T12:00:00 Z",
      "2024-01-01T12:00:00+01:00Z",
      "2024-01-01T12:00-05:00",
      "2024-01-01T24:00:00Z",
      "2024-01-01T12:00:60Z",
      "2024-01-01T12:00:00.1234567891Z",
      "2024-01-01T12:00:00+",
      "2024-01-01T12:00:00-",
      "2024-01-01T12:00:00+5",
      "2024-01-01T12:00:00+123",
      "2024-01-01T12:00:00+123456",
      "2024-01-01T12:00:00+05:30:00",
      "2024-01-01T12:00:00+005:30",
      "2024-01-01T12:00:00+:30",
      "2024-01-01T12:00:00+05:300",
      "2024-01-01T12:00:00+24:00",
      "2024-01-01T12:00:00+23:60",
      "2024-01-01T12:00:00+2400",
      "2024-01-01T12:00:00+0a:00",
      "2024-01-01T12:00:00+05:3a",
      "2024-01-01T12:00:00ZZ",
      "2024-01-01T12:00:00UTC",
      "2024-02-30T12:00:00Z",
      "2147483647-12-31T23:30:00-01:00",
      "-2147483648-01-01T00:30:00+01:00",
      "2147483648-01-01T00:00:00Z",
  };
  for (const char* text : cases) EXPECT_FALSE(OffsetDateTime::parse(text).has_value()) << text;
  EXPECT_FALSE(OffsetDateTime::parse("2024-01-01T12:00:00+05 \xE2\x80\x8B").has_value());
}

// The common shape ("T" between date and time) is read directly; the same
// text with a space there takes the general rules. Both must agree on every
// one-byte change of a few valid texts, accepted or refused.
TEST(OffsetDateTimeParse, CommonShapeAgreesWithGeneralRules) {
  const std::string texts[] = {
      "2024-02-29T23:59:59.123456789+23:59", "2023-02-28T00:00:00Z",
      "1999-12-31T12:30:45.5-00:30",         "0000-01-01T00:00:00+00:00",
      "9999-12-31T23:59:59z",                "2024-01-05T12:30:45.123456+05:30",
  };
  const char replacements[] = "0123456789:-+.Zz /a\x7f";
  int accepted = 0, refused = 0;
  for (const std::string& text : texts)
    for (std::size_t i = 0; i <= text.size(); ++i)
      for (char c : std::string_view(replacements, sizeof replacements - 1))
        for (int how = 0; how < 3; ++how) {  // replace, insert, erase
          std::string t = text;
          if (how == 0 && i < t.size()) t[i] = c;
          else if (how == 1) t.insert(i, 1, c);
          else if (how == 2 && i < t.size()) t.erase(i, 1);
          if (t.size() <= 10 || t[10] != 'T' || t.find('T', 11) != std::string::npos) continue;
          std::string general = t;
          general[10] = ' ';
          const auto fast = OffsetDateTime::parse(t);
          ASSERT_EQ(fast, OffsetDateTime::parse(general)) << t;
          (fast ? accepted : refused) += 1;
        }
  EXPECT_GT(accepted, 100);
  EXPECT_GT(refused, 1000);
}

// Every listed White_Space character is trimmed at either end; others are not.
TEST(OffsetDateTimeParse, TrimsWhiteSpace) {
  const char* const white[] = {
      "\t", "\n", "\v", "\f", "\r", " ", "\xC2\x85", "\xC2\xA0", "\xE1\x9A\x80",
      "\xE2\x80\x80", "\xE2\x80\x81", "\xE2\x80\x82", "\xE2\x80\x83", "\xE2\x80\x84",
      "\xE2\x80\x85", "\xE2\x80\x86", "\xE2\x80\x87", "\xE2\x80\x88", "\xE2\x80\x89",
      "\xE2\x80\x8A", "\xE2\x80\xA8", "\xE2\x80\xA9", "\xE2\x80\xAF", "\xE2\x81\x9F",
      "\xE3\x80\x80",
  };
  const std::string body = "2024-01-01T12:00:00+05:30";
  const auto expected = OffsetDateTime::parse(body);
  ASSERT_TRUE(expected.has_value());
  for (const std::string ws : white) {
    EXPECT_EQ(OffsetDateTime::parse(ws + body), expected) << "leading " << ws;
    EXPECT_EQ(OffsetDateTime::parse(body + ws), expected) << "trailing " << ws;
    EXPECT_EQ(OffsetDateTime::parse(ws + ws + body + ws + " " + ws), expected) << ws;
    // Inside the text they stay, and refuse it.
    EXPECT_FALSE(OffsetDateTime::parse("2024-01-01T12:00:00" + ws + "+05:30")) << ws;
  }
  // Not White_Space: U+200B, U+FEFF, U+180E, U+001C, U+2060, U+200C, and
  // lookalikes or pieces of the listed sequences.
  const char* const other[] = {"\xE2\x80\x8B", "\xEF\xBB\xBF", "\xE1\xA0\x8E", "\x1C",
                               "\xE2\x81\xA0", "\xE2\x80\x8C", "\xC2\x86",   "\xC2",
                               "\xE3\x80",     "\x80\x80"};
  for (const std::string ws : other) {
    EXPECT_FALSE(OffsetDateTime::parse(ws + body)) << "leading " << ws;
    EXPECT_FALSE(OffsetDateTime::parse(body + ws)) << "trailing " << ws;
  }
  EXPECT_FALSE(OffsetDateTime::parse(std::string("\0", 1) + body));
}

}  // namespace
}  // namespace chronexa
