// SPDX-License-Identifier: MIT
//
// The module `chronexa`: multi-phase initialisation, and an execution step
// that registers the seven classes in order.
#include "binding.hpp"
#include "classes.hpp"

namespace chronexa::py {
namespace {

int exec_module(PyObject* module) noexcept {
  if (!PyModule_Check(module)) {
    instance_check_error(module, &PyModule_Type);
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
    PyModuleDef_HEAD_INIT, "chronexa", "", 0, nullptr, module_slots, nullptr, nullptr, nullptr,
};

}  // namespace
}  // namespace chronexa::py

PyMODINIT_FUNC PyInit_chronexa() { return PyModuleDef_Init(&chronexa::py::module_def); }
