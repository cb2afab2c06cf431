// SPDX-License-Identifier: MIT
//
// Date: one day of the proleptic Gregorian calendar, astronomical year
// numbering (year 0 exists, years before it are negative), for every year in
// the signed 32-bit range: -2147483648-01-01 to 2147483647-12-31.
//
//   auto d = Date::from_ymd(2024, 2, 29);             // std::expected<Date, DateError>
//   d->days_since_unix_epoch();                       // 19782
//   d->weekday();                                     // Weekday::Thursday
//   Date::from_days_since_unix_epoch(-1);             // 1969-12-31
//   char buf[Date::max_text_size];
//   std::string_view{buf, d->write_text(buf)};        // "2024-02-29"
//   Date::parse("+2024-2-29");                        // 2024-02-29
//
// A Date is valid by construction: every way to obtain one validates. Nothing
// here allocates, keeps state or throws; failures are returned as DateError.
// The day-count conversions contain no loop and no run-time division.
#pragma once

#include <bit>
#include <compare>
#include <cstdint>
#include <expected>
#include <string_view>

#include "digits.hpp"
#include "int128.hpp"

namespace chronexa {

enum class DateError : std::uint8_t { InvalidDate = 0, OutOfRange = 1 };

constexpr std::string_view name(DateError e) noexcept {
  return e == DateError::InvalidDate ? "InvalidDate" : "OutOfRange";
}

enum class Weekday : std::uint8_t {
  Monday,
  Tuesday,
  Wednesday,
  Thursday,
  Friday,
  Saturday,
  Sunday
};

constexpr std::uint8_t number_from_monday(Weekday w) noexcept {
  return static_cast<std::uint8_t>(static_cast<std::uint8_t>(w) + 1);
}

struct NameText {
  const char* text;
  std::uint8_t size;
};
inline constexpr NameText weekday_names[7] = {
    {"Monday", 6}, {"Tuesday", 7},  {"Wednesday", 9}, {"Thursday", 8},
    {"Friday", 6}, {"Saturday", 8}, {"Sunday", 6},
};

constexpr std::string_view name(Weekday w) noexcept {
  const NameText& n = weekday_names[static_cast<std::uint8_t>(w)];
  return {n.text, n.size};
}

// Divisibility by 25 through the multiplicative inverse of 25 mod 2^32; then a
// year is leap when its low 2 bits (not divisible by 25) or 4 bits (divisible
// by 25, so by 100 exactly when by 4) are zero. True divisibility for
// negative years too.
constexpr bool is_leap_year(std::int32_t year) noexcept {
  const std::uint32_t y = static_cast<std::uint32_t>(year);
  const bool by25 = y * 3264175145u + 85899345u < 171798691u;
  return (y & (by25 ? 15u : 3u)) == 0;
}

// February from the leap rule; otherwise (m XOR m/8) OR 30.
constexpr std::uint8_t days_in_month(std::int32_t year, std::uint8_t month) noexcept {
  if (month == 2) return is_leap_year(year) ? 29 : 28;
  return static_cast<std::uint8_t>((month ^ (month >> 3)) | 30);
}

struct Date {
  std::int32_t year;
  std::uint8_t month;  // 1-12
  std::uint8_t day;    // 1-days_in_month(year, month)

  // The longest text: "-2147483648-01-01".
  static constexpr std::size_t max_text_size = 17;

  static constexpr std::int64_t min_days = -784'353'015'833;  // -2147483648-01-01
  static constexpr std::int64_t max_days = 784'351'576'776;   // 2147483647-12-31

  // The fields hash() feeds, in order: year (4 bytes), month, day. Month and
  // day go in as one 16-bit number, the month in its low byte: the same bytes
  // in the same order, which the compiler then reads with one load.
  template <class H>
  CHRONEXA_INLINE constexpr void hash_fields(H& h) const noexcept {
    h.write(year).write(static_cast<std::uint16_t>(month | day << 8));
  }

  static constexpr std::expected<Date, DateError> from_ymd(std::int32_t year, std::uint8_t month,
                                                           std::uint8_t day) noexcept {
    if (month < 1 || month > 12 || day < 1 || day > days_in_month(year, month))
      return std::unexpected(DateError::InvalidDate);
    return make(year, month, day);
  }

  // Days since 1970-01-01; never fails.
  constexpr std::int64_t days_since_unix_epoch() const noexcept {
    return static_cast<std::int64_t>(shifted_days()) - 784'353'144'339;  // 1970-01-01 -> 0
  }

