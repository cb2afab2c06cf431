// SPDX-License-Identifier: MIT
//
// Hashing, rich comparison and binary operators, shared by the classes.
#pragma once

#include <Python.h>

#include "compiler.hpp"
#include "instance.hpp"
#include "siphash.hpp"

namespace chronexa::py {

// ---- hashing ----

// SipHash-1-3 with a zero key over the fields fed to it (siphash.hpp); the
// result is never -1, the interpreter's error value.
using chronexa::Hasher;

// The __hash__ of V's class: the hash of the value's fields (hash_fields).
template <class V>
Py_hash_t hash(PyObject* self) noexcept {
  return Hasher().write(value_of<V>(self)).finish();
}

// ---- comparison and operators ----

// The rich comparison of two values of V's class.
template <class V>
CHRONEXA_INLINE inline PyObject* compare_values(PyObject* self, PyObject* other, int op) noexcept {
  const V& a = value_of<V>(self);
  const V& b = value_of<V>(other);
  bool r;
  switch (op) {
    case Py_EQ: r = a == b; break;
    case Py_NE: r = !(a == b); break;
    case Py_LT: r = (a <=> b) < 0; break;
    case Py_LE: r = (a <=> b) <= 0; break;
    case Py_GT: r = (a <=> b) > 0; break;
    case Py_GE: r = (a <=> b) >= 0; break;
    default: Py_RETURN_NOTIMPLEMENTED;
  }
  if (r) Py_RETURN_TRUE;
  Py_RETURN_FALSE;
}

// The rich comparison of a class whose values define == and <=>: another
// operand of the same class is compared, anything else is NotImplemented.
template <class V>
PyObject* richcompare(PyObject* self, PyObject* other, int op) noexcept {
  if (!is_instance<V>(other)) [[unlikely]]
    Py_RETURN_NOTIMPLEMENTED;
  return compare_values<V>(self, other, op);
}

// A binary operator on two values of V's class; any other operand on either
// side is NotImplemented, so the interpreter raises its own TypeError.
template <class V, V (*Op)(const V&, const V&)>
PyObject* binary(PyObject* a, PyObject* b) noexcept {
  if (!is_instance<V>(a) || !is_instance<V>(b)) Py_RETURN_NOTIMPLEMENTED;
  return new_instance<V>(Op(value_of<V>(a), value_of<V>(b)));
}

}  // namespace chronexa::py
