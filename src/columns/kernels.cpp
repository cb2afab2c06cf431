// SPDX-License-Identifier: MIT
#include "kernels.hpp"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <immintrin.h>
#define CHRONEXA_X86 1
#endif

namespace chronexa::columns {
namespace {

constexpr std::uint32_t pow10[10] = {1,       10,        100,        1'000,       10'000,
                                     100'000, 1'000'000, 10'000'000, 100'000'000, 1'000'000'000};

// Days from 1970-01-01 to 1 January of the years 1600 to 2400, which hold
// every instant of int64 nanoseconds (1677 to 2262) with room: one load
// instead of the era arithmetic of days_since_unix_epoch for the years most
// columns hold.
constexpr int first_table_year = 1600;
constexpr int last_table_year = 2400;
constexpr auto year_starts = [] {
  std::array<std::int32_t, last_table_year - first_table_year + 1> t{};
  for (int y = first_table_year; y <= last_table_year; ++y)
    t[static_cast<std::size_t>(y - first_table_year)] = static_cast<std::int32_t>(
        Date{y, 1, 1}.days_since_unix_epoch());
  return t;
}();
static_assert(year_starts[1970 - first_table_year] == 0);

// Days before each month of a common year.
constexpr std::int32_t month_starts[13] = {0,   0,   31,  59,  90,  120, 151,
                                           181, 212, 243, 273, 304, 334};

// The day count of a valid date.
inline std::int64_t day_count(int year, int month, int day) noexcept {
  if (year >= first_table_year && year <= last_table_year) {
    const bool leap_day_before = month > 2 && is_leap_year(year);
    return year_starts[static_cast<std::size_t>(year - first_table_year)] + month_starts[month] +
           day - 1 + leap_day_before;
  }
  return Date{year, static_cast<std::uint8_t>(month), static_cast<std::uint8_t>(day)}
      .days_since_unix_epoch();
}

inline bool digit(char c) noexcept { return static_cast<unsigned char>(c - '0') < 10; }
inline unsigned bit(bool b) noexcept { return b; }
inline int two(const char* p) noexcept { return (p[0] - '0') * 10 + (p[1] - '0'); }

// The end of the text: "Z", or (unless zulu_only) "+HH:MM" / "-HH:MM". Read
// from the end without a branch between the two (columns mix them, and a
// mispredicted branch costs more than reading both ways); what lies between
// position 19 and the end is then the fraction, ".f" to ".fffffffff", whose
// digit count `k` this sets (0: none). n >= 20, so the six bytes before the
// end are the text's own.
CHRONEXA_INLINE inline bool read_end(const char* p, std::size_t n, bool zulu_only,
                                     std::int32_t& offset, std::size_t& k) noexcept {
  const char* o = p + n - 6;
  const bool zulu = p[n - 1] == 'Z';
  const int oh = two(o + 1), om = two(o + 4);
  // Bitwise, as bits: one test rather than a branch per byte.
  const unsigned numeric = bit(!zulu_only) & bit(o[0] == '+' || o[0] == '-') & bit(digit(o[1])) &
                           bit(digit(o[2])) & bit(o[3] == ':') & bit(digit(o[4])) &
                           bit(digit(o[5])) & bit(oh <= 23) & bit(om <= 59);
  if ((bit(zulu) | numeric) == 0) return false;
  const std::int32_t off = oh * 3600 + om * 60;
  offset = zulu ? 0 : o[0] == '-' ? -off : off;
  const std::size_t body = n - (zulu ? 1 : 6);
  k = body - 20;
  if (body == 19) {
    k = 0;
    return true;
  }
  return body >= 21 && body <= 29 && p[19] == '.';
}

// The instant of fields read from the canonical layout, once they are known
// to be valid; false sends the row to the core.
CHRONEXA_INLINE inline bool instant_of_fields(int year, int month, int day, int hour, int minute,
                                              int second, std::uint32_t nanos, std::int32_t offset,
                                              Instant& out) noexcept {
  if (month < 1 || month > 12 || day < 1 ||
      day > days_in_month(year, static_cast<std::uint8_t>(month)) || hour > 23 || minute > 59 ||
      second > 59)
    return false;
  // Years 0 to 9999: the local time minus a day's offset stays in range.
  out.secs = day_count(year, month, day) * 86'400 + hour * 3600 + minute * 60 + second - offset;
  out.nanos = nanos;
  out.offset = offset;
  return true;
}

std::atomic<bool> simd_wanted{true};

// read_end, instant_of_fields and fast_scalar are inlined into the loop of
// each layout (scalar and SSE4.1), so that a row's fields stay in registers:
// the rows "Arrow, canonical layout" and "isoformat() mix" of
// make bench-columns.
CHRONEXA_INLINE inline bool fast_scalar(const char* p, std::size_t n, bool zulu_only,
                                        Instant& out) noexcept {
  if (n < 20) return false;
  bool digits = true;
  for (const int i : {0, 1, 2, 3, 5, 6, 8, 9, 11, 12, 14, 15, 17, 18}) digits &= digit(p[i]);
  if (!digits || p[4] != '-' || p[7] != '-' || p[10] != 'T' || p[13] != ':' || p[16] != ':')
    return false;
  std::int32_t offset;
  std::size_t k;
  if (!read_end(p, n, zulu_only, offset, k)) return false;
  std::uint32_t v = 0;
  for (std::size_t j = 0; j < k; ++j) {
    digits &= digit(p[20 + j]);
    v = v * 10 + static_cast<unsigned char>(p[20 + j] - '0');
  }
  if (!digits) return false;
  return instant_of_fields(two(p) * 100 + two(p + 2), two(p + 5), two(p + 8), two(p + 11),
                           two(p + 14), two(p + 17), v * pow10[9 - k], offset, out);
}

#ifdef CHRONEXA_X86
// Two loads. The first 16 bytes, "YYYY-MM-DDTHH:MM": less the template
// "0000-00-00T00:00" every byte must be at most its position's limit (9 for a
// digit, 0 for a separator), one saturating subtraction checking separators
// and digits together; a shuffle lines the digits up in pairs and pmaddubsw
// makes each pair its value. The last 16 bytes hold the whole fraction: a
// shuffle moves its k digits to the front, zeros after them, so that
// pmaddubsw and pmaddwd make the nine-digit nanosecond count with no loop.
__attribute__((target("sse4.1"))) inline bool fast_sse41(const char* p, std::size_t n,
                                                         bool zulu_only, Instant& out) noexcept {
  if (n < 20) return false;
  const __m128i zero_digits = _mm_set1_epi8('0');
  const __m128i head = _mm_sub_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)),
                                    _mm_setr_epi8('0', '0', '0', '0', '-', '0', '0', '-', '0', '0',
                                                  'T', '0', '0', ':', '0', '0'));
  const __m128i limits = _mm_setr_epi8(9, 9, 9, 9, 0, 9, 9, 0, 9, 9, 0, 9, 9, 0, 9, 9);
  const __m128i all = _mm_set1_epi8(-1);
  if (!_mm_testz_si128(_mm_subs_epu8(head, limits), all)) return false;
  if (p[16] != ':' || !digit(p[17]) || !digit(p[18])) return false;
  std::int32_t offset;
  std::size_t k;
  if (!read_end(p, n, zulu_only, offset, k)) return false;
  // n <= 35 here: fraction digit j is byte 36 + j - n of the last 16.
  const __m128i tail = _mm_sub_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + n - 16)),
                                    zero_digits);
  const __m128i lane = _mm_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
  const __m128i from = _mm_add_epi8(lane, _mm_set1_epi8(static_cast<char>(36 - n)));
  const __m128i in_fraction = _mm_cmplt_epi8(lane, _mm_set1_epi8(static_cast<char>(k)));
  const __m128i f = _mm_shuffle_epi8(
      tail, _mm_blendv_epi8(_mm_set1_epi8(static_cast<char>(0x80)), from, in_fraction));
  if (!_mm_testz_si128(_mm_subs_epu8(f, _mm_set1_epi8(9)), all)) return false;
  const __m128i tens = _mm_setr_epi8(10, 1, 10, 1, 10, 1, 10, 1, 10, 1, 10, 1, 10, 1, 10, 1);
  const __m128i quads = _mm_madd_epi16(_mm_maddubs_epi16(f, tens),
                                       _mm_setr_epi16(100, 1, 100, 1, 100, 1, 100, 1));
  // Digits 0-3, 4-7, and digit 8.
  const auto nanos = static_cast<std::uint32_t>(_mm_cvtsi128_si32(quads) * 100'000 +
                                                _mm_extract_epi32(quads, 1) * 10 +
                                                _mm_extract_epi8(f, 8));
  const __m128i fields = _mm_shuffle_epi8(
      head, _mm_setr_epi8(0, 1, 2, 3, 5, 6, 8, 9, 11, 12, 14, 15, -1, -1, -1, -1));
  const __m128i v = _mm_maddubs_epi16(fields, tens);
  return instant_of_fields(_mm_extract_epi16(v, 0) * 100 + _mm_extract_epi16(v, 1),
                           _mm_extract_epi16(v, 2), _mm_extract_epi16(v, 3),
                           _mm_extract_epi16(v, 4), _mm_extract_epi16(v, 5), two(p + 17), nanos,
                           offset, out);
}
#endif

}  // namespace

