// SPDX-License-Identifier: MIT
#include "types.hpp"

#include <atomic>
#include <string>
#include <vector>

#include "entry.hpp"
#include "errors.hpp"
#include "instance.hpp"
#include "lifetime.hpp"

namespace chronexa::py {

PyObject* generic_class_call(PyObject* type, PyObject* const* args, std::size_t nargsf,
                             PyObject* kwnames) noexcept {
  const Py_ssize_t nargs = PyVectorcall_NARGS(nargsf);
  PyObject* tuple = PyTuple_New(nargs);
  if (tuple == nullptr) return nullptr;
  for (Py_ssize_t i = 0; i < nargs; ++i) PyTuple_SET_ITEM(tuple, i, Py_NewRef(args[i]));
  PyObject* kwargs = nullptr;
  if (kwnames != nullptr && PyTuple_GET_SIZE(kwnames) > 0) {
    kwargs = PyDict_New();
    for (Py_ssize_t k = 0; kwargs != nullptr && k < PyTuple_GET_SIZE(kwnames); ++k)
      if (PyDict_SetItem(kwargs, PyTuple_GET_ITEM(kwnames, k), args[nargs + k]) < 0)
        Py_CLEAR(kwargs);
    if (kwargs == nullptr) {
      Py_DECREF(tuple);
      return nullptr;
    }
  }
  PyObject* result = nullptr;
  if (Py_EnterRecursiveCall(" while calling a Python object") == 0) {
    result = PyType_Type.tp_call(type, tuple, kwargs);
    Py_LeaveRecursiveCall();
  }
  Py_DECREF(tuple);
  Py_XDECREF(kwargs);
  return result;
}

void dealloc(PyObject* self) noexcept {
  try {
    PyTypeObject* type = Py_TYPE(self);
    FreeList& list = free_lists[static_cast<std::size_t>(type->tp_basicsize) / 8];
    if (CHRONEXA_FREE_LISTS && list.size < FreeList::capacity) {
      *reinterpret_cast<void**>(self) = list.head;
      list.head = self;
      ++list.size;
    } else {
      type->tp_free(self);
    }
    Py_DECREF(type);
  } catch (const InternalFault& f) {
    raise_panic(f.message);
    PyErr_WriteUnraisable(nullptr);
  }
}

namespace {

// Every class refuses pickling and copying under every protocol, with the
// interpreter's own wording.
PyObject* refuse_reduce(PyObject* self, PyObject* const*, Py_ssize_t, PyObject*) noexcept {
  PyErr_Format(PyExc_TypeError, "cannot pickle '%.200s' object", Py_TYPE(self)->tp_name);
  return nullptr;
}

PyMethodDef refuse_reduce_def = {"__reduce_ex__", method(entry<refuse_reduce>),
                                 METH_FASTCALL | METH_KEYWORDS, nullptr};

// tp_alloc of every class: the generic allocation that object.__new__ (and
// PyType_GenericNew) goes through is closed, so no instance holds a value that
// no validating constructor made. The module allocates with new_instance.
PyObject* refuse_alloc(PyTypeObject* type, Py_ssize_t) noexcept {
  PyErr_Format(PyExc_TypeError, "cannot create '%s' instances", type->tp_name);
  return nullptr;
}

PyMutex type_creation_lock = {};

// Empties the free lists without freeing their blocks, when the interpreter
// that allocated them is gone (see keep_for_interpreter).
void forget_free_lists(void*) noexcept {
  for (FreeList& list : free_lists) list = {};
}

// An attribute of a type not yet published, stored in its dictionary. Not
// setattr: under memory exhaustion CPython's type.__setattr__ (3.14) can
// report a failed allocation as AttributeError, and the import must fail with
// the MemoryError it is.
int set_type_attribute(PyTypeObject* type, const char* name, PyObject* value) noexcept {
  if (PyDict_SetItemString(type->tp_dict, name, value) < 0) return -1;
  PyType_Modified(type);
  return 0;
}

// The type object, created under a lock: the lock is a PyMutex, which lets go
// of the interpreter while it waits.
PyTypeObject* create_type(const ClassDef& def) {
  const auto size = static_cast<std::size_t>(def.basicsize);
  if (size % 8 != 0 || size >= free_list_sizes) {  // dealloc indexes the free lists by it
    PyErr_Format(PyExc_SystemError, "%s instances of %d bytes have no free list", def.name,
                 def.basicsize);
    return nullptr;
  }
  std::vector<PyType_Slot> slots;
  if (def.doc != nullptr && def.doc[0] != '\0')
    slots.push_back({Py_tp_doc, const_cast<char*>(def.doc)});
  for (const PyType_Slot* s = def.slots; s != nullptr && s->slot != 0; ++s) slots.push_back(*s);
  if (def.methods != nullptr) slots.push_back({Py_tp_methods, def.methods});
  if (def.properties != nullptr) slots.push_back({Py_tp_getset, def.properties});
  slots.push_back({Py_tp_base, &PyBaseObject_Type});
  slots.push_back({Py_tp_dealloc, slot(&dealloc)});
  slots.push_back({Py_tp_alloc, slot(&refuse_alloc)});
  slots.push_back({0, nullptr});

  const std::string qualified = std::string("chronexa.") + def.name;
  PyType_Spec type_spec = {
      qualified.c_str(), def.basicsize, 0,
      def.constructible ? 0u : static_cast<unsigned>(Py_TPFLAGS_DISALLOW_INSTANTIATION),
      slots.data()};
  auto* type = reinterpret_cast<PyTypeObject*>(PyType_FromSpec(&type_spec));
  if (type == nullptr) return nullptr;

  PyObject* reduce = PyDescr_NewMethod(type, &refuse_reduce_def);
  if (reduce == nullptr || set_type_attribute(type, "__reduce_ex__", reduce) < 0) {
    Py_XDECREF(reduce);
    Py_DECREF(type);
    return nullptr;
  }
  Py_DECREF(reduce);

  for (const ClassAttribute& attr : def.attributes) {
    PyObject* value = attr.make(type);
    if (value == nullptr || set_type_attribute(type, attr.name, value) < 0) {
      Py_XDECREF(value);
      Py_DECREF(type);
      if (PyErr_ExceptionMatches(PyExc_MemoryError)) return nullptr;  // raised as it is
      PyObject* cause = PyErr_GetRaisedException();
      PyErr_Format(PyExc_RuntimeError, "An error occurred while initializing `%s.%s`", def.name,
                   attr.name);
      PyObject* outer = PyErr_GetRaisedException();
      PyException_SetCause(outer, cause);
      PyErr_SetRaisedException(outer);
      return nullptr;
    }
    Py_DECREF(value);
  }
  return type;
}

PyTypeObject* get_type(const ClassDef& def) {
  PyMutex_Lock(&type_creation_lock);
  PyTypeObject* type = *def.type;
  if (type == nullptr) {
    // The free lists are forgotten with the types: no instance outlives them.
    type = keep_for_interpreter(*def.type) && keep_for_interpreter(free_lists, forget_free_lists)
               ? create_type(def)
               : nullptr;
    if (type == nullptr && !PyErr_ExceptionMatches(PyExc_MemoryError)) {
      PyObject* cause = PyErr_GetRaisedException();
      PyErr_Format(PyExc_RuntimeError, "An error occurred while initializing class %s", def.name);
      PyObject* outer = PyErr_GetRaisedException();
      PyException_SetCause(outer, cause);
      PyErr_SetRaisedException(outer);
    } else if (type != nullptr) {
      *def.type = type;  // kept for the life of the interpreter
    }
  }
  PyMutex_Unlock(&type_creation_lock);
  return type;
}

std::atomic<PyObject*> all_name{nullptr};

}  // namespace

int register_class(PyObject* module, const ClassDef& def) noexcept {
  try {
    PyTypeObject* type = get_type(def);
    if (type == nullptr) return -1;
    PyObject* const all_key = interned(all_name, "__all__");
    PyObject* all = nullptr;
    if (all_key == nullptr || PyObject_GetOptionalAttr(module, all_key, &all) < 0) return -1;
    if (all == nullptr) {
      all = PyList_New(0);
      if (all == nullptr || PyObject_SetAttr(module, all_key, all) < 0) {
        Py_XDECREF(all);
        return -1;
      }
    } else if (!PyList_Check(all)) {
      instance_check_error(all, &PyList_Type);
      Py_DECREF(all);
      return -1;
    }
    PyObject* name = PyUnicode_FromString(def.name);
    const bool appended = name != nullptr && PyList_Append(all, name) == 0;
    Py_XDECREF(name);
    Py_DECREF(all);
    if (!appended) return -1;  // MemoryError
    return PyObject_SetAttrString(module, def.name, reinterpret_cast<PyObject*>(type));
  } catch (const InternalFault& f) {
    raise_panic(f.message);
    return -1;
  }
}

}  // namespace chronexa::py
