// SPDX-License-Identifier: MIT
#include "entry.hpp"

#include <atomic>

#include "lifetime.hpp"

namespace chronexa::py {

namespace {

constexpr const char* panic_doc =
    "The exception raised when native code called from Python faults.\n\n"
    "Like SystemExit, this exception is derived from BaseException so that\n"
    "it will typically propagate all the way through the stack and cause the\n"
    "Python interpreter to exit.";

std::atomic<PyObject*> panic_type{nullptr};

// Created on first need; if two threads race, one type wins and the other is
// dropped.
PyObject* panic_exception_type() {
  PyObject* t = panic_type.load(std::memory_order_acquire);
  if (t != nullptr) return t;
  if (!keep_for_interpreter(panic_type)) return nullptr;
  PyObject* made = PyErr_NewExceptionWithDoc("pyo3_runtime.PanicException", panic_doc,
                                             PyExc_BaseException, nullptr);
  if (made == nullptr) return nullptr;
  PyObject* expected = nullptr;
  if (!panic_type.compare_exchange_strong(expected, made, std::memory_order_acq_rel)) {
    Py_DECREF(made);
    return expected;
  }
  return made;
}

}  // namespace

void raise_panic(const char* message) noexcept {
  // When even the exception type cannot be made (memory is exhausted), the
  // interpreter's own error from that attempt, a MemoryError, is what the
  // caller raises: never abort the process for want of an exception object.
  if (PyObject* type = panic_exception_type())
    PyErr_SetString(type, message != nullptr ? message : "native code faulted without a message");
}

}  // namespace chronexa::py