  static constexpr std::expected<Date, DateError> from_days_since_unix_epoch(
      std::int64_t days) noexcept;

  // Whether the date `days` later lies within the first 28 days of the same
  // month (every month has them), where the day alone moves: no day-count
  // conversion either way.
  constexpr bool moves_within_month(std::int64_t days) const noexcept {
    return days >= -27 && days <= 27 && day + days >= 1 && day + days <= 28;
  }

  constexpr std::expected<Date, DateError> add_days(std::int64_t days) const noexcept {
    if (moves_within_month(days)) return make(year, month, static_cast<std::uint8_t>(day + days));
    std::int64_t t;
    if (__builtin_add_overflow(days_since_unix_epoch(), days, &t))
      return std::unexpected(DateError::OutOfRange);
    return from_days_since_unix_epoch(t);
  }

  // Monday is 0. 784353144339 = 2 (mod 7) and 1970-01-01 was a Thursday (3),
  // so +1 gives its number; computed rather than looked up in a table (GCC
  // 16.2 builds a local table on the stack on every call).
  constexpr Weekday weekday() const noexcept {
    return static_cast<Weekday>((shifted_days() + 1) % 7);
  }

  // Day of the year, 1-366.
  constexpr std::uint16_t ordinal() const noexcept {
    static constexpr std::uint16_t before[12] = {0,   31,  59,  90,  120, 151,
                                                 181, 212, 243, 273, 304, 334};
    return static_cast<std::uint16_t>(before[month - 1] + day + (month > 2 && is_leap_year(year)));
  }

  // Writes "YYYY-MM-DD" (year zero-padded to four characters, a minus sign
  // counting towards them) and returns the end; `out` needs max_text_size
  // bytes. Inlined by force, as Time::write_text.
  CHRONEXA_INLINE char* write_text(char* out) const noexcept {
    const Date d = *this;  // the stores through `out` may alias *this
    if (d.year >= 0 && d.year <= 9999) [[likely]]
      return d.write_ten_byte_text(out);
    return d.write_month_day(write_other_year(out, d.year));
  }
  // write_text of a date in the years 0 to 9999, the ten bytes "YYYY-MM-DD".
  // Each field is read where it is written (no copy first), so that a caller
  // holding other values keeps no register for the date until then.
  CHRONEXA_INLINE char* write_ten_byte_text(char* out) const noexcept {
    return write_month_day(digits::write4(out, static_cast<unsigned>(year)));
  }
  // A year outside [0, 9999], as write_text writes it.
  static char* write_other_year(char* out, std::int32_t year) noexcept;

  // Parses the text written by write_text, with any number of leading zeros
  // in each field and an optional '+' on the year. Nothing is trimmed.
  static std::expected<Date, DateError> parse(std::string_view text) noexcept;

  friend constexpr bool operator==(const Date&, const Date&) = default;
  // The order of days_since_unix_epoch(), which for valid dates is the order
  // of (year, month, day): compared packed, with no day-count arithmetic.
  friend constexpr std::strong_ordering operator<=>(const Date& a, const Date& b) noexcept {
    return a.key() <=> b.key();
  }

 private:
  // "-MM-DD", the end of write_text.
  CHRONEXA_INLINE char* write_month_day(char* out) const noexcept {
    *out++ = '-';
    out = digits::write2(out, month);
    *out++ = '-';
    return digits::write2(out, day);
  }

