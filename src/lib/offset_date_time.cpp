// SPDX-License-Identifier: MIT
#include "offset_date_time.hpp"

#include "fault.hpp"

namespace chronexa {
namespace {

// The date-time `delta` seconds later, for |delta| <= 86400. The date then
// moves by at most one day, so it steps through the calendar; this gives
// what DateTime::from_unix_timestamp(unix_timestamp() + delta, nanosecond)
// gives, without the two day-count conversions (a third of the cost of
// parsing and printing).
std::expected<DateTime, DateError> shift(const DateTime& dt, std::int32_t delta) noexcept {
  Date d = dt.date;
  auto s = static_cast<std::int32_t>(dt.time.seconds_since_midnight()) + delta;  // [-86400, 172799]
  if (s < 0) {
    s += 86'400;
    if (d.day > 1) {
      --d.day;
    } else if (d.month > 1) {
      --d.month;
      d.day = days_in_month(d.year, d.month);
    } else {
      if (d.year == INT32_MIN) return std::unexpected(DateError::OutOfRange);
      d = Date{d.year - 1, 12, 31};
    }
  } else if (s >= 86'400) {
    s -= 86'400;
    if (d.day < days_in_month(d.year, d.month)) {
      ++d.day;
    } else if (d.month < 12) {
      ++d.month;
      d.day = 1;
    } else {
      if (d.year == INT32_MAX) return std::unexpected(DateError::OutOfRange);
      d = Date{d.year + 1, 1, 1};
    }
  }
  const auto sec = static_cast<std::uint32_t>(s);  // [0, 86399]
  return DateTime{d, Time{static_cast<std::uint8_t>(sec / 3600),
                          static_cast<std::uint8_t>(sec % 3600 / 60),
                          static_cast<std::uint8_t>(sec % 60), dt.time.nanosecond}};
}

}  // namespace

std::expected<OffsetDateTime, DateError> OffsetDateTime::from_local(const Date& date,
                                                                    const Time& time,
                                                                    UtcOffset offset) noexcept {
  const auto utc = shift(DateTime{date, time}, -offset.seconds);
  if (!utc) return std::unexpected(utc.error());
  return OffsetDateTime{*utc, offset};
}

std::expected<DateTime, DateError> OffsetDateTime::to_local() const noexcept {
  return shift(utc, offset.seconds);
}

std::expected<OffsetDateTime, DateError> OffsetDateTime::add_duration(Duration d) const noexcept {
  const auto moved = utc.add_duration(d);
  if (!moved) return std::unexpected(moved.error());
  return OffsetDateTime{*moved, offset};
}

char* OffsetDateTime::Text::write_text(char* out) const noexcept {
  out = local.date.write_text(out);
  *out++ = 'T';
  out = local.time.write_text(out);
  if (offset.seconds == 0) {
    *out++ = 'Z';
    return out;
  }
  return offset.write_text(out);
}

std::expected<OffsetDateTime::Text, DateError> OffsetDateTime::text() const noexcept {
  const auto local = to_local();
  if (!local) return std::unexpected(local.error());
  return Text{*local, offset};
}

char* OffsetDateTime::write_text(char* out) const {
  const auto t = text();
  if (!t) fault("OffsetDateTime local representation out of range: OutOfRange");
  return t->write_text(out);
}

}  // namespace chronexa
