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

// The text of an offset of q quarter hours, q in [0, 96], east (+) at q and
// west (-) at 97 + q: "Z" for 0, else "+HH:MM" or "-HH:MM", in the low bytes
// of a word in memory order, and its length in the top byte. An offset's text
// is one lookup and one 8-byte store, and from the lookup on, one word is all
// the writer keeps of the offset.
constexpr auto offset_texts = [] {
  std::array<std::uint64_t, 2 * 97> texts{};
  for (unsigned i = 0; i < texts.size(); ++i) {
    const unsigned q = i % 97;
    if (q == 0) {
      texts[i] = std::uint64_t{1} << 56 | 'Z';
      continue;
    }
    const char* hh = digits::pairs + 2 * (q / 4);
    const char* mm = digits::pairs + 2 * (q % 4 * 15);
    const char text[6] = {i < 97 ? '+' : '-', hh[0], hh[1], ':', mm[0], mm[1]};
    texts[i] = std::uint64_t{6} << 56;
    for (unsigned k = 0; k < 6; ++k)
      texts[i] |= std::uint64_t{static_cast<unsigned char>(text[k])} << (8 * k);
  }
  return texts;
}();

// write_text for a local time on another day than the UTC time, in a year
// of other than four digits, or with an offset of seconds: the local
// date-time's own text, its "Z" replaced by the offset's text unless that is
// zero. Out of line, so that the common case sets up no frame.
[[gnu::noinline]] char* write_general(const OffsetDateTime& odt, char* out) {
  const auto local = odt.to_local();
  if (!local) fault("OffsetDateTime local representation out of range: OutOfRange");
  char* const end = local->write_text(out);
  if (odt.offset.seconds == 0) return end;
  return odt.offset.write_text(end - 1);
}

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

// Offsets in use are whole quarter hours. For those the step to local time
// is in minutes of the day and the offset's text comes from the quarter
// count: no divisions of the whole time of day or of the offset. When the
// local time is also on the UTC day in a year of four digits (almost every
// value), every field has a fixed place: the time is written first, and the
// date's fields are read after it, when the registers are free again. That
// path needs no stack frame and saves no register (about 35 instructions per
// call fewer than one path for all). Everything else takes write_general.
char* OffsetDateTime::write_text(char* out) const {
  const std::int32_t seconds = offset.seconds;
  const auto magnitude = static_cast<std::uint32_t>(seconds < 0 ? -seconds : seconds);  // <= 86400
  // magnitude / 900 when 900 divides it, else a number above 86400 / 900:
  // the product with the inverse of 225 modulo 2^32 is the exact quotient of
  // a multiple of 225, and the rotation divides it by 4 (as in
  // digits::divide_if_multiple).
  const std::uint32_t quarters = digits::rotr32(magnitude * 0x8765'4321u, 2);
  if (quarters <= 96) {
    const int shift = static_cast<int>(quarters) * 15;  // minutes, <= 1440
    const int local = utc.time.hour * 60 + utc.time.minute + (seconds < 0 ? -shift : shift);
    // On the same day, and in years of four digits, the date takes ten bytes.
    if (static_cast<unsigned>(local) < 1440 && static_cast<std::uint32_t>(utc.date.year) <= 9999)
        [[likely]] {
      const std::uint64_t offset_text = offset_texts[quarters + (seconds < 0 ? 97 : 0)];
      const auto u = static_cast<unsigned>(local);
      char* const end = Time{static_cast<std::uint8_t>(u / 60), static_cast<std::uint8_t>(u % 60),
                             utc.time.second, utc.time.nanosecond}
                            .write_text(out + 11);
      utc.date.write_ten_byte_text(out);
      out[10] = 'T';
      // The bytes past the text are within max_text_size, which allows for
      // the 3 bytes longer "+HH:MM:SS".
      static_assert(Date::max_text_size + 1 + Time::max_text_size + 8 <= max_text_size);
      digits::store8(end, offset_text);
      return end + (offset_text >> 56);
    }
  }
  return write_general(*this, out);
}

}  // namespace chronexa
