// SPDX-License-Identifier: MIT
#include "offset_date_time.hpp"

#include <gtest/gtest.h>

#include <string>

#include "fault.hpp"

namespace chronexa {
namespace {

using namespace std::literals;
using ODT = OffsetDateTime;

DateTime dt(std::int32_t y, std::uint8_t mo, std::uint8_t d, std::uint8_t h, std::uint8_t mi,
            std::uint8_t s, std::uint32_t ns = 0) {
  return DateTime{Date{y, mo, d}, Time{h, mi, s, ns}};
}

// Local/UTC conversion and moves (by up to a day they step through the calendar) agree with Unix
// timestamps and DateTime moves, around 1900-03-01, 2000-03-01, 2024 and both range ends.
TEST(OffsetDateTime, CalendarStepAgreesWithTimestamps) {
  const std::int64_t windows[][2] = {{-25'574, -25'506},
                                     {10'950, 11'019},
                                     {19'692, 20'088},
                                     {Date::min_days, Date::min_days + 40},
                                     {Date::max_days - 40, Date::max_days}};
  const std::int32_t offsets[] = {-86'400, -86'399, -3'600, -1, 0, 1, 59, 19'800, 86'399, 86'400};
  constexpr i128 day = i128{86'400} * 1'000'000'000;
  const i128 moves[] = {i128_min, -day - 1, -day, -day + 1, -1, 1, day - 1, day, day + 1, i128_max};
  for (const auto& w : windows)
    for (std::int64_t n = w[0]; n <= w[1]; ++n)
      for (const auto& [s, ns] : {std::pair{0, 0}, {1, 5}, {43200, 0}, {86399, 999'999'999}})
        for (const std::int32_t off : offsets) {
          SCOPED_TRACE(testing::Message() << n << " " << s << " " << off);
          const std::int64_t ts = n * 86'400 + s;
          const DateTime at = *DateTime::from_unix_timestamp(ts, ns);
          const auto odt = [&](DateTime u) { return ODT{u, UtcOffset{off}}; };
          ASSERT_EQ(ODT::from_local(at.date, at.time, UtcOffset{off}),
                    DateTime::from_unix_timestamp(ts - off, ns).transform(odt));
          ASSERT_EQ(odt(at).to_local(), DateTime::from_unix_timestamp(ts + off, ns));
          for (const i128 m : moves)
            ASSERT_EQ(odt(at).add_duration({m}), at.add_duration({m}).transform(odt));
        }
}

// A local time out of range has no text and write_text reports the fault (the Python tests check
// the rest of both range ends: conversions, messages, the instant).
// Both ends, by an offset of whole quarter hours and by one that is not (two ways to local time).
TEST(OffsetDateTime, NoTextOutOfRange) {
  for (const auto v : {ODT::from_utc(dt(INT32_MIN, 1, 1, 0, 30, 0), UtcOffset{-3'600}),
                       ODT::from_utc(dt(INT32_MAX, 12, 31, 23, 59, 59), UtcOffset{1})}) {
    EXPECT_FALSE(v.has_text());
    char buf[ODT::max_text_size];
    testing::internal::CaptureStderr();  // the fault's report, checked rather than printed
    EXPECT_THROW(v.write_text(buf), InternalFault);
    const std::string report = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(
        report.starts_with("thread '") && report.contains("offset_date_time.cpp:") &&
        report.ends_with(":\nOffsetDateTime local representation out of range: OutOfRange\n"))
        << report;
  }
}

// The direct read of the common shape ("T" after the date) agrees with the general rules (a space
// there) on every one-byte edit of a few valid texts.
TEST(OffsetDateTimeParse, CommonShapeAgreesWithGeneralRules) {
  int accepted = 0, refused = 0;
  for (const std::string text : {"2024-02-29T23:59:59.123456789+23:59", "2023-02-28T00:00:00Z",
                                 "1999-12-31T12:30:45.5-00:30", "9999-12-31T23:59:59z"})
    for (std::size_t i = 0; i <= text.size(); ++i)
      for (const char c : "0123456789:-+.Zz /a\x7f"sv) {
        const std::string head = text.substr(0, i), tail = text.substr(i + (i < text.size()));
        for (std::string t : {head + c + tail, head + c + text.substr(i), head + tail}) {
          if (t.size() <= 10 || t[10] != 'T' || t.find('T', 11) != std::string::npos) continue;
          const auto fast = ODT::parse(t);
          ASSERT_EQ(fast, ODT::parse(t.replace(10, 1, " "))) << t;
          ++(fast ? accepted : refused);
        }
      }
  EXPECT_TRUE(accepted > 100 && refused > 1000) << accepted << " " << refused;
}

// White_Space is trimmed at either end (every code point of it by the Python tests), not inside;
// U+200B, U+FEFF, the other near misses and broken UTF-8 are not.
TEST(OffsetDateTimeParse, TrimsWhiteSpace) {
  const std::string body = "2024-01-01T12:00:00+05:30";
  for (const std::string ws : {"\t", "\r", " ", "\xC2\x85", "\xE2\x80\x8A", "\xE3\x80\x80"}) {
    EXPECT_EQ(ODT::parse(ws + ws + body + ws + " " + ws), ODT::parse(body).value()) << ws;
    EXPECT_FALSE(ODT::parse("2024-01-01T12:00:00" + ws + "+05:30")) << ws;
  }
  for (const std::string& other :
       {"\xE2\x80\x8B"s, "\xEF\xBB\xBF"s, "\xE1\xA0\x8E"s, "\x1C"s, "\xE2\x81\xA0"s,
        "\xE2\x80\x8C"s, "\xC2\x86"s, "\0"s, "\xC2"s, "\xE3\x80"s, "\x80\x80"s})
    for (const std::string& t : {other + body, body + other}) EXPECT_FALSE(ODT::parse(t)) << t;
}

}  // namespace
}  // namespace chronexa
