// SPDX-License-Identifier: MIT
//
// SipHash-1-3 with a zero key, the hash of every value: the bytes of the
// fields fed to it, little-endian, in order (at most 23 bytes). The result is
// never -1 (Python's error value for a hash).
#pragma once

#include <bit>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "compiler.hpp"
#include "int128.hpp"

namespace chronexa {

class Hasher {
 public:
  // Fields are packed into 64-bit words as they come: after inlining, the
  // offsets are constants and the words stay in registers (bytes stored to a
  // buffer and reloaded as words would stall on store forwarding). So every
  // step is inlined, as are the values' hash_fields: out of line the offsets
  // are run-time values and the words live in memory (zig's Clang 22.1 keeps
  // them out of line unless forced; the hash(...) rows).
  template <std::integral T>
  CHRONEXA_INLINE Hasher& write(T v) noexcept {
    static_assert(sizeof(T) <= 8);
    const std::uint64_t u = static_cast<std::make_unsigned_t<T>>(v);
    const std::size_t shift = (len_ % 8) * 8;
    words_[len_ / 8] |= u << shift;
    if (shift != 0 && shift + 8 * sizeof(T) > 64) words_[len_ / 8 + 1] |= u >> (64 - shift);
    len_ += sizeof(T);
    return *this;
  }
  CHRONEXA_INLINE Hasher& write(i128 v) noexcept {
    write(static_cast<std::uint64_t>(v));
    return write(static_cast<std::uint64_t>(static_cast<u128>(v) >> 64));
  }
  // A value: its fields, as its `hash_fields` feeds them (a field that is a
  // value itself feeds its own fields).
  template <class V>
    requires requires(const V& v, Hasher& h) { v.hash_fields(h); }
  CHRONEXA_INLINE Hasher& write(const V& v) noexcept {
    v.hash_fields(*this);
    return *this;
  }

  CHRONEXA_INLINE std::int64_t finish() const noexcept {
    std::uint64_t v0 = 0x736f6d6570736575ULL, v1 = 0x646f72616e646f6dULL,
                  v2 = 0x6c7967656e657261ULL, v3 = 0x7465646279746573ULL;
    auto round = [&] {
      v0 += v1;
      v1 = std::rotl(v1, 13);
      v1 ^= v0;
      v0 = std::rotl(v0, 32);
      v2 += v3;
      v3 = std::rotl(v3, 16);
      v3 ^= v2;
      v0 += v3;
      v3 = std::rotl(v3, 21);
      v3 ^= v0;
      v2 += v1;
      v1 = std::rotl(v1, 17);
      v1 ^= v2;
      v2 = std::rotl(v2, 32);
    };
    auto compress = [&](std::uint64_t m) {
      v3 ^= m;
      round();
      v0 ^= m;
    };
    const std::size_t full = len_ / 8;
    for (std::size_t i = 0; i < full; ++i) compress(words_[i]);
    // The last block: the remaining bytes, zero padded, length in the top byte.
    compress(words_[full] | static_cast<std::uint64_t>(len_) << 56);
    v2 ^= 0xff;
    round();
    round();
    round();
    std::uint64_t h = v0 ^ v1 ^ v2 ^ v3;
    if (h >= UINT64_MAX - 1) h = UINT64_MAX - 1;  // -1 is Python's error value for a hash
    return static_cast<std::int64_t>(h);
  }

 private:
  std::uint64_t words_[3] = {};  // little-endian byte order by construction
  std::size_t len_ = 0;
};

}  // namespace chronexa
