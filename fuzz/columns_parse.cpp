// SPDX-License-Identifier: MIT
//
// The column kernels against the scalar parsers on column-shaped input: the
// bytes are split at '\n' into rows of one Arrow utf8 chunk (each row copied
// into a buffer of exactly its size, so AddressSanitizer reports any read past
// a row's end by the fast path's loads), parsed at nanoseconds by the SSE4.1
// and the scalar fast path, and every row must be what OffsetDateTime::parse
// or DateTime::parse gives, or null exactly where they refuse it or its
// instant does not fit.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "kernels.hpp"
#include "reference.hpp"

using namespace chronexa;
using namespace chronexa::columns;

namespace {

void check_rows(const std::vector<std::string_view>& rows, std::string_view all, Kind kind) {
  // One contiguous data buffer, as Arrow lays it out.
  std::string data;
  std::vector<std::int32_t> offsets{0};
  for (auto r : rows) {
    data += r;
    offsets.push_back(static_cast<std::int32_t>(data.size()));
  }
  auto exact = std::make_unique<char[]>(data.size() + 1);
  std::copy(data.begin(), data.end(), exact.get());
  Strings in;
  in.length = static_cast<std::int64_t>(rows.size());
  in.offsets32 = offsets.data();
  in.data = exact.get();
  for (const bool simd : {false, true}) {
    if (simd && !cpu_has_sse41()) continue;
    use_simd(simd);
    std::vector<std::int64_t> values(rows.size());
    std::vector<std::int32_t> offs(rows.size());
    std::vector<std::uint8_t> validity((rows.size() + 7) / 8);
    ParseOut out{values.data(), offs.data(), validity.data(), 0};
    FUZZ_CHECK(parse_strings(in, kind, Unit::Ns, true, out).row < 0, all);
    for (std::size_t i = 0; i < rows.size(); ++i) {
      const bool valid = validity[i >> 3] >> (i & 7) & 1;
      std::int64_t want = 0;
      std::int32_t want_offset = 0;
      bool ok;
      if (kind == Kind::OffsetDateTime) {
        const auto v = OffsetDateTime::parse(rows[i]);
        ok = v && instant_count(v->unix_timestamp(), v->utc.time.nanosecond, Unit::Ns, want) ==
                      RowError::None;
        if (v) want_offset = v->offset.seconds;
      } else {
        const auto v = DateTime::parse(rows[i]);
        ok = v && instant_count(v->unix_timestamp(), v->time.nanosecond, Unit::Ns, want) ==
                      RowError::None;
      }
      FUZZ_CHECK(valid == ok, rows[i]);
      if (ok) {
        FUZZ_CHECK(values[i] == want, rows[i]);
        if (kind == Kind::OffsetDateTime) FUZZ_CHECK(offs[i] == want_offset, rows[i]);
      }
    }
  }
  use_simd(true);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view s(reinterpret_cast<const char*>(data), size);
  std::vector<std::string_view> rows;
  for (std::size_t start = 0;;) {
    const std::size_t end = s.find('\n', start);
    rows.push_back(s.substr(start, end == std::string_view::npos ? end : end - start));
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  check_rows(rows, s, Kind::OffsetDateTime);
  check_rows(rows, s, Kind::DateTime);
  // Each fast path alone: whatever it accepts, the core accepts with the same
  // instant (a row copied to a buffer of its own size).
  for (auto r : rows) {
    auto own = std::make_unique<char[]>(r.size());
    std::copy(r.begin(), r.end(), own.get());
    for (const bool zulu_only : {false, true}) {
      Instant a{}, b{};
      const bool fa = fast_instant_scalar(own.get(), r.size(), zulu_only, a);
      const bool fb = cpu_has_sse41() && fast_instant_sse41(own.get(), r.size(), zulu_only, b);
      if (cpu_has_sse41()) FUZZ_CHECK(fa == fb, r);
      if (fa) {
        const auto v = OffsetDateTime::parse(r);
        FUZZ_CHECK(v.has_value(), r);
        FUZZ_CHECK(v->unix_timestamp() == a.secs && v->utc.time.nanosecond == a.nanos &&
                       v->offset.seconds == a.offset,
                   r);
        if (fb) FUZZ_CHECK(a.secs == b.secs && a.nanos == b.nanos && a.offset == b.offset, r);
      }
    }
  }
  return 0;
}
