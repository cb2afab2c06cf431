// SPDX-License-Identifier: MIT
//
// Type objects: what a class file supplies (ClassDef), creation and
// registration in the module, constructor dispatch, and deallocation.
#pragma once

#include <Python.h>

#include <cstddef>
#include <span>

namespace chronexa::py {

struct ClassAttribute {
  const char* name;
  PyObject* (*make)(PyTypeObject* type);  // a new reference, or null with an exception
};

// What a class file supplies to create and register its type.
struct ClassDef {
  const char* name;                       // "Date": the type is "chronexa.Date"
  const char* doc;                        // class docstring, or null for none
  int basicsize;                          // sizeof(Object<V>)
  bool constructible;                     // has __new__; otherwise not instantiable
  const PyType_Slot* slots;               // protocol slots, terminated by {0, nullptr}
  PyMethodDef* methods;                   // null when the class has none
  PyGetSetDef* properties;                // null when the class has none
  std::span<const ClassAttribute> attributes;
  PyTypeObject** type;                    // where the type object is kept
};

// Creates the type on first use in this interpreter (later calls return the
// same object), binds it in `module` under its name and appends the name to
// __all__.
int register_class(PyObject* module, const ClassDef& def) noexcept;

// The class call made the interpreter's generic way (type.__call__ with an
// argument tuple and keyword dictionary), so a rebound __new__ or an added
// __init__ takes part exactly as for any class.
PyObject* generic_class_call(PyObject* type, PyObject* const* args, std::size_t nargsf,
                             PyObject* kwnames) noexcept;

// The vector call (Py_tp_vectorcall) of a class with a constructor. The
// interpreter keeps calling it after Python code rebinds the class's __new__
// or adds __init__, so it takes its fast path, `Fast` (bind and construct
// without a tuple), only while the type's tp_new is still the class's own
// `OwnNew` and tp_init still object's; otherwise the call is the generic one.
template <newfunc OwnNew, vectorcallfunc Fast>
PyObject* constructor_call(PyObject* type, PyObject* const* args, std::size_t nargsf,
                           PyObject* kwnames) noexcept {
  const auto* t = reinterpret_cast<PyTypeObject*>(type);
  if (t->tp_new == OwnNew && t->tp_init == PyBaseObject_Type.tp_init) [[likely]]
    return Fast(type, args, nargsf, kwnames);
  return generic_class_call(type, args, nargsf, kwnames);
}

// Deallocation shared by all classes: the values are plain copies, and the
// block goes to its free list while that has room.
void dealloc(PyObject* self) noexcept;

}  // namespace chronexa::py
