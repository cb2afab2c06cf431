// SPDX-License-Identifier: MIT
//
// Internal faults: a broken invariant or a failed system call. They are the
// one thing in the core that does not return; bad input never faults.
#pragma once

#include <source_location>

namespace chronexa {

// What a fault throws. The Python entry wrappers catch it and raise
// PanicException with `message`.
struct InternalFault {
  const char* message;
};

// Writes a short report (thread name, source location, message) to standard
// error, then throws InternalFault. `message` must outlive the throw: pass a
// string literal.
[[noreturn]] void fault(const char* message,
                        std::source_location where = std::source_location::current());

}  // namespace chronexa
