// SPDX-License-Identifier: MIT
//
// UtcOffset: a fixed offset from UTC.
#include "binding.hpp"
#include "entry.hpp"
#include "operators.hpp"
#include "text.hpp"

namespace chronexa::py {
namespace {

const UtcOffset& self_value(PyObject* self) noexcept { return value_of<UtcOffset>(self); }

// ---- methods ----

PyObject* from_seconds(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  static constexpr std::string_view params[] = {"seconds"};
  static constexpr FunctionDescription desc{"UtcOffset", "from_seconds", params, 1};
  std::int32_t seconds;
  if (!bind_vector(desc, args, static_cast<std::size_t>(nargs), kwnames, seconds)) return nullptr;
  return to_python(UtcOffset::from_seconds(seconds), "Invalid offset: ");
}

PyObject* from_hours_minutes(PyObject*, PyObject* const* args, Py_ssize_t nargs,
                             PyObject* kwnames) {
  static constexpr std::string_view params[] = {"sign_positive", "hours", "minutes"};
  static constexpr FunctionDescription desc{"UtcOffset", "from_hours_minutes", params, 3};
  bool sign_positive;
  std::uint8_t hours, minutes;
  if (!bind_vector(desc, args, static_cast<std::size_t>(nargs), kwnames, sign_positive, hours,
                   minutes))
    return nullptr;
  return to_python(UtcOffset::from_hours_minutes(sign_positive, hours, minutes),
                   "Invalid offset: ");
}

PyObject* as_seconds(PyObject* self, PyObject*) { return to_python(self_value(self).as_seconds()); }

PyObject* is_utc(PyObject* self, PyObject*) { return to_python(self_value(self).is_utc()); }

// ---- protocol ----

PyObject* str(PyObject* self) noexcept { return python_string(self_value(self)); }

PyObject* repr(PyObject* self) noexcept {
  return python_string("UtcOffset.from_seconds(", self_value(self).seconds, ")");
}

constexpr int class_method = METH_FASTCALL | METH_KEYWORDS | METH_CLASS;

PyMethodDef methods[] = {
    {"from_seconds", method(entry<from_seconds>), class_method,
     "from_seconds($cls, seconds)\n--\n\nCreate a UtcOffset from total seconds.\n\n"
     "Args:\n    seconds: Total seconds offset from UTC (roughly -86400 to +86400).\n\n"
     "Returns:\n    UtcOffset: A new UtcOffset instance.\n\n"
     "Raises:\n    ValueError: If the offset is out of range."},
    {"from_hours_minutes", method(entry<from_hours_minutes>), class_method,
     "from_hours_minutes($cls, sign_positive, hours, minutes)\n--\n\n"
     "Create a UtcOffset from hours and minutes.\n\n"
     "Args:\n    sign_positive: True for positive offset, False for negative.\n"
     "    hours: Hours component (0-23).\n    minutes: Minutes component (0-59).\n\n"
     "Returns:\n    UtcOffset: A new UtcOffset instance.\n\n"
     "Raises:\n    ValueError: If the offset is out of range."},
    {"as_seconds", method(entry<as_seconds>), METH_NOARGS,
     "as_seconds($self)\n--\n\nGet the offset as seconds."},
    {"is_utc", method(entry<is_utc>), METH_NOARGS,
     "is_utc($self)\n--\n\nCheck if this is UTC (offset = 0)."},
    {nullptr, nullptr, 0, nullptr},
};

const PyType_Slot slots[] = {
    {Py_tp_str, slot(entry<str>)},
    {Py_tp_repr, slot(entry<repr>)},
    {Py_tp_hash, slot(entry<hash<UtcOffset>>)},
    {Py_tp_richcompare, slot(entry<richcompare<UtcOffset>>)},
    {0, nullptr},
};

}  // namespace

const ClassDef utc_offset_class = {
    "UtcOffset", nullptr, sizeof(Object<UtcOffset>), false, slots, methods,
    nullptr,     {},      &type_of<UtcOffset>,
};

}  // namespace chronexa::py
