// SPDX-License-Identifier: MIT
//
// What the fuzz targets hold the core to: straightforward readings of the
// documented grammars and calendar rules, written without the core's
// fixed-layout fast paths, word tricks or fixed-point divisions, plus the
// checks every target shares (a failed one aborts, which libFuzzer reports
// as a crash with the input that caused it).
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "date.hpp"
#include "date_time.hpp"
#include "int128.hpp"
#include "offset_date_time.hpp"
#include "time.hpp"
#include "utc_offset.hpp"

namespace chronexa::reference {

[[noreturn]] inline void fail(const char* what, std::string_view input) {
  std::fprintf(stderr, "check failed: %s\ninput (%zu bytes): \"", what, input.size());
  for (unsigned char c : input) {
    if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') std::fputc(c, stderr);
    else std::fprintf(stderr, "\\x%02X", c);
  }
  std::fputs("\"\n", stderr);
  std::abort();
}

#define FUZZ_CHECK(condition, input) \
  ((condition) ? void() : ::chronexa::reference::fail(#condition, (input)))

// A writer's text, written into a heap buffer of exactly T::max_text_size
// bytes, so that AddressSanitizer reports any byte written past the stated
// maximum.
template <class T>
std::string text_of(const T& value) {
  const auto buf = std::make_unique<char[]>(T::max_text_size);
  const char* end = value.write_text(buf.get());
  const auto n = static_cast<std::size_t>(end - buf.get());
  if (n == 0 || n > T::max_text_size) fail("writer length within max_text_size", "");
  return {buf.get(), n};
}

// ---- calendar ----

using Wide = chronexa::i128;

constexpr Wide floor_div(Wide a, Wide b) { return a / b - (a % b != 0 && (a < 0) != (b < 0)); }
constexpr Wide floor_mod(Wide a, Wide b) { return a - floor_div(a, b) * b; }
constexpr bool leap(Wide y) { return y % 4 == 0 && (y % 100 != 0 || y % 400 == 0); }
constexpr int month_length(Wide y, int m) {
  constexpr int len[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && leap(y) ? 29 : len[m - 1];
}

// Days since 1970-01-01 of a proleptic Gregorian date (the era method: 400
// years are 146097 days).
constexpr Wide days_from_civil(Wide y, int m, int d) {
  y -= m <= 2;
  const Wide era = floor_div(y, 400);
  const Wide yoe = y - era * 400;                                   // [0, 399]
  const Wide doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;  // [0, 365]
  return era * 146097 + yoe * 365 + yoe / 4 - yoe / 100 + doy - 719468;
}

struct Civil {
  Wide year;
  int month, day;
};
constexpr Civil civil_from_days(Wide z) {
  z += 719468;
  const Wide era = floor_div(z, 146097);
  const Wide doe = z - era * 146097;                                      // [0, 146096]
  const Wide yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;  // [0, 399]
  const Wide doy = doe - (365 * yoe + yoe / 4 - yoe / 100);               // [0, 365]
  const Wide mp = (5 * doy + 2) / 153;                                    // [0, 11]
  const int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  const int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  return {yoe + era * 400 + (m <= 2), m, d};
}

static_assert(days_from_civil(1970, 1, 1) == 0 && days_from_civil(2024, 2, 29) == 19782);
static_assert(civil_from_days(-719529).year == -1 && civil_from_days(-719529).day == 31);

inline std::optional<Date> date_of_days(Wide days) {
  const Civil c = civil_from_days(days);
  if (c.year < INT32_MIN || c.year > INT32_MAX) return std::nullopt;
  return Date{static_cast<std::int32_t>(c.year), static_cast<std::uint8_t>(c.month),
              static_cast<std::uint8_t>(c.day)};
}

constexpr Wide nanos_per_day = Wide{86'400} * 1'000'000'000;
constexpr Wide min_nanos = Wide{DateTime::min_unix_seconds} * 1'000'000'000;
constexpr Wide max_nanos = Wide{DateTime::max_unix_seconds} * 1'000'000'000 + 999'999'999;

inline Wide nanos_of(const Date& d, const Time& t) {
  return days_from_civil(d.year, d.month, d.day) * nanos_per_day +
         ((t.hour * Wide{60} + t.minute) * 60 + t.second) * 1'000'000'000 + t.nanosecond;
}

// The DateTime `nanos` after the epoch, or nothing outside the range.
inline std::optional<DateTime> date_time_of_nanos(Wide nanos) {
  if (nanos < min_nanos || nanos > max_nanos) return std::nullopt;
  const auto date = date_of_days(floor_div(nanos, nanos_per_day));
  if (!date) return std::nullopt;
  Wide rest = floor_mod(nanos, nanos_per_day);
  const auto ns = static_cast<std::uint32_t>(rest % 1'000'000'000);
  rest /= 1'000'000'000;
  return DateTime{
      *date, Time{static_cast<std::uint8_t>(rest / 3600), static_cast<std::uint8_t>(rest / 60 % 60),
                  static_cast<std::uint8_t>(rest % 60), ns}};
}

// ---- text forms ----

inline std::string date_text(const Date& d) {
  char buf[32];
  const int n = std::snprintf(buf, sizeof buf, "%04d-%02u-%02u", d.year, unsigned{d.month},
                              unsigned{d.day});
  return {buf, static_cast<std::size_t>(n)};
}

inline std::string time_text(const Time& t) {
  char buf[32];
  int n = std::snprintf(buf, sizeof buf, "%02u:%02u:%02u", unsigned{t.hour}, unsigned{t.minute},
                        unsigned{t.second});
  if (t.nanosecond != 0) {
    n += std::snprintf(buf + n, sizeof buf - static_cast<std::size_t>(n), ".%09u", t.nanosecond);
    while (buf[n - 1] == '0') --n;
  }
  return {buf, static_cast<std::size_t>(n)};
}

inline std::string offset_text(std::int32_t seconds) {
  const std::int32_t a = seconds < 0 ? -seconds : seconds;
  char buf[16];
  int n = std::snprintf(buf, sizeof buf, "%c%02d:%02d", seconds < 0 ? '-' : '+', a / 3600,
                        a / 60 % 60);
  if (a % 60 != 0)
    n += std::snprintf(buf + n, sizeof buf - static_cast<std::size_t>(n), ":%02d", a % 60);
  return {buf, static_cast<std::size_t>(n)};
}

// ---- parsers, as the grammars are documented ----

// One or more ASCII digits, none other, with a value of at most `max`.
inline std::optional<std::uint64_t> number(std::string_view s, std::uint64_t max) {
  if (s.empty()) return std::nullopt;
  std::uint64_t v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return std::nullopt;
    v = v * 10 + static_cast<std::uint64_t>(c - '0');
    if (v > max) return std::nullopt;  // stays above max: no overflow
  }
  return v;
}

inline std::optional<Date> parse_date(std::string_view s) {
  if (s.empty()) return std::nullopt;
  std::size_t sep[3], count = 0;
  for (std::size_t i = 1; i < s.size(); ++i)
    if (s[i] == '-') {
      if (count == 2) return std::nullopt;
      sep[count++] = i;
    }
  if (count != 2) return std::nullopt;
  std::string_view year = s.substr(0, sep[0]);
  const bool negative = !year.empty() && year[0] == '-';
  if (!year.empty() && (year[0] == '-' || year[0] == '+')) year.remove_prefix(1);
  const auto mag = number(year, negative ? 2'147'483'648u : 2'147'483'647u);
  const auto month = number(s.substr(sep[0] + 1, sep[1] - sep[0] - 1), 12);
  const auto day = number(s.substr(sep[1] + 1), 31);
  if (!mag || !month || !day || *month == 0 || *day == 0) return std::nullopt;
  const Wide y = negative ? -Wide(*mag) : Wide(*mag);
  if (*day > static_cast<std::uint64_t>(month_length(y, static_cast<int>(*month))))
    return std::nullopt;
  return Date{static_cast<std::int32_t>(y), static_cast<std::uint8_t>(*month),
              static_cast<std::uint8_t>(*day)};
}

inline std::optional<Time> parse_time(std::string_view s) {
  if (s.empty()) return std::nullopt;
  const std::size_t dot = s.find('.');
  if (dot == 0) return std::nullopt;
  const std::string_view main = s.substr(0, dot);
  std::uint32_t nanos = 0;
  if (dot != std::string_view::npos) {
    const std::string_view fraction = s.substr(dot + 1);
    if (fraction.empty() || fraction.size() > 9) return std::nullopt;
    auto v = number(fraction, 999'999'999);
    if (!v) return std::nullopt;
    for (std::size_t i = fraction.size(); i < 9; ++i) *v *= 10;
    nanos = static_cast<std::uint32_t>(*v);
  }
  const std::size_t a = main.find(':');
  if (a == std::string_view::npos) return std::nullopt;
  const std::size_t b = main.find(':', a + 1);
  if (b == std::string_view::npos || main.find(':', b + 1) != std::string_view::npos)
    return std::nullopt;
  const auto h = number(main.substr(0, a), 23), m = number(main.substr(a + 1, b - a - 1), 59),
             sec = number(main.substr(b + 1), 59);
  if (!h || !m || !sec) return std::nullopt;
  return Time{static_cast<std::uint8_t>(*h), static_cast<std::uint8_t>(*m),
              static_cast<std::uint8_t>(*sec), nanos};
}

inline std::optional<DateTime> parse_date_time(std::string_view s) {
  if (s.empty() || (s.back() != 'Z' && s.back() != 'z')) return std::nullopt;
  const std::string_view body = s.substr(0, s.size() - 1);
  std::size_t split = body.find('T');
  if (split == std::string_view::npos) split = body.find(' ');
  if (split == std::string_view::npos) return std::nullopt;
  const auto date = parse_date(body.substr(0, split));
  if (!date) return std::nullopt;
  const auto time = parse_time(body.substr(split + 1));
  if (!time) return std::nullopt;
  return DateTime{*date, *time};
}

// The UTF-8 forms of the characters with the Unicode White_Space property.
inline constexpr std::string_view white_space[] = {
    "\t",           "\n",           "\v",           "\f",           "\r",           " ",
    "\xC2\x85",     "\xC2\xA0",     "\xE1\x9A\x80", "\xE2\x80\x80", "\xE2\x80\x81", "\xE2\x80\x82",
    "\xE2\x80\x83", "\xE2\x80\x84", "\xE2\x80\x85", "\xE2\x80\x86", "\xE2\x80\x87", "\xE2\x80\x88",
    "\xE2\x80\x89", "\xE2\x80\x8A", "\xE2\x80\xA8", "\xE2\x80\xA9", "\xE2\x80\xAF", "\xE2\x81\x9F",
    "\xE3\x80\x80"};

inline std::string_view trim(std::string_view s) {
  for (bool again = true; again;) {
    again = false;
    for (std::string_view w : white_space)
      if (s.starts_with(w)) {
        s.remove_prefix(w.size());
        again = true;
      }
  }
  for (bool again = true; again;) {
    again = false;
    for (std::string_view w : white_space)
      if (s.ends_with(w)) {
        s.remove_suffix(w.size());
        again = true;
      }
  }
  return s;
}

inline std::optional<std::int32_t> parse_offset(std::string_view s) {
  if (s == "Z" || s == "z") return 0;
  if (s.size() < 3 || (s[0] != '+' && s[0] != '-')) return std::nullopt;
  const std::string_view body = s.substr(1);
  std::optional<std::uint64_t> h, m;
  if (const std::size_t colon = body.find(':'); colon != std::string_view::npos) {
    const std::string_view hours = body.substr(0, colon), minutes = body.substr(colon + 1);
    if (hours.empty() || hours.size() > 2 || minutes.size() > 2) return std::nullopt;
    h = number(hours, 23);
    m = minutes.empty() ? std::optional<std::uint64_t>{0} : number(minutes, 59);
  } else if (s.size() == 3 || s.size() == 5) {
    h = number(body.substr(0, 2), 23);
    m = s.size() == 3 ? std::optional<std::uint64_t>{0} : number(body.substr(2), 59);
  }
  if (!h || !m) return std::nullopt;
  const auto seconds = static_cast<std::int32_t>(*h * 3600 + *m * 60);
  return s[0] == '-' ? -seconds : seconds;
}

struct Rfc3339 {
  OffsetDateTime value;
  DateTime local;
};

inline std::optional<Rfc3339> parse_rfc3339(std::string_view text) {
  const std::string_view s = trim(text);
  std::size_t split = s.find('T');
  if (split == std::string_view::npos) split = s.find(' ');
  if (split == std::string_view::npos) return std::nullopt;
  const auto date = parse_date(s.substr(0, split));
  if (!date) return std::nullopt;
  const std::string_view rest = s.substr(split + 1);
  std::size_t sign;
  if (!rest.empty() && (rest.back() == 'Z' || rest.back() == 'z')) {
    sign = rest.size() - 1;
  } else {
    sign = rest.find_last_of("+-");
    if (sign == std::string_view::npos) return std::nullopt;
  }
  const auto time = parse_time(rest.substr(0, sign));
  const auto offset = parse_offset(rest.substr(sign));
  if (!time || !offset) return std::nullopt;
  const auto utc = date_time_of_nanos(nanos_of(*date, *time) - Wide{*offset} * 1'000'000'000);
  if (!utc) return std::nullopt;
  return Rfc3339{OffsetDateTime{*utc, UtcOffset{*offset}}, DateTime{*date, *time}};
}

// Whether the fifth byte of `s` is the '-' that ends a four-digit year and
// the eighth the month's, as widened() needs: after leading white space, a
// '-' there can be the year's sign (two U+0085 then "--1-1T..." is refused,
// its widened form, "-0-1-1T..." after them, is in year 0).
inline bool dashes_at_4_and_7(std::string_view s) {
  if (s.size() < 8 || s[4] != '-' || s[7] != '-') return false;
  for (std::size_t i = 0; i < 4; ++i)
    if (s[i] < '0' || s[i] > '9') return false;
  return true;
}

// The same text with a '0' after its fifth byte. When that byte is a '-' of
// the date this only adds a leading zero to a field, which the general grammar
// ignores, and the text no longer has a fixed layout: so a fast path reading
// "YYYY-MM-DD..." must agree with the general grammar reading "YYYY-0MM-DD...".
inline std::string widened(std::string_view s) {
  std::string w(s.substr(0, 5));
  w += '0';
  w += s.substr(5);
  return w;
}

}  // namespace chronexa::reference
