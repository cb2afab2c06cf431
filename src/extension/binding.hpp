// SPDX-License-Identifier: MIT
//
// Call binding: matching positional and keyword arguments to a callable's
// parameters, converting each to the C++ value the core needs, and turning
// core results back into Python objects.
//
//   static constexpr std::string_view names[] = {"year", "month", "day"};
//   static constexpr FunctionDescription desc{"Date", "__new__", names, 3};
//   std::int32_t year; std::uint8_t month, day;
//   if (!bind_vector(desc, args, nargsf, kwnames, year, month, day)) return nullptr;
//
// Every mismatch is a TypeError with a fixed message; a failed conversion
// keeps the converter's own exception and gains the note
// "while processing '<parameter>'".
#pragma once

#include <climits>
#include <expected>
#include <span>
#include <string_view>

#include "classes.hpp"
#include "errors.hpp"
#include "instance.hpp"
#include "lifetime.hpp"

namespace chronexa::py {

struct KeywordOnly {
  std::string_view name;
  bool required;
};

struct FunctionDescription {
  std::string_view class_name;  // __qualname__ of the class
  std::string_view name;        // the Python name of the callable
  std::span<const std::string_view> positional;
  unsigned required;            // the first `required` positional parameters
  unsigned positional_only = 0;
  std::span<const KeywordOnly> keyword_only = {};

