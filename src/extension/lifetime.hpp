// SPDX-License-Identifier: MIT
//
// Globals kept for the life of the interpreter that made them (type objects,
// Weekday members, PanicException, interned names), and emptied when it is
// finalised, so that an embedding application can start another.
#pragma once

#include <Python.h>

#include <atomic>
#include <type_traits>

namespace chronexa::py {

// The type objects, the Weekday members, PanicException and the interned
// names are created on first need and then read from plain globals, so hot
// paths (instance checks, new instances) cost one load. They live exactly as
// long as the interpreter that made them. An embedding application may
// finalise the interpreter and start another in the same process; our library
// stays loaded, but the objects went with the first interpreter. So every such
// global is registered here before its first publication, and a low-level exit
// function (Py_AtExit) empties all of them after the interpreter has finalised,
// without releasing anything (the interpreter has freed the objects already).
// The next interpreter then finds the globals empty and creates its own.
//
// Why this design: per-module state would cost a lookup on every call, and a
// restart cannot be detected at import instead (the new main interpreter has
// the same id, and perhaps the same address, as the old one). Py_FinalizeEx
// pops each exit function as it calls it, so the function is registered once
// in each interpreter's lifetime, when the first global is kept.
//
// `reset` empties the global at `slot`. False, with RuntimeError set, when the
// exit function cannot be registered (the interpreter allows 32).
bool keep_for_interpreter(void* slot, void (*reset)(void*) noexcept) noexcept;

template <class T>
void empty_slot(T& s) noexcept {
  if constexpr (std::is_array_v<T>) {
    for (auto& e : s) empty_slot(e);
  } else if constexpr (requires { s.store(nullptr); }) {
    s.store(nullptr, std::memory_order_release);
  } else {
    s = nullptr;
  }
}

// A pointer global, an atomic one, or an array of them.
template <class T>
bool keep_for_interpreter(T& slot) noexcept {
  return keep_for_interpreter(&slot, [](void* p) noexcept { empty_slot(*static_cast<T*>(p)); });
}

// An interned name kept for the interpreter. Check-then-publish rather than a
// function-local static: no thread ever blocks on a C++ guard while attached
// to the interpreter. Null with an exception if interning fails.
PyObject* interned(std::atomic<PyObject*>& slot, const char* text) noexcept;

}  // namespace chronexa::py
