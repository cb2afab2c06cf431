// SPDX-License-Identifier: MIT
#include "date_time.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>

namespace chronexa {
namespace {

constexpr std::int64_t lo = DateTime::min_unix_seconds, hi = DateTime::max_unix_seconds;

bool in_range(i128 n) { return n >= i128{lo} * 1'000'000'000 && n < i128{hi + 1} * 1'000'000'000; }

std::string text(const std::expected<DateTime, DateError>& r) {
  char buf[DateTime::max_text_size];
  return r ? std::string(buf, r->write_text(buf)) : std::string(name(r.error()));
}

// Any 32-bit nanosecond count is split by floor division; the range ends are exact.
TEST(DateTime, FromUnixTimestampSplitsAndChecksTheRange) {
  const struct {
    std::int64_t secs;
    std::int32_t nanos;
    const char* text;
  } cases[] = {{-1, 0, "1969-12-31T23:59:59Z"},
               {0, -1, "1969-12-31T23:59:59.999999999Z"},
               {0, 1'500'000'000, "1970-01-01T00:00:01.5Z"},
               {lo, -1, "OutOfRange"},
               {0, INT32_MAX, "1970-01-01T00:00:02.147483647Z"},
               {0, INT32_MIN, "1969-12-31T23:59:57.852516352Z"},
               {lo, 123'456'789, "-2147483648-01-01T00:00:00.123456789Z"},  // the longest text
               {lo - 1, 0, "OutOfRange"},
               {lo - 1, 1'000'000'000, "-2147483648-01-01T00:00:00Z"},
               {hi, 999'999'999, "2147483647-12-31T23:59:59.999999999Z"},
               {hi, 1'000'000'000, "OutOfRange"},
               {hi + 1, 0, "OutOfRange"},
               {hi + 1, -1, "2147483647-12-31T23:59:59.999999999Z"},
               {INT64_MIN, -1, "OutOfRange"},
               {INT64_MAX, INT32_MAX, "OutOfRange"}};  // carries past 64 bits
  for (const auto& c : cases)
    EXPECT_EQ(text(DateTime::from_unix_timestamp(c.secs, c.nanos)), c.text) << c.secs;
  EXPECT_EQ(text(DateTime::from_unix_timestamp(lo, 123'456'789)).size(), DateTime::max_text_size);
}

// Random instants (anywhere, near the one before, near a range end) against exact 128-bit
// arithmetic: count, text read back, packed-field order, difference from the one before (often
// in the same month), add_duration. Durations that fit 64 bits move the time of day, longer
// ones take the 128-bit route; neither may wrap.
TEST(DateTime, AgreesWithExactNanosecondArithmetic) {
  std::mt19937_64 rng(20240101);
  std::uniform_int_distribution<std::int64_t> secs(lo, hi), near(-100'000, 100'000);
  std::uniform_int_distribution<std::int32_t> nanos(INT32_MIN, INT32_MAX), shift(0, 63);
  const std::int64_t spans[] = {1'000, 86'400'000'000'000, 1'000'000'000'000'000'000, INT64_MAX};
  DateTime prev{{1970, 1, 1}, {0, 0, 0, 0}};
  for (int i = 0; i < 200'000; ++i) {
    const std::int64_t s = i % 4 == 0   ? secs(rng)
                           : i % 4 == 1 ? prev.unix_timestamp() + (near(rng) >> shift(rng) % 18)
                           : i % 4 == 2 ? lo + 100'000 + near(rng)
                                        : hi - 100'000 + near(rng);
    const std::int32_t n = nanos(rng);
    const auto dt = DateTime::from_unix_timestamp(s, n);
    const i128 expected = i128{s} * 1'000'000'000 + n;
    ASSERT_EQ(dt.has_value(), in_range(expected)) << s << " " << n;
    if (!dt) continue;
    ASSERT_EQ(dt->unix_timestamp_nanos(), expected) << s << " " << n;
    ASSERT_EQ(DateTime::parse(text(dt)), std::optional(*dt)) << text(dt);
    ASSERT_EQ(*dt <=> prev, expected <=> prev.unix_timestamp_nanos()) << text(dt) << text(prev);
    ASSERT_EQ(dt->difference(prev).nanos, expected - prev.unix_timestamp_nanos()) << text(dt);
    prev = *dt;
    const i128 d = std::uniform_int_distribution<std::int64_t>(-spans[i % 4], spans[i % 4])(rng);
    const i128 dur = i % 5 == 0   ? INT64_MIN + i
                     : i % 5 == 1 ? d << shift(rng)
                     : i % 5 == 2 ? d
                                  : d / 86'400'000'000'000 * 86'400'000'000'000 -
                                        dt->time.nanos_since_midnight();  // 0:00
    const i128 t = expected + dur, sec = t / 1'000'000'000;  // from_unix_timestamp splits
    const auto sum = DateTime::from_unix_timestamp(std::int64_t(sec), int(t % 1'000'000'000));
    ASSERT_EQ(dt->add_duration({dur}), in_range(t) ? sum : std::unexpected(DateError::OutOfRange));
  }
  // Near the 128-bit limit: the sum itself overflows, or the seconds leave 64 bits.
  const DateTime first = *DateTime::from_unix_timestamp(lo, 0), epoch{{1970, 1, 1}, {}};
  const DateTime last = *DateTime::from_unix_timestamp(hi, 999'999'999);
  for (const auto& [from, d] : {std::pair{last, i128_max},
                                {first, i128_min},
                                {epoch, i128_max},
                                {epoch, i128_min},
                                {epoch, i128{INT64_MAX} * 1'000'000'000}})
    EXPECT_EQ(text(from.add_duration({d})), "OutOfRange") << text(from);
}

// Text laid out as write_text prints it is read by a fixed-position path; one more leading
// zero on the year sends the same text through the general rules, which must decide it the
// same way. Random digits, with random bytes swapped in, give accepted and refused values.
TEST(DateTime, FixedLayoutAgreesWithGeneralRules) {
  std::mt19937_64 rng(99);
  int accepted = 0;
  for (int i = 0; i < 200'000; ++i) {
    std::string s = "0000-00-00T00:00:00";
    for (char& c : s) c = c == '0' ? static_cast<char>('0' + rng() % 10) : c;
    if (i % 5 == 0) s[5] = '0', s[8] = '1', s[11] = '1', s[14] = '2', s[17] = '3';  // in range
    if (rng() % 4 == 0) s[10] = ' ';
    if (const auto n = rng() % 12) s += '.' + std::to_string(rng()).substr(0, n - 1);  // 0-10
    s += rng() % 2 ? 'Z' : 'z';
    if (rng() % 3 == 0) s[rng() % s.size()] = "0123456789-:.TtZz +"[rng() % 19];
    if (s[0] < '0' || s[0] > '9') continue;  // a sign: the leading zero would change the year
    const auto fixed = DateTime::parse(s);
    ASSERT_EQ(fixed, DateTime::parse("0" + s)) << s;
    accepted += fixed.has_value();
  }
  EXPECT_GT(accepted, 10'000);
}

}  // namespace
}  // namespace chronexa