  std::size_t slot_count() const noexcept { return positional.size() + keyword_only.size(); }
};

// Fill `slots` (slot_count() entries, set to null first) from a vector call
// or from an argument tuple and keyword dictionary; false with TypeError set.
bool bind_slots(const FunctionDescription& d, PyObject* const* args, Py_ssize_t nargs,
                PyObject* kwnames, PyObject** slots) noexcept;
bool bind_slots(const FunctionDescription& d, PyObject* args, PyObject* kwargs,
                PyObject** slots) noexcept;

// ---- argument conversion ----

// The one place that decides how 64-bit integers cross the boundary; no value
// is ever truncated. An argument is read by the C `long` call where long has
// 64 bits, by the `long long` call where it is narrower.
inline constexpr bool long_is_64 = sizeof(long) == 8;
// Most arguments are exact ints that fit a machine word: they are read inline
// (true, the value in `out`); any other object takes the interpreter's call.
inline bool read_compact(PyObject* o, std::int64_t& out) noexcept {
  if (!PyLong_CheckExact(o) || !PyUnstable_Long_IsCompact(reinterpret_cast<PyLongObject*>(o)))
    return false;
  out = PyUnstable_Long_CompactValue(reinterpret_cast<PyLongObject*>(o));
  return true;
}
inline std::int64_t as_i64(PyObject* o) noexcept {
  if (std::int64_t v; read_compact(o, v)) return v;
  if constexpr (long_is_64) return PyLong_AsLong(o);
  else return PyLong_AsLongLong(o);
}
// A result: both calls make the same int. The interpreter's profile-guided
// build keeps PyLong_FromLong's one-digit path short and its general path out
// of line, and PyLong_FromLongLong's general path inline: so values of one
// digit go to the first and wider ones (Unix timestamps, nanosecond counts)
// to the second, about 20 instructions fewer per call for a timestamp.
inline PyObject* from_i64(std::int64_t v) noexcept {
  constexpr auto one_digit = static_cast<std::int64_t>(PyLong_MASK);
  if (v >= -one_digit && v <= one_digit) return PyLong_FromLong(static_cast<long>(v));
  return PyLong_FromLongLong(v);
}

bool convert(PyObject* o, std::int64_t& out) noexcept;
bool convert(PyObject* o, std::int32_t& out) noexcept;
bool convert(PyObject* o, std::uint8_t& out) noexcept;
bool convert(PyObject* o, std::uint32_t& out) noexcept;
bool convert(PyObject* o, i128& out) noexcept;
bool convert(PyObject* o, bool& out) noexcept;
// Borrows the str's UTF-8 form. An ASCII str is its own UTF-8: its bytes are
// read in place, without the call.
bool convert_utf8(PyObject* o, std::string_view& out) noexcept;
inline bool convert(PyObject* o, std::string_view& out) noexcept {
  if (PyUnicode_Check(o) && PyUnicode_IS_ASCII(o)) [[likely]] {
    out = {reinterpret_cast<const char*>(PyUnicode_DATA(o)),
           static_cast<std::size_t>(PyUnicode_GET_LENGTH(o))};
    return true;
  }
  return convert_utf8(o, out);
}

// An instance of the class wrapping V: a copy of its value.
template <Wrapped V>
bool convert(PyObject* o, V& out) noexcept {
  if (!is_instance<V>(o)) {
    instance_check_error(o, type_of<V>);
    return false;
  }
  out = value_of<V>(o);
  return true;
}

// Adds "while processing '<name>'" to the pending exception.
void add_parameter_note(std::string_view name) noexcept;

// Converts the filled slots in parameter order into `out`; an empty slot
// leaves its output at its default.
template <class... T>
bool convert_slots(const FunctionDescription& d, PyObject* const* slots, T&... out) noexcept {
  std::size_t i = 0;
  auto one = [&](auto& o) {
    const std::size_t k = i++;
    if (slots[k] == nullptr || convert(slots[k], o)) return true;
    add_parameter_note(k < d.positional.size() ? d.positional[k]
                                               : d.keyword_only[k - d.positional.size()].name);
    return false;
  };
  return (one(out) && ...);
}

// Binds a vector call and converts every argument, in parameter order.
template <class... T>
CHRONEXA_INLINE inline bool bind_vector(const FunctionDescription& d, PyObject* const* args,
                                        std::size_t nargsf, PyObject* kwnames, T&... out) noexcept {
  constexpr auto n = static_cast<Py_ssize_t>(sizeof...(T));
  const Py_ssize_t nargs = PyVectorcall_NARGS(nargsf);
  PyObject* slots[sizeof...(T)];
  // The common call: arguments by position only, every required one given.
  // All given: converted in place; some defaults left: the rest empty.
  if (kwnames == nullptr && d.keyword_only.empty() && nargs <= n &&
      nargs >= static_cast<Py_ssize_t>(d.required)) {
    if (nargs == n) return convert_slots(d, args, out...);
    for (Py_ssize_t i = 0; i < n; ++i) slots[i] = i < nargs ? args[i] : nullptr;
    return convert_slots(d, slots, out...);
  }
  return bind_slots(d, args, nargs, kwnames, slots) && convert_slots(d, slots, out...);
}

// Binds a constructor call (argument tuple and keyword dictionary).
template <class... T>
bool bind_tuple(const FunctionDescription& d, PyObject* args, PyObject* kwargs,
                T&... out) noexcept {
  PyObject* slots[sizeof...(T)];
  return bind_slots(d, args, kwargs, slots) && convert_slots(d, slots, out...);
}

// ---- results ----
//
// Each converter returns the new object, or null with the interpreter's
// exception set (a MemoryError when an allocation fails), which the member
// returns as it is.

template <std::integral T>
  requires(!std::same_as<T, bool>)
PyObject* to_python(T v) {
  if constexpr (std::same_as<T, std::uint64_t>) return PyLong_FromUnsignedLongLong(v);
  else {
    static_assert(sizeof(T) <= 4 || std::same_as<T, std::int64_t>);
    return from_i64(v);
  }
}
PyObject* to_python(i128 v);
inline PyObject* to_python(double v) { return PyFloat_FromDouble(v); }
inline PyObject* to_python(bool v) { return v ? Py_True : Py_False; }  // immortal

template <Wrapped V>
PyObject* to_python(const V& v) noexcept {
  return new_instance(v);
}

// A fallible core result: the value converted, or ValueError(prefix + name of
// the error).
template <class V, class E>
PyObject* to_python(const std::expected<V, E>& r, std::string_view error_prefix) {
  if (r) return to_python(*r);
  return value_error(error_prefix, name(r.error()));
}

}  // namespace chronexa::py
