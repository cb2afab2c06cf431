// SPDX-License-Identifier: MIT
#include "date_time.hpp"

#include <time.h>

#include "fault.hpp"

namespace chronexa {

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
  const auto date = Date::from_days_since_unix_epoch(days);
  if (!date) return std::unexpected(date.error());
  const auto sec = static_cast<std::uint32_t>(r);
  return DateTime{*date, Time{static_cast<std::uint8_t>(sec / 3600),
                              static_cast<std::uint8_t>(sec % 3600 / 60),
                              static_cast<std::uint8_t>(sec % 60), static_cast<std::uint32_t>(n)}};
}

std::expected<DateTime, DateError> DateTime::add_duration(Duration d) const noexcept {
  const auto t = checked_add(unix_timestamp_nanos(), d.nanos);
  if (!t) return std::unexpected(DateError::OutOfRange);
  const SecondsNanos split = floor_div_1e9(*t);
  if (split.secs < INT64_MIN || split.secs > INT64_MAX) return std::unexpected(DateError::OutOfRange);
  return from_unix_timestamp(static_cast<std::int64_t>(split.secs),
                             static_cast<std::int32_t>(split.nanos));
}

std::expected<DateTime, DateError> DateTime::now_utc() {
  timespec ts;
  if (clock_gettime(CLOCK_REALTIME, &ts) != 0) fault("failed to read the system clock");
  // tv_sec may be negative (before 1970); tv_nsec is in [0, 10^9) either way.
  return from_unix_timestamp(static_cast<std::int64_t>(ts.tv_sec),
                             static_cast<std::int32_t>(ts.tv_nsec));
}

char* DateTime::write_text(char* out) const noexcept {
  out = date.write_text(out);
  *out++ = 'T';
  out = time.write_text(out);
  *out++ = 'Z';
  return out;
}

// date-time = date ("T" / " ") time ("Z" / "z"); the first "T" splits, or
// failing that the first space.
std::optional<DateTime> DateTime::parse(std::string_view text) noexcept {
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
