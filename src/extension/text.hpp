// SPDX-License-Identifier: MIT
//
// The text writer behind every __str__ and __repr__.
#pragma once

#include <Python.h>

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <type_traits>

#include "compiler.hpp"
#include "digits.hpp"
#include "errors.hpp"

namespace chronexa::py {

// python_string(pieces...) makes a str of the pieces' texts in order: string
// literals, string_views, integers in decimal, and core values with a text
// form (`write_text(char*)` writing at most `max_text_size` bytes). Texts
// past 128 bytes are refused with ValueError "Representation exceeds
// formatting buffer"; a string_view that is not ASCII is taken as UTF-8
// ("Invalid UTF-8 in representation" when it is not).
//
// Pieces that all know their length before writing (literals, and values
// with `text_size()` such as Duration::Decimal) are written straight into
// the str, allocated first (write_sized_pieces). Otherwise the pieces are
// written into a stack buffer through a pointer held in a register. A piece
// of bounded size is written while the text is within the capacity (the
// buffer's slack takes the rest), so when the bounds of all pieces add up to
// no more than the capacity, no length is checked at all; only string_view
// pieces are checked as they come.

// The stack buffer other texts are formatted into: `capacity` bytes of text,
// and slack past it that a bounded piece may spill into before the overflow
// is noticed.
struct FormatBuffer {
  static constexpr std::size_t capacity = 128;
  static constexpr std::size_t slack = 64;
  char bytes[capacity + slack];
};
inline constexpr std::size_t text_capacity = FormatBuffer::capacity;

template <std::size_t N>
struct LiteralPiece {
  const char (&s)[N];
  static constexpr std::size_t max_size = N - 1;
  static constexpr bool ascii = true;
  static constexpr std::size_t size() noexcept { return N - 1; }
  char* write(char* out) const noexcept {
    std::memcpy(out, s, N - 1);
    return out + N - 1;
  }
};
struct ViewPiece {  // of any size
  std::string_view s;
  bool ascii;
  char* write(char* out) const noexcept {
    std::memcpy(out, s.data(), s.size());
    return out + s.size();
  }
};
template <std::integral T>
struct IntegerPiece {
  T v;
  static constexpr std::size_t max_size = 20;
  static constexpr bool ascii = true;
  // Inlined, so that the writer of a repr saves no registers around it
  // (zig's Clang 22.1 calls it for the year of repr(Date)).
  CHRONEXA_INLINE char* write(char* out) const noexcept {
    if constexpr (std::is_signed_v<T>) return digits::write_i64(out, v);
    else return digits::write_u64(out, v);
  }
};
template <class V>
struct ValuePiece {
  const V& v;
  static constexpr std::size_t max_size = V::max_text_size;
  static constexpr bool ascii = true;
  char* write(char* out) const noexcept { return v.write_text(out); }
};
// A value that knows its text's length before writing it. Its members, and
// the writers down from python_string, are inlined by force: where either
// compiler made one of them a call (as they did in turn from build to
// build), the value went through memory and str() of a 128-bit count took
// about 10% longer.
template <class V>
struct SizedValuePiece : ValuePiece<V> {
  CHRONEXA_INLINE std::size_t size() const noexcept { return this->v.text_size(); }
  CHRONEXA_INLINE char* write(char* out) const noexcept { return this->v.write_text(out); }
};

template <std::size_t N>
LiteralPiece<N> piece(const char (&s)[N]) noexcept {
  return {s};
}
inline ViewPiece piece(std::string_view s) noexcept {
  bool ascii = true;
  for (const char c : s) ascii &= static_cast<unsigned char>(c) < 0x80;
  return {s, ascii};
}
template <std::integral T>
  requires(!std::same_as<T, char> && !std::same_as<T, bool>)
IntegerPiece<T> piece(T v) noexcept {
  return {v};
}
template <class V>
  requires requires(const V& v, char* p) {
    { v.write_text(p) } -> std::same_as<char*>;
    V::max_text_size;
  }
auto piece(const V& v) noexcept {
  if constexpr (requires { v.text_size(); }) return SizedValuePiece<V>{{v}};
  else return ValuePiece<V>{v};
}

template <class P>
constexpr std::size_t max_piece_size() noexcept {
  if constexpr (requires { P::max_size; }) return P::max_size;
  else return text_capacity + 1;  // unbounded: checked when written
}

// The str of `size` bytes at `text`: ValueError past text_capacity, the text
// taken as UTF-8 unless `ascii`.
PyObject* text_to_str(const char* text, std::size_t size, bool ascii) noexcept;

// A new compact ASCII str of `size` characters, to be filled through
// ascii_bytes(): its bytes follow the PyASCIIObject header. Null with the
// interpreter's exception when allocation fails.
inline PyObject* new_ascii_str(std::size_t size) noexcept {
  return PyUnicode_New(static_cast<Py_ssize_t>(size), 127);
}
inline char* ascii_bytes(PyObject* s) noexcept {
  return reinterpret_cast<char*>(reinterpret_cast<PyASCIIObject*>(s) + 1);
}

// The str of `size` <= text_capacity ASCII bytes at `text`: inline, the bytes
// copied in 16-byte moves, the last ones overlapping those before (no call to
// memcpy for a length known only at run time). Moves go two at a time, the
// last two ending at the text's end: 17 to 32 bytes take two moves, 33 to 64
// (most reprs) four, with no loop (a loop for them cost 5 to 7 instructions
// of setup and test per repr); shorter texts take two overlapping moves of 8
// or 4 bytes (a byte loop, which zig's Clang 22.1 unrolls into eight
// branches for the six bytes of str(UtcOffset)).
inline PyObject* ascii_text_to_str(const char* text, std::size_t size) noexcept {
  PyObject* s = new_ascii_str(size);
  if (s == nullptr) return nullptr;
  char* const to = ascii_bytes(s);
  if (size > 32) {
    std::memcpy(to, text, 16);
    std::memcpy(to + 16, text + 16, 16);
    for (std::size_t i = 32; i + 32 < size; i += 32) {  // past 64 bytes only
      std::memcpy(to + i, text + i, 16);
      std::memcpy(to + i + 16, text + i + 16, 16);
    }
    std::memcpy(to + size - 32, text + size - 32, 16);
    std::memcpy(to + size - 16, text + size - 16, 16);
  } else if (size >= 16) {
    std::memcpy(to, text, 16);
    std::memcpy(to + size - 16, text + size - 16, 16);
  } else if (size >= 8) {
    std::memcpy(to, text, 8);
    std::memcpy(to + size - 8, text + size - 8, 8);
  } else if (size >= 4) {
    std::memcpy(to, text, 4);
    std::memcpy(to + size - 4, text + size - 4, 4);
  } else if (size > 0) {  // the first, middle and last byte cover 1 to 3
    to[0] = text[0];
    to[size / 2] = text[size / 2];
    to[size - 1] = text[size - 1];
  }
  return s;
}

template <class P>
concept SizedPiece = requires(const P& p) {
  { p.size() } -> std::same_as<std::size_t>;
};

// The str of pieces that all know their length before writing
// (`size()`): allocated by the total, then written straight into it. No
// digit then waits in a stack buffer for a copy, whose loads would wait for
// the digits' stores: str() of a 128-bit count (31 digits, a long
// conversion) went from 1.5x to 1.2-1.3x its floor this way, where short
// texts gain nothing.
template <class... P>
CHRONEXA_INLINE inline PyObject* write_sized_pieces(const P&... pieces) noexcept {
  const std::size_t size = (pieces.size() + ...);
  PyObject* s = new_ascii_str(size);
  if (s == nullptr) return nullptr;
  char* out = ascii_bytes(s);
  [[maybe_unused]] char* const start = out;
  ((out = pieces.write(out)), ...);
  assert(static_cast<std::size_t>(out - start) == size);
  return s;
}

template <class... P>
PyObject* write_buffered_pieces(const P&... pieces) noexcept {
  static_assert(
      ((max_piece_size<P>() <= FormatBuffer::slack || max_piece_size<P>() > text_capacity) && ...));
  FormatBuffer b;
  char* const buf = b.bytes;
  char* out = buf;
  if constexpr ((max_piece_size<P>() + ...) <= text_capacity) {
    static_assert((P::ascii && ...));  // only string_views are unbounded or not ASCII
    ((out = pieces.write(out)), ...);
    return ascii_text_to_str(buf, static_cast<std::size_t>(out - buf));
  } else {
    bool overflow = false;
    auto put = [&](const auto& p) {
      const auto used = static_cast<std::size_t>(out - buf);
      if constexpr (requires { p.max_size; }) overflow |= used > text_capacity;
      else overflow |= used + p.s.size() > text_capacity;
      if (!overflow) out = p.write(out);
    };
    (put(pieces), ...);
    if (overflow) out = buf + text_capacity + 1;
    return text_to_str(buf, static_cast<std::size_t>(out - buf), (pieces.ascii && ...));
  }
}

template <class... P>
CHRONEXA_INLINE inline PyObject* write_pieces(const P&... pieces) noexcept {
  if constexpr ((SizedPiece<P> && ...)) {
    static_assert((P::ascii && ...) && (max_piece_size<P>() + ...) <= text_capacity);
    return write_sized_pieces(pieces...);
  } else {
    return write_buffered_pieces(pieces...);
  }
}

template <class... P>
CHRONEXA_INLINE inline PyObject* python_string(const P&... pieces) noexcept {
  return write_pieces(piece(pieces)...);
}

}  // namespace chronexa::py