bool fast_instant_scalar(const char* p, std::size_t n, bool zulu_only, Instant& out) noexcept {
  return fast_scalar(p, n, zulu_only, out);
}

#ifdef CHRONEXA_X86
__attribute__((target("sse4.1"))) bool fast_instant_sse41(const char* p, std::size_t n,
                                                          bool zulu_only, Instant& out) noexcept {
  return fast_sse41(p, n, zulu_only, out);
}
// CPUID leaf 1 directly: __builtin_cpu_supports reads a table that a
// constructor of the compiler's runtime fills, and in the wheel's build
// (zig's clang, the runtime linked into this module) the table stayed empty.
// The fast path needs SSSE3 (pshufb, pmaddubsw) and SSE4.1.
bool cpu_has_sse41() noexcept {
  static const bool has = [] {
    unsigned a, b, c, d;
    if (__get_cpuid(1, &a, &b, &c, &d) == 0) return false;
    return (c & bit_SSSE3) != 0 && (c & bit_SSE4_1) != 0;
  }();
  return has;
}
#else
bool fast_instant_sse41(const char* p, std::size_t n, bool zulu_only, Instant& out) noexcept {
  return fast_scalar(p, n, zulu_only, out);
}
bool cpu_has_sse41() noexcept { return false; }
#endif

