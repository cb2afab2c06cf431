// SPDX-License-Identifier: MIT
//
// The module `chronexa`: multi-phase initialisation, and an execution step
// that registers the seven classes in order, in the main interpreter only.
#include "classes.hpp"
#include "entry.hpp"
#include "errors.hpp"

namespace chronexa::py {
namespace {

#ifdef CHRONEXA_TEST_HOOKS
// Test builds only (CHRONEXA_TESTS): `_fault(message)` breaks an invariant as
// a bug would, so that the suite can prove the one path from an internal
// fault to PanicException, sanitizers included.
PyObject* test_fault(PyObject*, PyObject* message) {
  const char* text = PyUnicode_AsUTF8(message);
  if (text == nullptr) return nullptr;
  fault(text);
}

PyMethodDef module_methods[] = {
    {"_fault", method(entry<test_fault>), METH_O, nullptr},
    {nullptr, nullptr, 0, nullptr},
};
#else
PyMethodDef* const module_methods = nullptr;
#endif

int exec_module(PyObject* module) noexcept {
  if (!PyModule_Check(module)) {
    instance_check_error(module, &PyModule_Type);
    return -1;
  }
  // The type objects live in process-wide globals (see keep_for_interpreter),
  // so they can belong to one interpreter only. Py_mod_multiple_interpreters
  // below keeps isolated subinterpreters out, but CPython checks it only in
  // interpreters created with check_multi_interp_extensions; a legacy one
  // (Py_NewInterpreter) would run this step and share the types, whose
  // cached attribute lookups then collide with the other interpreter's
  // classes. So the step refuses every interpreter but the main one itself,
  // before anything is published.
  if (PyInterpreterState_Get() != PyInterpreterState_Main()) {
    PyErr_SetString(PyExc_ImportError,
                    "module chronexa does not support loading in subinterpreters");
    return -1;
  }
  for (const ClassDef* def : registration_order)
    if (register_class(module, *def) < 0) return -1;
  return 0;
}

PyModuleDef_Slot module_slots[] = {
    {Py_mod_exec, reinterpret_cast<void*>(&exec_module)},
    {Py_mod_gil, Py_MOD_GIL_NOT_USED},
    // The type objects are kept in globals for the main interpreter's life;
    // another interpreter alive at the same time must not share them, so a
    // subinterpreter's import fails with ImportError.
    {Py_mod_multiple_interpreters, Py_MOD_MULTIPLE_INTERPRETERS_NOT_SUPPORTED},
    {0, nullptr},
};

PyModuleDef module_def = {
    PyModuleDef_HEAD_INIT, "chronexa", "",      0,       module_methods,
    module_slots,          nullptr,    nullptr, nullptr,
};

}  // namespace
}  // namespace chronexa::py

PyMODINIT_FUNC PyInit_chronexa() { return PyModuleDef_Init(&chronexa::py::module_def); }
