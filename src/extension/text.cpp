// SPDX-License-Identifier: MIT
#include "text.hpp"

namespace chronexa::py {

PyObject* text_to_str(const char* text, std::size_t size, bool ascii) noexcept {
  if (size > text_capacity) return value_error("Representation exceeds formatting buffer", "");
  if (ascii) return ascii_text_to_str(text, size);
  PyObject* s = PyUnicode_DecodeUTF8(text, static_cast<Py_ssize_t>(size), "strict");
  if (s == nullptr && PyErr_ExceptionMatches(PyExc_UnicodeDecodeError)) {
    PyErr_Clear();
    return value_error("Invalid UTF-8 in representation", "");
  }
  return s;
}

}  // namespace chronexa::py
