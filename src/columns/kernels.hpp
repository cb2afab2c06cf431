// SPDX-License-Identifier: MIT
//
// The column kernels: whole buffers of text parsed into Arrow-shaped value
// buffers, and value buffers formatted into text, with no Python header (the
// fuzz target and the module share them). A row is parsed by the canonical
// layout's fast path when it has that layout and by the core's own parser
// otherwise, so every row gets exactly the scalar class's answer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "date_time.hpp"
#include "offset_date_time.hpp"

namespace chronexa::columns {

// One chunk of Arrow strings: utf8 (32-bit offsets), large_utf8 (64-bit) or
// string_view (16-byte views into variadic buffers). `offset` is the array's
// own offset (a slice); rows are counted from it.
struct Strings {
  enum class Layout : std::uint8_t { Offsets32, Offsets64, View };
  Layout layout = Layout::Offsets32;
  std::int64_t length = 0;
  std::int64_t offset = 0;
  const std::uint8_t* validity = nullptr;  // nullptr: no nulls
  const std::int32_t* offsets32 = nullptr;
  const std::int64_t* offsets64 = nullptr;
  const char* data = nullptr;
  const std::uint8_t* views = nullptr;
  const char* const* view_buffers = nullptr;

  bool valid(std::int64_t i) const noexcept {
    const std::int64_t j = i + offset;
    return validity == nullptr || (validity[j >> 3] >> (j & 7) & 1) != 0;
  }
  std::string_view get(std::int64_t i) const noexcept {
    const std::int64_t j = i + offset;
    switch (layout) {
      case Layout::Offsets32:
        return {data + offsets32[j], static_cast<std::size_t>(offsets32[j + 1] - offsets32[j])};
      case Layout::Offsets64:
        return {data + offsets64[j], static_cast<std::size_t>(offsets64[j + 1] - offsets64[j])};
      case Layout::View: break;
    }
    const std::uint8_t* v = views + 16 * j;
    std::int32_t size;
    __builtin_memcpy(&size, v, 4);
    if (size <= 12) return {reinterpret_cast<const char*>(v + 4), static_cast<std::size_t>(size)};
    std::int32_t buffer, start;
    __builtin_memcpy(&buffer, v + 8, 4);
    __builtin_memcpy(&start, v + 12, 4);
    return {view_buffers[buffer] + start, static_cast<std::size_t>(size)};
  }
};

enum class Kind : std::uint8_t { Date, Time, DateTime, OffsetDateTime };
enum class Unit : std::uint8_t { S, Ms, Us, Ns };

// Nanoseconds per unit, and the unit's name as Arrow and the messages spell it.
constexpr std::int64_t unit_nanos(Unit u) noexcept {
  constexpr std::int64_t n[] = {1'000'000'000, 1'000'000, 1'000, 1};
  return n[static_cast<int>(u)];
}
constexpr std::string_view unit_name(Unit u) noexcept {
  constexpr std::string_view n[] = {"s", "ms", "us", "ns"};
  return n[static_cast<int>(u)];
}

// Why a row has no value. Syntax: the scalar parser refuses the text. Range:
// the value does not fit the column's type (date32, or int64 counts of the
// unit). Precision: the text is finer than the unit (a fraction of a second
// at unit "s"), which would need truncation.
enum class RowError : std::uint8_t { None, Syntax, Range, Precision };

struct Failure {
  std::int64_t row = -1;  // within the chunk; -1: none
  RowError error = RowError::None;
};

// Where a parse writes: `values` (int32 for dates, int64 otherwise) and, for
// Kind::OffsetDateTime when wanted, `offsets` (int32 seconds). `validity` is
// a zeroed bitmap of length bits; a row that is null or (null_on_error) fails
// keeps its 0 bit and a zero value. `nulls` counts them.
struct ParseOut {
  void* values = nullptr;
  std::int32_t* offsets = nullptr;
  std::uint8_t* validity = nullptr;
  std::int64_t nulls = 0;
};

// Parses every row of `in`. With null_on_error a failing row becomes null;
// without, the first failure stops the parse and is returned.
Failure parse_strings(const Strings& in, Kind kind, Unit unit, bool null_on_error,
                      ParseOut& out) noexcept;

// The canonical layout YYYY-MM-DDTHH:MM:SS[.f{1,9}](Z|+HH:MM|-HH:MM): true
// with the UTC instant (Unix seconds, nanoseconds) and the offset when the
// text has it and is valid; false sends the row to the core's parser, which
// has the last word (every text the fast path accepts, the core accepts with
// the same value). `zulu_only`: DateTime's grammar, which has no numeric
// offset.
struct Instant {
  std::int64_t secs;
  std::uint32_t nanos;
  std::int32_t offset;
};
bool fast_instant_scalar(const char* p, std::size_t n, bool zulu_only, Instant& out) noexcept;
bool fast_instant_sse41(const char* p, std::size_t n, bool zulu_only, Instant& out) noexcept;

// Which fast path parse_strings uses: the SSE4.1 one when the CPU has it,
// unless a test asks for the scalar one.
bool cpu_has_sse41() noexcept;
void use_simd(bool on) noexcept;
bool simd_in_use() noexcept;

// The instant as a count of `unit`; Range or Precision when it is no int64
// count of that unit.
RowError instant_count(std::int64_t secs, std::uint32_t nanos, Unit unit,
                       std::int64_t& count) noexcept;

// A growing text column: data and 64-bit offsets, narrowed to 32 bits on
// export when the data is small enough.
struct TextOut {
  std::vector<char> data;
  std::vector<std::int64_t> offsets{0};
  std::vector<std::uint8_t> validity;  // empty: no nulls so far
  std::int64_t nulls = 0;
  std::int64_t rows = 0;

