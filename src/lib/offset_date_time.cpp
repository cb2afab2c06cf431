// SPDX-License-Identifier: MIT
#include "offset_date_time.hpp"

#include "fault.hpp"

namespace chronexa {

std::expected<OffsetDateTime, DateError> OffsetDateTime::from_local(const Date& date,
                                                                    const Time& time,
                                                                    UtcOffset offset) noexcept {
  // The wall clock read as if it were UTC: |local| <= 67768100567971200 and
  // |offset| <= 86400, so the subtraction cannot overflow.
  const std::int64_t local = DateTime{date, time}.unix_timestamp();
  const auto utc = DateTime::from_unix_timestamp(local - offset.seconds,
                                                 static_cast<std::int32_t>(time.nanosecond));
  if (!utc) return std::unexpected(utc.error());
  return OffsetDateTime{*utc, offset};
}

std::expected<DateTime, DateError> OffsetDateTime::to_local() const noexcept {
  if (offset.seconds == 0) return utc;
  return DateTime::from_unix_timestamp(utc.unix_timestamp() + offset.seconds,
                                       static_cast<std::int32_t>(utc.time.nanosecond));
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
