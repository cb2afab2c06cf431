// SPDX-License-Identifier: MIT
//
// The exceptions every class raises: core errors as ValueError, refused text
// quoted, and the TypeError of an operand of the wrong class.
#pragma once

#include <Python.h>

#include <string_view>

namespace chronexa::py {

// ValueError(prefix + name): the translation of every core error.
PyObject* value_error(std::string_view prefix, std::string_view name) noexcept;

// ValueError(before + repr(input) + after): refused text is quoted as repr()
// shows it, so control characters come out escaped, and at any length.
PyObject* value_error_quoting(const char* before, std::string_view input,
                              const char* after) noexcept;

// TypeError "'<type>' object is not an instance of '<target>'".
void instance_check_error(PyObject* o, PyTypeObject* target) noexcept;

}  // namespace chronexa::py