void use_simd(bool on) noexcept { simd_wanted.store(on, std::memory_order_relaxed); }
bool simd_in_use() noexcept {
  return simd_wanted.load(std::memory_order_relaxed) && cpu_has_sse41();
}

RowError instant_count(std::int64_t secs, std::uint32_t nanos, Unit unit,
                       std::int64_t& count) noexcept {
  if (unit == Unit::Ns) {
    // One 64-bit product for all but the last second before the int64 minimum.
    std::int64_t c;
    if (!__builtin_mul_overflow(secs, 1'000'000'000, &c) && !__builtin_add_overflow(c, nanos, &c)) {
      count = c;
      return RowError::None;
    }
  }
  const std::int64_t per = unit_nanos(unit);
  if (nanos % per != 0) return RowError::Precision;
  const i128 c = static_cast<i128>(secs) * (1'000'000'000 / per) + nanos / per;
  if (c < INT64_MIN || c > INT64_MAX) return RowError::Range;
  count = static_cast<std::int64_t>(c);
  return RowError::None;
}

namespace {

// One row of text into its value; the general road is the core's parser.
// The loops below are inlined by flattening into parse_plain and
// parse_sse41, the fast path with them: the SSE4.1 code only ever inlines into
// the function compiled for it.
template <Kind kind, bool simd>
inline RowError parse_row(std::string_view s, Unit unit, void* values, std::int32_t* offsets,
                          std::int64_t i) noexcept {
  if constexpr (kind == Kind::Date) {
    // "YYYY-MM-DD", the layout nearly every date column has: the table's day
    // count, with no era arithmetic and no call.
    if (s.size() == 10) {
      const char* p = s.data();
      bool digits = true;
      for (const int j : {0, 1, 2, 3, 5, 6, 8, 9}) digits &= digit(p[j]);
      const int year = two(p) * 100 + two(p + 2), month = two(p + 5), day = two(p + 8);
      if (digits && p[4] == '-' && p[7] == '-' && month >= 1 && month <= 12 && day >= 1 &&
          day <= days_in_month(year, static_cast<std::uint8_t>(month))) {
        static_cast<std::int32_t*>(values)[i] = static_cast<std::int32_t>(
            day_count(year, month, day));
        return RowError::None;
      }
    }
    const auto d = Date::parse(s);
    if (!d) return RowError::Syntax;
    const std::int64_t days = d->days_since_unix_epoch();
    if (days < INT32_MIN || days > INT32_MAX) return RowError::Range;
    static_cast<std::int32_t*>(values)[i] = static_cast<std::int32_t>(days);
    return RowError::None;
  } else if constexpr (kind == Kind::Time) {
    const auto t = Time::parse(s);
    if (!t) return RowError::Syntax;
    static_cast<std::int64_t*>(values)[i] = static_cast<std::int64_t>(t->nanos_since_midnight());
    return RowError::None;
  } else {
    constexpr bool zulu_only = kind == Kind::DateTime;
    Instant at;
    bool fast;
#ifdef CHRONEXA_X86
    if constexpr (simd) fast = fast_sse41(s.data(), s.size(), zulu_only, at);
    else fast = fast_scalar(s.data(), s.size(), zulu_only, at);
#else
    fast = fast_scalar(s.data(), s.size(), zulu_only, at);
#endif
    if (!fast) [[unlikely]] {
      if constexpr (zulu_only) {
        const auto dt = DateTime::parse(s);
        if (!dt) return RowError::Syntax;
        at = {dt->unix_timestamp(), dt->time.nanosecond, 0};
      } else {
        const auto odt = OffsetDateTime::parse(s);
        if (!odt) return RowError::Syntax;
        at = {odt->unix_timestamp(), odt->utc.time.nanosecond, odt->offset.seconds};
      }
    }
    std::int64_t count;
    if (const RowError e = instant_count(at.secs, at.nanos, unit, count); e != RowError::None)
      return e;
    static_cast<std::int64_t*>(values)[i] = count;
    if (offsets != nullptr) offsets[i] = at.offset;
    return RowError::None;
  }
}

template <Kind kind, Strings::Layout layout, bool simd>
inline Failure parse_loop(const Strings& in, Unit unit, bool null_on_error,
                          ParseOut& out) noexcept {
  Strings s = in;
  s.layout = layout;  // a constant for get()'s switch
  // The validity bits of eight rows gather in a register and are stored once:
  // or-ing each into the bitmap made every row wait for the previous row's
  // store of the same byte.
  std::uint8_t bits = 0;
  for (std::int64_t i = 0; i < s.length; ++i) {
    bool ok = false;
    if (s.valid(i)) {
      const RowError e = parse_row<kind, simd>(s.get(i), unit, out.values, out.offsets, i);
      ok = e == RowError::None;
      if (!ok && !null_on_error) [[unlikely]] {
        out.validity[i >> 3] = bits;
        return {i, e};
      }
    }
    out.nulls += !ok;
    bits = static_cast<std::uint8_t>(bits | unsigned{ok} << (i & 7));
    if ((i & 7) == 7) {
      out.validity[i >> 3] = bits;
      bits = 0;
    }
  }
  if ((s.length & 7) != 0) out.validity[s.length >> 3] = bits;
  return {};
}

template <bool simd>
inline Failure parse_by_layout(const Strings& in, Kind kind, Unit unit, bool null_on_error,
                               ParseOut& out) noexcept {
  using L = Strings::Layout;
#define CHRONEXA_LAYOUTS(K)                                                                    \
  switch (in.layout) {                                                                         \
    case L::Offsets32: return parse_loop<K, L::Offsets32, simd>(in, unit, null_on_error, out); \
    case L::Offsets64: return parse_loop<K, L::Offsets64, simd>(in, unit, null_on_error, out); \
    case L::View: return parse_loop<K, L::View, simd>(in, unit, null_on_error, out);           \
  }                                                                                            \
  return {};
  switch (kind) {
    case Kind::Date: CHRONEXA_LAYOUTS(Kind::Date)
    case Kind::Time: CHRONEXA_LAYOUTS(Kind::Time)
    case Kind::DateTime: CHRONEXA_LAYOUTS(Kind::DateTime)
    case Kind::OffsetDateTime: CHRONEXA_LAYOUTS(Kind::OffsetDateTime)
  }
#undef CHRONEXA_LAYOUTS
  return {};
}

[[gnu::flatten]] Failure parse_plain(const Strings& in, Kind kind, Unit unit, bool null_on_error,
                                     ParseOut& out) noexcept {
  return parse_by_layout<false>(in, kind, unit, null_on_error, out);
}

#ifdef CHRONEXA_X86
// The same loops compiled for SSE4.1, which the fast path inlines into.
__attribute__((target("sse4.1"), flatten)) Failure parse_sse41(const Strings& in, Kind kind,
                                                               Unit unit, bool null_on_error,
                                                               ParseOut& out) noexcept {
  return parse_by_layout<true>(in, kind, unit, null_on_error, out);
}
#endif

}  // namespace

Failure parse_strings(const Strings& in, Kind kind, Unit unit, bool null_on_error,
                      ParseOut& out) noexcept {
#ifdef CHRONEXA_X86
  if (simd_in_use()) return parse_sse41(in, kind, unit, null_on_error, out);
#endif
  return parse_plain(in, kind, unit, null_on_error, out);
}

void TextOut::null_row() {
  if (validity.empty()) validity.assign(static_cast<std::size_t>(rows / 8 + 1), 0xFF);
  const auto need = static_cast<std::size_t>(rows / 8 + 1);
  if (validity.size() < need) validity.resize(std::max(need, validity.size() * 2), 0xFF);
  validity[static_cast<std::size_t>(rows >> 3)] &= static_cast<std::uint8_t>(~(1u << (rows & 7)));
  ++nulls;
  offsets.push_back(offsets.back());
  ++rows;
}

namespace {

// The instant of a count of `unit`, split by floor division.
inline std::expected<DateTime, DateError> instant_of(std::int64_t count, Unit unit) noexcept {
  const std::int64_t per_second = 1'000'000'000 / unit_nanos(unit);
  std::int64_t secs = count / per_second, rest = count % per_second;
  if (rest < 0) {
    rest += per_second;
    --secs;
  }
  return DateTime::from_unix_timestamp(secs, static_cast<std::int32_t>(rest * unit_nanos(unit)));
}

}  // namespace

Failure format_values(const Values& in, Kind kind, Unit unit, const OffsetsIn* offsets,
                      TextOut& out) {
  out.offsets.reserve(static_cast<std::size_t>(in.length) + 1);
  for (std::int64_t i = 0; i < in.length; ++i) {
    if (!in.valid(i)) {
      out.null_row();
      continue;
    }
    const std::int64_t v = in.at(i);
    switch (kind) {
      case Kind::Date: {
        const auto d = Date::from_days_since_unix_epoch(v);
        if (!d) return {i, RowError::Range};
        out.end_row(d->write_text(out.room(Date::max_text_size)));
        break;
      }
      case Kind::Time: {
        const i128 nanos = static_cast<i128>(v) * unit_nanos(unit);
        if (nanos < 0 || nanos >= i128{86'400} * 1'000'000'000) return {i, RowError::Range};
        const auto n = static_cast<std::uint64_t>(nanos);
        const auto secs = static_cast<std::uint32_t>(n / 1'000'000'000);
        const auto t = Time::from_hms_nano(
            static_cast<std::uint8_t>(secs / 3600), static_cast<std::uint8_t>(secs % 3600 / 60),
            static_cast<std::uint8_t>(secs % 60), static_cast<std::uint32_t>(n % 1'000'000'000));
        out.end_row(t->write_text(out.room(Time::max_text_size)));
        break;
      }
      case Kind::DateTime: {
        const auto dt = instant_of(v, unit);
        if (!dt) return {i, RowError::Range};
        out.end_row(dt->write_text(out.room(DateTime::max_text_size)));
        break;
      }
      case Kind::OffsetDateTime: {
        const std::int64_t k = i * offsets->step;
        if (offsets->validity != nullptr) {
          const std::int64_t j = k + offsets->validity_offset;
          if ((offsets->validity[j >> 3] >> (j & 7) & 1) == 0) {
            out.null_row();
            break;
          }
        }
        const auto dt = instant_of(v, unit);
        const auto off = UtcOffset::from_seconds(offsets->seconds[k]);
        if (!dt || !off) return {i, RowError::Range};
        const auto odt = OffsetDateTime::from_utc(*dt, *off);
        if (!odt.has_text()) return {i, RowError::Range};
        out.end_row(odt.write_text(out.room(OffsetDateTime::max_text_size)));
        break;
      }
    }
  }
  return {};
}

}  // namespace chronexa::columns
