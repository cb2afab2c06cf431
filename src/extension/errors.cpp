// SPDX-License-Identifier: MIT
#include "errors.hpp"

#include <algorithm>
#include <cstring>

namespace chronexa::py {

PyObject* value_error(std::string_view prefix, std::string_view name) noexcept {
  char msg[128];
  const std::size_t n = std::min(prefix.size() + name.size(), sizeof msg - 1);
  std::memcpy(msg, prefix.data(), std::min(prefix.size(), n));
  if (n > prefix.size()) std::memcpy(msg + prefix.size(), name.data(), n - prefix.size());
  msg[n] = '\0';
  PyErr_SetString(PyExc_ValueError, msg);
  return nullptr;
}

PyObject* value_error_quoting(const char* before, std::string_view input,
                              const char* after) noexcept {
  PyObject* text = PyUnicode_FromStringAndSize(input.data(), static_cast<Py_ssize_t>(input.size()));
  if (text == nullptr) return nullptr;
  PyObject* message = PyUnicode_FromFormat("%s%R%s", before, text, after);
  Py_DECREF(text);
  if (message == nullptr) return nullptr;
  PyErr_SetObject(PyExc_ValueError, message);
  Py_DECREF(message);
  return nullptr;
}

void instance_check_error(PyObject* o, PyTypeObject* target) noexcept {
  PyObject* target_name = PyType_GetQualName(target);
  if (target_name == nullptr) return;
  if (o == Py_None) {
    PyErr_Format(PyExc_TypeError, "'None' is not an instance of '%U'", target_name);
  } else {
    PyObject* type_name = PyType_GetQualName(Py_TYPE(o));
    if (type_name == nullptr) {
      PyErr_Clear();
      PyErr_Format(PyExc_TypeError,
                   "'<failed to extract type name>' object is not an instance of '%U'",
                   target_name);
    } else {
      PyErr_Format(PyExc_TypeError, "'%U' object is not an instance of '%U'", type_name,
                   target_name);
      Py_DECREF(type_name);
    }
  }
  Py_DECREF(target_name);
}

}  // namespace chronexa::py
