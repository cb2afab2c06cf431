// SPDX-License-Identifier: MIT
//
// Core microbenchmarks: the day-count conversions beside a textbook
// era-based algorithm (divisions by 146097, 1461, 36524, 365, 153) compiled in
// the same binary, the text parsers on canonical input, the text writers,
// and the hash.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <string_view>
#include <vector>

#include "date.hpp"
#include "date_time.hpp"
#include "duration.hpp"
#include "offset_date_time.hpp"
#include "siphash.hpp"
#include "time.hpp"

namespace {

using chronexa::Date;
using chronexa::DateTime;
using chronexa::Duration;
using chronexa::i128;

struct Civil {
  std::int64_t y;
  unsigned m, d;
};

// The textbook conversions, with divisions.
Civil textbook_from_days(std::int64_t z) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const auto doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned d = doy - (153 * mp + 2) / 5 + 1;
  const unsigned m = mp < 10 ? mp + 3 : mp - 9;
  return {y + (m <= 2), m, d};
}

std::int64_t textbook_to_days(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

std::vector<std::int64_t> sample_days() {
  std::mt19937_64 rng(42);
  std::uniform_int_distribution<std::int64_t> dist(-1'000'000, 1'000'000);
  std::vector<std::int64_t> v(4096);
  for (auto& x : v) x = dist(rng);
  return v;
}

void BM_FromDays(benchmark::State& state) {
  const auto days = sample_days();
  std::size_t i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(Date::from_days_since_unix_epoch(days[i++ & 4095]));
}
BENCHMARK(BM_FromDays);

void BM_FromDaysTextbook(benchmark::State& state) {
  const auto days = sample_days();
  std::size_t i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(textbook_from_days(days[i++ & 4095]));
}
BENCHMARK(BM_FromDaysTextbook);

void BM_ToDays(benchmark::State& state) {
  std::vector<Date> dates;
  for (auto x : sample_days()) dates.push_back(*Date::from_days_since_unix_epoch(x));
  std::size_t i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(dates[i++ & 4095].days_since_unix_epoch());
}
BENCHMARK(BM_ToDays);

void BM_ToDaysTextbook(benchmark::State& state) {
  std::vector<Date> dates;
  for (auto x : sample_days()) dates.push_back(*Date::from_days_since_unix_epoch(x));
  std::size_t i = 0;
  for (auto _ : state) {
    const Date& d = dates[i++ & 4095];
    benchmark::DoNotOptimize(textbook_to_days(d.year, d.month, d.day));
  }
}
BENCHMARK(BM_ToDaysTextbook);

// The parsers and writers below get their input through DoNotOptimize on
// every pass: the compiler cannot then compute the result once, outside the
// loop (with constant input, the fraction parse and the date text took under
// 1 ns). Passes are independent, so these are throughput figures.

// A parse of canonical text, per pass.
template <auto parse>
void parse_each(benchmark::State& state, std::string_view text) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(text);
    benchmark::DoNotOptimize(parse(text));
  }
}

void BM_DateParse(benchmark::State& state) { parse_each<Date::parse>(state, "2024-01-05"); }
BENCHMARK(BM_DateParse);

void BM_DateTimeParse(benchmark::State& state) {
  parse_each<DateTime::parse>(state, "2024-01-05T12:30:45.123456Z");
}
BENCHMARK(BM_DateTimeParse);

// RFC 3339 text with an offset: whole seconds, and a fraction.
void BM_OffsetDateTimeParse(benchmark::State& state) {
  parse_each<chronexa::OffsetDateTime::parse>(state, "2024-01-01T17:30:00+05:30");
}
BENCHMARK(BM_OffsetDateTimeParse);

void BM_OffsetDateTimeParseFraction(benchmark::State& state) {
  parse_each<chronexa::OffsetDateTime::parse>(state, "2024-01-05T12:30:45.123456+05:30");
}
BENCHMARK(BM_OffsetDateTimeParseFraction);

// The text of a value, per pass.
template <class V>
void text_each(benchmark::State& state, V v) {
  char buf[V::max_text_size];
  for (auto _ : state) {
    benchmark::DoNotOptimize(v);
    benchmark::DoNotOptimize(v.write_text(buf));
  }
}

void BM_DateText(benchmark::State& state) { text_each(state, Date{2024, 1, 5}); }
BENCHMARK(BM_DateText);

// The text of a date and time with a nine-digit fraction.
void BM_DateTimeText(benchmark::State& state) {
  text_each(state, DateTime::make(2024, 1, 5, 12, 30, 45, 123'456'789));
}
BENCHMARK(BM_DateTimeText);

// The text of a duration of 5 s (ten digits) and of 2^100 ns (beyond 64 bits).
void BM_DurationText(benchmark::State& state) {
  text_each(state, Duration{state.range(0) == 0 ? i128{5'000'000'000} : i128{1} << 100});
}
BENCHMARK(BM_DurationText)->Arg(0)->Arg(1);

// The text of a value with an offset: the step to local time and the
// offset's text on top of the above. The last byte feeds the next value, so
// this is the latency a str() call waits for (the interpreter copies the
// bytes next); the argument is the offset in seconds.
void BM_OffsetDateTimeText(benchmark::State& state) {
  auto v = chronexa::OffsetDateTime::from_utc(
      DateTime::make(2024, 1, 5, 7, 0, 45, 123'456'789),
      chronexa::UtcOffset{static_cast<int>(state.range(0))});
  char buf[chronexa::OffsetDateTime::max_text_size];
  for (auto _ : state) {
    const char* end = v.write_text(buf);
    // never: a dependency, not a change
    v.utc.time.second = static_cast<std::uint8_t>(v.utc.time.second + (end[-1] == 'x'));
  }
  benchmark::DoNotOptimize(v);
}
BENCHMARK(BM_OffsetDateTimeText)->Arg(0)->Arg(19'800);

// The hash of a Date (6 bytes, one block) and of a DateTime (16 bytes, three
// blocks), as hash() feeds them. Each hash feeds the next one's input, so this
// is the latency of the SipHash rounds, which is what a call waits for.
void BM_HashDate(benchmark::State& state) {
  Date d{2024, 1, 5};
  for (auto _ : state) {
    const auto h = chronexa::Hasher().write(d).finish();
    d.year ^= static_cast<std::int32_t>(h & 1);
    benchmark::DoNotOptimize(d);
  }
}
BENCHMARK(BM_HashDate);

void BM_HashDateTime(benchmark::State& state) {
  DateTime v = DateTime::make(2024, 1, 5, 12, 30, 45, 123'456'789);
  for (auto _ : state) {
    const auto h = chronexa::Hasher().write(v).finish();
    v.date.year ^= static_cast<std::int32_t>(h & 1);
    benchmark::DoNotOptimize(v);
  }
}
BENCHMARK(BM_HashDateTime);

}  // namespace

BENCHMARK_MAIN();
