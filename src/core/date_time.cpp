// SPDX-License-Identifier: MIT
#include "date_time.hpp"

#include <time.h>

#include <atomic>

#include "digits.hpp"
#include "fault.hpp"

namespace chronexa {

namespace {

CHRONEXA_RETURNS_EXPECTED_DATE std::expected<Date, DateError> date_of_day(
    std::int64_t days) noexcept {
  return Date::from_days_since_unix_epoch(days);
}

constexpr std::int64_t nanos_per_day = 86'400 * nanos_per_second;

// The time of day `t` nanoseconds after midnight, t in [0, nanos_per_day).
constexpr Time time_of_day(std::int64_t t) noexcept {
  const auto sec = static_cast<std::uint32_t>(t / nanos_per_second);  // [0, 86399]
  const auto nanos = static_cast<std::uint32_t>(t % nanos_per_second);
  return Time{static_cast<std::uint8_t>(sec / 3600), static_cast<std::uint8_t>(sec % 3600 / 60),
              static_cast<std::uint8_t>(sec % 60), nanos};
}

}  // namespace

std::expected<DateTime, DateError> DateTime::from_unix_timestamp(std::int64_t secs,
                                                                 std::int32_t nanos) noexcept {
  // Floor split of the nanoseconds: q in [-3, 2], n in [0, 10^9).
  std::int32_t q = nanos / 1'000'000'000;
  std::int32_t n = nanos % 1'000'000'000;
  if (n < 0) {
    q -= 1;
    n += 1'000'000'000;
  }
  std::int64_t s;
  if (__builtin_add_overflow(secs, q, &s)) return std::unexpected(DateError::OutOfRange);
  std::int64_t days = s / 86'400;
  std::int64_t r = s % 86'400;  // (-86400, 86400)
  if (r < 0) {
    days -= 1;
    r += 86'400;  // [0, 86399]: -1 is 23:59:59 of the day before
  }
  const auto date = date_of_day(days);  // OutOfRange exactly outside the seconds range
  if (!date) return std::unexpected(date.error());
  const auto sec = static_cast<std::uint32_t>(r);
  return DateTime{
      *date, Time{static_cast<std::uint8_t>(sec / 3600), static_cast<std::uint8_t>(sec % 3600 / 60),
                  static_cast<std::uint8_t>(sec % 60), static_cast<std::uint32_t>(n)}};
}

std::expected<DateTime, DateError> DateTime::add_duration(Duration d) const noexcept {
  // Durations within about 292 years move the time of day in 64-bit
  // arithmetic, and the date only by the whole days carried, if any: the same
  // instant as the 128-bit sum below, without 128-bit division.
  std::int64_t t;
  if (d.nanos >= INT64_MIN && d.nanos <= INT64_MAX &&
      !__builtin_add_overflow(static_cast<std::int64_t>(time.nanos_since_midnight()),
                              static_cast<std::int64_t>(d.nanos), &t)) {
    std::int64_t days = t / nanos_per_day;  // [-106752, 106752]
    std::int64_t rem = t % nanos_per_day;
    if (rem < 0) {
      days -= 1;
      rem += nanos_per_day;
    }
    if (days == 0) return DateTime{date, time_of_day(rem)};
    // As Date::add_days does, with its far path through date_of_day.
    if (date.moves_within_month(days))
      return DateTime{{date.year, date.month, static_cast<std::uint8_t>(date.day + days)},
                      time_of_day(rem)};
    const auto moved = date_of_day(date.days_since_unix_epoch() + days);  // cannot overflow
    if (!moved) return std::unexpected(moved.error());
    return DateTime{*moved, time_of_day(rem)};
  }
  const auto total = checked_add(unix_timestamp_nanos(), d.nanos);
  if (!total) return std::unexpected(DateError::OutOfRange);
  const SecondsNanos split = floor_div_1e9(*total);
  if (split.secs < INT64_MIN || split.secs > INT64_MAX)
    return std::unexpected(DateError::OutOfRange);
  return from_unix_timestamp(static_cast<std::int64_t>(split.secs),
                             static_cast<std::int32_t>(split.nanos));
}

namespace {

// The day of the latest clock reading and its date, packed in one word so
// that threads share it without a lock: the day number (low 32 bits, two's
// complement), then day (8 bits), month (8) and year (16); days of other
// years are not kept.
constexpr std::uint64_t pack_day(std::int64_t days, const Date& d) noexcept {
  return std::uint64_t{static_cast<std::uint16_t>(d.year)} << 48 | std::uint64_t{d.month} << 40 |
         std::uint64_t{d.day} << 32 | static_cast<std::uint32_t>(days);
}
constexpr bool is_day(std::uint64_t kept, std::int64_t days) noexcept {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(kept)) == days;
}
constexpr Date date_of(std::uint64_t kept) noexcept {
  return Date{static_cast<std::int32_t>(kept >> 48), static_cast<std::uint8_t>(kept >> 40),
              static_cast<std::uint8_t>(kept >> 32)};
}

static_assert(date_of(pack_day(19'782, {2024, 2, 29})) == Date{2024, 2, 29});
static_assert(is_day(pack_day(-1, {1969, 12, 31}), -1) && !is_day(pack_day(0, {1970, 1, 1}), 1));
static_assert(!is_day(pack_day(0, {1970, 1, 1}), std::int64_t{1} << 32));

std::atomic<std::uint64_t> clock_day{pack_day(0, {1970, 1, 1})};

}  // namespace

// The clock's reading is the last input of the whole computation, so its
// latency is not hidden behind other work: a reading on the day of the one
// before takes the date from clock_day instead of converting the day count,
// which leaves only the time of day waiting for the clock (52 ns per call
// from Python instead of 61).
std::expected<DateTime, DateError> DateTime::now_utc() {
  timespec ts;
  if (clock_gettime(CLOCK_REALTIME, &ts) != 0) fault("failed to read the system clock");
  // tv_sec may be negative (before 1970); tv_nsec is in [0, 10^9) either way.
  const auto secs = static_cast<std::int64_t>(ts.tv_sec);
  const auto nanos = static_cast<std::int32_t>(ts.tv_nsec);
  std::int64_t days = secs / 86'400;
  std::int64_t r = secs % 86'400;  // (-86400, 86400)
  if (r < 0) {
    days -= 1;
    r += 86'400;
  }
  const std::uint64_t kept = clock_day.load(std::memory_order_relaxed);
  if (!is_day(kept, days)) {
    const auto now = from_unix_timestamp(secs, nanos);
    if (now && now->date.year >= 0 && now->date.year <= 65'535)
      clock_day.store(pack_day(days, now->date), std::memory_order_relaxed);
    return now;
  }
  const auto sec = static_cast<std::uint32_t>(r);
  return DateTime{
      date_of(kept),
      Time{static_cast<std::uint8_t>(sec / 3600), static_cast<std::uint8_t>(sec % 3600 / 60),
           static_cast<std::uint8_t>(sec % 60), static_cast<std::uint32_t>(nanos)}};
}

char* DateTime::write_text(char* out) const noexcept {
  out = date.write_text(out);
  *out++ = 'T';
  out = time.write_text(out);
  *out++ = 'Z';
  return out;
}

namespace {

// The layout that write_text produces for years 0 to 9999, at fixed positions:
//   YYYY-MM-DD ("T" / " ") HH:MM:SS ["." 1*9DIGIT] ("Z" / "z")
// Text of this shape is decided here, text of any other shape is left to the
// general grammar (false). Both accept exactly the same values for it: the
// fields are checked by the same from_ymd and from_hms_nano.
bool parse_fixed(std::string_view text, std::optional<DateTime>& out) noexcept {
  const std::size_t n = text.size();
  const char* p = text.data();
  if (n < 20 || n == 21 || n > 30) return false;
  constexpr digits::Shape date_shape("0000-00-"), middle_shape("00?00:00"), time_shape("00:00:00");
  const std::uint64_t a = digits::load8(p, 0), b = digits::load8(p, 8), c = digits::load8(p, 11);
  if ((date_shape.deviation(a) | middle_shape.deviation(b) | time_shape.deviation(c)) != 0 ||
      (p[10] != 'T' && p[10] != ' ') || (p[n - 1] != 'Z' && p[n - 1] != 'z') ||
      (n > 20 && p[19] != '.'))
    return false;
  const std::uint64_t ap = digits::pairs_of(a), bp = digits::pairs_of(b), cp = digits::pairs_of(c);
  const unsigned y1 = digits::byte_at(ap, 0), y2 = digits::byte_at(ap, 2),
                 mo = digits::byte_at(ap, 5), d = digits::byte_at(bp, 0),
                 h = digits::byte_at(cp, 0), mi = digits::byte_at(cp, 3),
                 s = digits::byte_at(cp, 6);
  std::uint32_t nanos = 0;  // [0, 999999999]
  if (n > 20 && !digits::parse_fraction_word(p + 20, p + n - 1, nanos)) return false;
  const auto year = static_cast<std::int32_t>(y1 * 100 + y2);
  const auto month = static_cast<std::uint8_t>(mo), day = static_cast<std::uint8_t>(d),
             hour = static_cast<std::uint8_t>(h), minute = static_cast<std::uint8_t>(mi),
             second = static_cast<std::uint8_t>(s);
  // Only the verdicts of the checks are used: building the result from the
  // fields keeps it in registers (no expected<> assembled in memory).
  if (Date::from_ymd(year, month, day) && Time::from_hms_nano(hour, minute, second, nanos))
    out = DateTime{{year, month, day}, {hour, minute, second, nanos}};
  else out = std::nullopt;
  return true;
}

}  // namespace

// date-time = date ("T" / " ") time ("Z" / "z"); the first "T" splits, or
// failing that the first space.
std::optional<DateTime> DateTime::parse(std::string_view text) noexcept {
  if (std::optional<DateTime> fixed; parse_fixed(text, fixed)) return fixed;
  if (text.empty() || (text.back() != 'Z' && text.back() != 'z')) return std::nullopt;
  const std::string_view body = text.substr(0, text.size() - 1);
  std::size_t split = body.find('T');
  if (split == std::string_view::npos) split = body.find(' ');
  if (split == std::string_view::npos) return std::nullopt;
  const auto date = Date::parse(body.substr(0, split));
  if (!date) return std::nullopt;
  const auto time = Time::parse(body.substr(split + 1));
  if (!time) return std::nullopt;
  return DateTime{*date, *time};
}

}  // namespace chronexa