  // Days since a day far before the range: 1970-01-01 is 784353144339. Every
  // quantity is non-negative, so each division is a plain unsigned one.
  constexpr std::uint64_t shifted_days() const noexcept {
    const std::uint64_t a = month <= 2;                    // Jan, Feb: previous counting year
    const std::uint64_t y = static_cast<std::uint64_t>(    // [351, 4294967647]: +5368710 eras
        static_cast<std::int64_t>(year) + 2'147'484'000 - static_cast<std::int64_t>(a));
    const std::uint64_t m = month + 12 * a;                // [3, 14], March = 3
    return 365 * y + y / 4 - y / 100 + y / 400             // whole years
           + (979 * m - 2919) / 32                         // [0, 337]: days before month m
           + day;
  }

  constexpr std::int64_t key() const noexcept {
    return static_cast<std::int64_t>(year) * 65536 + month * 256 + day;
  }

  // The fields as one 64-bit value, so that a returned expected<Date> is never
  // assembled from byte stores and reloaded whole: the GCC 16.2 stall of
  // CHRONEXA_RETURNS_EXPECTED_DATE (row Date.from_days_since_unix_epoch).
  static constexpr Date make(std::int32_t y, std::uint8_t m, std::uint8_t d) noexcept {
    if consteval {
      return Date{y, m, d};
    } else {
      if constexpr (std::endian::native == std::endian::little && sizeof(Date) == 8) {
        const std::uint64_t bits = static_cast<std::uint32_t>(y) | std::uint64_t{m} << 32 |
                                   std::uint64_t{d} << 40;
        return std::bit_cast<Date>(bits);
      } else {
        return Date{y, m, d};
      }
    }
  }
};

// ---- implementation details follow ----

constexpr std::expected<Date, DateError> Date::from_days_since_unix_epoch(
    std::int64_t days) noexcept {
  // Count backwards from a day far in the future so every intermediate is
  // non-negative, and divide by fixed-point multiplication.
  std::int64_t rev;                                                  // [0, 2^63)
  if (__builtin_sub_overflow(std::int64_t{690'527'217'032'721}, days, &rev) || rev < 0)
    return std::unexpected(DateError::OutOfRange);
  const auto r = static_cast<std::uint64_t>(rev);
  const std::uint64_t cen = mul_high(r, 505'054'698'555'331);     // rev / 36524.25
  const std::uint64_t jul = r + cen - cen / 4;                         // as if 365.25-day years
  if (jul >= (std::uint64_t{1} << 63)) return std::unexpected(DateError::OutOfRange);
  const auto p = static_cast<u128>(jul) * 50'504'432'782'230'121u;  // jul / 1461
  const std::uint64_t yrs = 1'890'599'307'999u - static_cast<std::uint64_t>(p >> 64);
  const auto low = static_cast<std::uint64_t>(p);                    // position in the year
  const std::uint64_t ypt = mul_high(low, 782'432);              // [0, 782432)
  const bool bump = ypt < 126'464;                                   // January or February
  const std::int64_t n = static_cast<std::int64_t>((yrs & 3) * 512 + (bump ? 191'360 : 977'792)) -
                         static_cast<std::int64_t>(ypt);
  if (n < 0) return std::unexpected(DateError::OutOfRange);
  const std::int64_t year = static_cast<std::int64_t>(yrs) + bump;
  if (year < INT32_MIN || year > INT32_MAX) return std::unexpected(DateError::OutOfRange);
  const auto month = static_cast<std::uint8_t>(n >> 16);
  const auto day = static_cast<std::uint8_t>(
      mul_high(static_cast<std::uint64_t>(n) & 0xFFFF, 8'619'973'866'219'416) + 1);  // /2140
  if (!from_ymd(static_cast<std::int32_t>(year), month, day))  // never taken for valid counts
    return std::unexpected(DateError::InvalidDate);
  return make(static_cast<std::int32_t>(year), month, day);
}

static_assert(Date{1970, 1, 1}.days_since_unix_epoch() == 0);
static_assert(Date{2000, 3, 1}.days_since_unix_epoch() == 11017);
static_assert(Date{0, 3, 1}.days_since_unix_epoch() == -719468);
static_assert(Date{INT32_MIN, 1, 1}.days_since_unix_epoch() == Date::min_days);
static_assert(Date{INT32_MAX, 12, 31}.days_since_unix_epoch() == Date::max_days);
static_assert(*Date::from_days_since_unix_epoch(19782) == Date{2024, 2, 29});
static_assert(*Date::from_days_since_unix_epoch(-719529) == Date{-1, 12, 31});
static_assert(*Date::from_days_since_unix_epoch(Date::min_days) == Date{INT32_MIN, 1, 1});
static_assert(*Date::from_days_since_unix_epoch(Date::max_days) == Date{INT32_MAX, 12, 31});
static_assert(!Date::from_days_since_unix_epoch(Date::min_days - 1));
static_assert(!Date::from_days_since_unix_epoch(Date::max_days + 1));
static_assert(is_leap_year(0) && is_leap_year(-4) && is_leap_year(-400) && is_leap_year(2000));
static_assert(!is_leap_year(1900) && !is_leap_year(-100) && !is_leap_year(2023));
static_assert(Date{2024, 2, 29}.weekday() == Weekday::Thursday);
static_assert(Date{2024, 12, 31}.ordinal() == 366 && Date{2023, 3, 1}.ordinal() == 60);

}  // namespace chronexa
