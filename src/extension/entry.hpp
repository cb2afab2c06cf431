// SPDX-License-Identifier: MIT
//
// Entry wrappers: the functions the interpreter calls. Each runs a member's
// body and turns an internal fault escaping it into PanicException.
#pragma once

#include <Python.h>

#include <type_traits>

#include "fault.hpp"

namespace chronexa::py {

// Sets PanicException with `message` (a generic text when null) as the
// current exception.
void raise_panic(const char* message) noexcept;

template <class R>
R error_indicator() noexcept {
  if constexpr (std::is_pointer_v<R>) return nullptr;
  else return static_cast<R>(-1);
}

// Entry<body>::call has the body's own C signature: it runs the body and turns
// an internal fault escaping it into PanicException.
template <auto Body>
struct Entry;
template <class R, class... A, bool NoExcept, R (*Body)(A...) noexcept(NoExcept)>
struct Entry<Body> {
  static R call(A... a) noexcept {
    try {
      return Body(a...);
    } catch (const InternalFault& f) {
      raise_panic(f.message);
    } catch (...) {
      raise_panic(nullptr);
    }
    return error_indicator<R>();
  }
};

template <auto Body>
inline constexpr auto entry = &Entry<Body>::call;

// Table entries: a method's or slot's function as the interpreter stores it.
template <class F>
PyCFunction method(F f) noexcept {
  return reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(f));
}
template <class F>
void* slot(F f) noexcept {
  return reinterpret_cast<void*>(f);
}

}  // namespace chronexa::py