  char* room(std::size_t n) {
    const std::size_t used = static_cast<std::size_t>(offsets.back());
    if (data.size() < used + n) data.resize(std::max(data.size() * 2, used + n + 4096));
    return data.data() + used;
  }
  void end_row(const char* end) {
    offsets.push_back(end - data.data());
    ++rows;
  }
  void null_row();
};

// Values to format: `count` rows of int32 or int64 at `values` (already at the
// array's offset), with an optional validity bitmap read from bit
// `validity_offset`. `nat` marks numpy's int64 minimum as null.
struct Values {
  const void* values = nullptr;
  bool wide = true;  // int64 rather than int32
  std::int64_t length = 0;
  const std::uint8_t* validity = nullptr;
  std::int64_t validity_offset = 0;
  bool nat = false;

  std::int64_t at(std::int64_t i) const noexcept {
    if (wide) return static_cast<const std::int64_t*>(values)[i];
    return static_cast<const std::int32_t*>(values)[i];
  }
  bool valid(std::int64_t i) const noexcept {
    if (validity != nullptr) {
      const std::int64_t j = i + validity_offset;
      if ((validity[j >> 3] >> (j & 7) & 1) == 0) return false;
    }
    return !(nat && wide && at(i) == INT64_MIN);
  }
};

// Date texts from day counts; Time texts from counts of `unit` since
// midnight; DateTime texts (or, with offsets, OffsetDateTime texts) from
// counts of `unit` since the epoch. `offsets`: nullptr (DateTime), or one
// offset for every row (`offset_step` 0) or one per row (step 1, int32
// values with their own validity). Returns the first row that has no text
// (a day count beyond the Date range, a time outside the day, an offset
// beyond 24 hours), with RowError::Range.
struct OffsetsIn {
  const std::int32_t* seconds = nullptr;
  std::int64_t step = 0;
  const std::uint8_t* validity = nullptr;
  std::int64_t validity_offset = 0;
};
Failure format_values(const Values& in, Kind kind, Unit unit, const OffsetsIn* offsets,
                      TextOut& out);

}  // namespace chronexa::columns
