// SPDX-License-Identifier: MIT
//
// Compiler-specific spellings, each written once for the whole tree.
#pragma once

// Forced inlining, for the small functions of the hot paths (text writers,
// the hasher's steps, argument binding) that a compiler would otherwise
// call: only in optimised builds, so that debug and sanitizer builds keep
// their frames and stay quick to compile. Where a site needs it is measured,
// not guessed: docs/performance.md has the rows (chiefly the wheel's Clang,
// which keeps more of them out of line than GCC does).
#if defined(__OPTIMIZE__) && !defined(__SANITIZE_ADDRESS__)
#define CHRONEXA_INLINE [[gnu::always_inline]]
#else
#define CHRONEXA_INLINE
#endif

// Called rather than inlined: a function whose std::expected<Date, ...>
// result its caller returns on. Inlined, GCC 16.2 assembles such a result on
// the stack from a 4-byte and a 2-byte store and reads it back as 8 bytes, a
// store-forwarding stall; from a call it comes back in a register (rows
// Date.add_days(1) and DateTime.from_unix_timestamp, docs/performance.md).
// Date::make packs the fields into one word for the same reason. Applied for
// both compilers: the wheel's Clang build is measured with it.
#define CHRONEXA_RETURNS_EXPECTED_DATE [[gnu::noinline]]
