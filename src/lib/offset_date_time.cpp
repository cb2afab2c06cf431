// SPDX-License-Identifier: MIT
#include "offset_date_time.hpp"

#include <array>

#include "digits.hpp"
#include "fault.hpp"

namespace chronexa {
namespace {

constexpr std::int64_t nanos_per_day = 86'400 * nanos_per_second;

// The date-time `delta` nanoseconds later, for |delta| <= one day. The date
// then moves by at most one day, so it steps through the calendar: this gives
// what the road through Unix timestamps (DateTime::from_unix_timestamp) gives,
// without its two day-count conversions. Moving by up to a day is such a
// step: moving by an hour takes 8 ns instead of 18 ns. The result is stored
// whole into `out`; false, and `out` unchanged, past the range ends.
bool step(const DateTime& dt, std::int64_t delta, DateTime& out) noexcept {
  Date d = dt.date;
  auto t = static_cast<std::int64_t>(dt.time.nanos_since_midnight()) + delta;  // (-1 day, 2 days)
  if (!detail::carry_day(d, t, nanos_per_day)) return false;
  const auto u = static_cast<std::uint64_t>(t);  // [0, 86400 * 10^9)
  const auto sec = static_cast<std::uint32_t>(u / nanos_per_second);
  detail::store_whole(out,
                      DateTime::make(d.year, d.month, d.day, static_cast<std::uint8_t>(sec / 3600),
                                     static_cast<std::uint8_t>(sec % 3600 / 60),
                                     static_cast<std::uint8_t>(sec % 60),
                                     static_cast<std::uint32_t>(u % nanos_per_second)));
  return true;
}

// The text "HH:MM" of q quarter hours, q in [0, 96], in the low five bytes of
// a word in memory order: an offset's text is its sign and one lookup.
constexpr auto quarter_texts = [] {
  std::array<std::uint64_t, 97> texts{};
  for (unsigned q = 0; q < texts.size(); ++q) {
    const char* hh = digits::pairs + 2 * (q / 4);
    const char* mm = digits::pairs + 2 * (q % 4 * 15);
    const char text[5] = {hh[0], hh[1], ':', mm[0], mm[1]};
    for (unsigned k = 0; k < 5; ++k)
      texts[q] |= std::uint64_t{static_cast<unsigned char>(text[k])} << (8 * k);
  }
  return texts;
}();

}  // namespace

std::expected<OffsetDateTime, DateError> OffsetDateTime::add_duration(Duration d) const noexcept {
  if (-nanos_per_day <= d.nanos && d.nanos <= nanos_per_day) {
    std::expected<OffsetDateTime, DateError> out{std::in_place, DateTime{}, offset};
    if (!step(utc, static_cast<std::int64_t>(d.nanos), out->utc))
      out = std::unexpected(DateError::OutOfRange);
    return out;  // built in place: the one object returned
  }
  return utc.add_duration(d).transform(
      [this](const DateTime& moved) { return OffsetDateTime{moved, offset}; });
}

// The local date and time are stored field by field, as Date and Time read
// them back: built as two whole words (DateTime::make), the text waited about
// 2 ns longer for them.
//
// Offsets in use are whole quarter hours, and for those the step to local
// time is in minutes of the day, with a carry into the date, and the offset's
// text comes from the quarter count: no divisions of the whole time of day or
// of the offset. Other offsets take the general step.
char* OffsetDateTime::write_text(char* out) const {
  const std::int32_t seconds = offset.seconds;
  const auto magnitude = static_cast<std::uint32_t>(seconds < 0 ? -seconds : seconds);  // <= 86400
  // magnitude / 900 when 900 divides it, else a number above 86400 / 900:
  // the product with the inverse of 225 modulo 2^32 is the exact quotient of
  // a multiple of 225, and the rotation divides it by 4 (as in
  // digits::divide_if_multiple).
  const std::uint32_t quarters = digits::rotr32(magnitude * 0x8765'4321u, 2);
  const bool by_quarters = quarters <= 96;
  Date date = utc.date;
  int h = utc.time.hour, m = utc.time.minute, s = utc.time.second;
  bool in_range;
  if (by_quarters) {
    const int shift = static_cast<int>(quarters) * 15;  // minutes, <= 1440
    int local = h * 60 + m + (seconds < 0 ? -shift : shift);  // [-1440, 2880)
    in_range = detail::carry_day(date, local, 1440);
    h = static_cast<int>(static_cast<unsigned>(local) / 60);
    m = static_cast<int>(static_cast<unsigned>(local) % 60);
  } else {
    in_range = detail::step_fields(date, h, m, s, seconds);
  }
  if (!in_range) fault("OffsetDateTime local representation out of range: OutOfRange");
  const Time time{static_cast<std::uint8_t>(h), static_cast<std::uint8_t>(m),
                  static_cast<std::uint8_t>(s), utc.time.nanosecond};
  out = date.write_text(out);
  *out++ = 'T';
  out = time.write_text(out);
  if (!by_quarters) return offset.write_text(out);
  if (seconds == 0) {
    *out++ = 'Z';
    return out;
  }
  // "+HH:MM" in one 8-byte store: the two bytes past it are within
  // max_text_size, which allows for the 3 bytes longer "+HH:MM:SS".
  static_assert(Date::max_text_size + 1 + Time::max_text_size + 8 <= max_text_size);
  digits::store8(out, quarter_texts[quarters] << 8 | (seconds < 0 ? '-' : '+'));
  return out + 6;
}

}  // namespace chronexa
