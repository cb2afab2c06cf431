// SPDX-License-Identifier: MIT
//
// UtcOffset: a fixed offset from UTC.
#include "binding.hpp"
#include "entry.hpp"
#include "member.hpp"
#include "operators.hpp"
#include "text.hpp"

namespace chronexa::py {
namespace {

const UtcOffset& self_value(PyObject* self) noexcept { return value_of<UtcOffset>(self); }

// ---- methods ----

constexpr std::string_view from_seconds_params[] = {"seconds"};
constexpr Member from_seconds_member{
    .class_name = "UtcOffset",
    .name = "from_seconds",
    .receiver = Receiver::cls,
    .parameters = from_seconds_params,
    .doc =
        "Create a UtcOffset from total seconds.\n\nArgs:\n"
        "    seconds: Total seconds offset from UTC (roughly -86400 to +86400).\n\nReturns:\n"
        "    UtcOffset: A new UtcOffset instance.\n\nRaises:\n"
        "    ValueError: If the offset is out of range."};
PyObject* from_seconds(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  static constexpr FunctionDescription desc = from_seconds_member.description();
  std::int32_t seconds;
  if (!bind_vector(desc, args, static_cast<std::size_t>(nargs), kwnames, seconds)) return nullptr;
  return to_python(UtcOffset::from_seconds(seconds), "Invalid offset: ");
}

constexpr std::string_view from_hours_minutes_params[] = {"sign_positive", "hours", "minutes"};
constexpr Member from_hours_minutes_member{
    .class_name = "UtcOffset",
    .name = "from_hours_minutes",
    .receiver = Receiver::cls,
    .parameters = from_hours_minutes_params,
    .doc =
        "Create a UtcOffset from hours and minutes.\n\nArgs:\n"
        "    sign_positive: True for positive offset, False for negative.\n"
        "    hours: Hours component (0-23).\n    minutes: Minutes component (0-59).\n\n"
        "Returns:\n    UtcOffset: A new UtcOffset instance.\n\nRaises:\n"
        "    ValueError: If the offset is out of range."};
PyObject* from_hours_minutes(PyObject*, PyObject* const* args, Py_ssize_t nargs,
                             PyObject* kwnames) {
  static constexpr FunctionDescription desc = from_hours_minutes_member.description();
  bool sign_positive;
  std::uint8_t hours, minutes;
  if (!bind_vector(desc, args, static_cast<std::size_t>(nargs), kwnames, sign_positive, hours,
                   minutes))
    return nullptr;
  return to_python(UtcOffset::from_hours_minutes(sign_positive, hours, minutes),
                   "Invalid offset: ");
}

constexpr Member as_seconds_member{.class_name = "UtcOffset",
                                   .name = "as_seconds",
                                   .receiver = Receiver::self,
                                   .doc = "Get the offset as seconds."};
PyObject* as_seconds(PyObject* self, PyObject*) { return to_python(self_value(self).as_seconds()); }

constexpr Member is_utc_member{.class_name = "UtcOffset",
                               .name = "is_utc",
                               .receiver = Receiver::self,
                               .doc = "Check if this is UTC (offset = 0)."};
PyObject* is_utc(PyObject* self, PyObject*) { return to_python(self_value(self).is_utc()); }

// ---- protocol ----

PyObject* str(PyObject* self) noexcept { return python_string(self_value(self)); }

PyObject* repr(PyObject* self) noexcept {
  return python_string("UtcOffset.from_seconds(", self_value(self).seconds, ")");
}

constexpr int class_method = METH_FASTCALL | METH_KEYWORDS | METH_CLASS;

PyMethodDef methods[] = {
    {"from_seconds", method(entry<from_seconds>), class_method, docstring<from_seconds_member>},
    {"from_hours_minutes", method(entry<from_hours_minutes>), class_method,
     docstring<from_hours_minutes_member>},
    {"as_seconds", method(entry<as_seconds>), METH_NOARGS, docstring<as_seconds_member>},
    {"is_utc", method(entry<is_utc>), METH_NOARGS, docstring<is_utc_member>},
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
