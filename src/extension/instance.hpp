// SPDX-License-Identifier: MIT
//
// The instance of every class: the object header and one core value; the
// free lists its blocks are recycled through; new_instance, the only way
// instances are made.
#pragma once

#include <Python.h>

#include <cstddef>
#include <iterator>
#include <type_traits>

namespace chronexa::py {

// An instance: the object header and one core value, stored by copy when the
// instance is created and never changed afterwards.
template <class V>
struct Object {
  PyObject_HEAD
  V value;
};

// The type object of the class wrapping V; set when the type is created and
// kept for the life of the interpreter (see keep_for_interpreter).
template <class V>
inline PyTypeObject* type_of = nullptr;

template <class V>
V& value_of(PyObject* o) noexcept {
  return reinterpret_cast<Object<V>*>(o)->value;
}

// Whether o is an instance of V's class. The classes cannot be subclassed
// (no Py_TPFLAGS_BASETYPE), so that is its exact type.
template <class V>
bool is_instance(PyObject* o) noexcept {
  return Py_IS_TYPE(o, type_of<V>);
}

// Free lists.
//
// Most instances live for one expression: a result read and dropped, a
// temporary between two calls. Their blocks are kept on a free list by size
// (the classes are not subclassable, so an instance's size is its class's
// tp_basicsize) and reused by the next instance of that size, of any class:
// a pop and PyObject_Init instead of the interpreter's allocator, a push
// instead of freeing. The block's first word links the list.
//
// The lists are plain globals, used under the interpreter's lock. Built
// without them: the free-threaded interpreter (no such lock; the module
// declares it needs none), and AddressSanitizer builds, so that a use of a
// freed instance is caught there.
#if !defined(Py_GIL_DISABLED) && !defined(__SANITIZE_ADDRESS__)
#define CHRONEXA_FREE_LISTS 1
#else
#define CHRONEXA_FREE_LISTS 0
#endif

struct FreeList {
  static constexpr unsigned capacity = 64;  // blocks kept per size
  void* head = nullptr;
  unsigned size = 0;
};
// By size in 8-byte units: instances are 24 to 40 bytes.
inline FreeList free_lists[8];
inline constexpr std::size_t free_list_sizes = 8 * std::size(free_lists);

// A new instance of V's class holding a copy of v; null with the
// interpreter's exception when allocation fails. This is the only way
// instances are made: the types refuse the generic allocation (tp_alloc) that
// object.__new__ goes through, so every instance holds a validated value.
template <class V>
PyObject* new_instance(const V& v) noexcept {
  static_assert(std::is_trivially_copyable_v<V> && std::is_trivially_destructible_v<V>);
  static_assert(sizeof(Object<V>) % 8 == 0 && sizeof(Object<V>) < free_list_sizes);
  Object<V>* o;
  FreeList& list = free_lists[sizeof(Object<V>) / 8];
  if (CHRONEXA_FREE_LISTS && list.head != nullptr) [[likely]] {
    o = static_cast<Object<V>*>(list.head);
    list.head = *static_cast<void**>(list.head);
    --list.size;
    PyObject_Init(reinterpret_cast<PyObject*>(o), type_of<V>);
  } else {
    o = PyObject_New(Object<V>, type_of<V>);
    if (o == nullptr) return nullptr;
  }
  o->value = v;
  return reinterpret_cast<PyObject*>(o);
}

}  // namespace chronexa::py
