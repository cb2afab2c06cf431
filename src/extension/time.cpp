// SPDX-License-Identifier: MIT
//
// Time: a time of day.
#include "binding.hpp"
#include "entry.hpp"
#include "member.hpp"
#include "operators.hpp"
#include "text.hpp"

namespace chronexa::py {
namespace {

const Time& self_value(PyObject* self) noexcept { return value_of<Time>(self); }

// Time(hour, minute, second, nanosecond=0): both the tuple constructor and
// the vector call.
constexpr std::string_view new_params[] = {"hour", "minute", "second", "nanosecond"};
constexpr std::string_view new_defaults[] = {"0"};
constexpr Member new_member{.class_name = "Time",
                            .name = "__new__",
                            .receiver = Receiver::constructor,
                            .parameters = new_params,
                            .defaults = new_defaults};
constexpr FunctionDescription new_desc = new_member.description();

PyObject* construct(std::uint8_t hour, std::uint8_t minute, std::uint8_t second,
                    std::uint32_t nanosecond) {
  return to_python(Time::from_hms_nano(hour, minute, second, nanosecond), "Invalid time: ");
}

PyObject* tp_new(PyTypeObject*, PyObject* args, PyObject* kwargs) {
  std::uint8_t hour, minute, second;
  std::uint32_t nanosecond = 0;
  if (!bind_tuple(new_desc, args, kwargs, hour, minute, second, nanosecond)) return nullptr;
  return construct(hour, minute, second, nanosecond);
}

PyObject* vectorcall(PyObject*, PyObject* const* args, std::size_t nargsf, PyObject* kwnames) {
  std::uint8_t hour, minute, second;
  std::uint32_t nanosecond = 0;
  if (!bind_vector(new_desc, args, nargsf, kwnames, hour, minute, second, nanosecond))
    return nullptr;
  return construct(hour, minute, second, nanosecond);
}

// ---- properties ----

PyObject* get_hour(PyObject* self, void*) { return to_python(self_value(self).hour); }
PyObject* get_minute(PyObject* self, void*) { return to_python(self_value(self).minute); }
PyObject* get_second(PyObject* self, void*) { return to_python(self_value(self).second); }
PyObject* get_nanosecond(PyObject* self, void*) { return to_python(self_value(self).nanosecond); }

// ---- methods ----

constexpr std::string_view parse_params[] = {"s"};
constexpr Member parse_member{
    .class_name = "Time",
    .name = "parse",
    .receiver = Receiver::cls,
    .parameters = parse_params,
    .doc =
        "Parse a time from ISO format (HH:MM:SS[.fffffffff]).\n\nArgs:\n"
        "    s: The string to parse.\n\nReturns:\n    Time: A new Time instance.\n\nRaises:\n"
        "    ValueError: If the string is not a valid time."};
PyObject* parse(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  static constexpr FunctionDescription desc = parse_member.description();
  std::string_view s;
  if (!bind_vector(desc, args, static_cast<std::size_t>(nargs), kwnames, s)) return nullptr;
  return to_python(Time::parse(s), "Invalid time string: ");
}

constexpr Member seconds_since_midnight_member{
    .class_name = "Time",
    .name = "seconds_since_midnight",
    .receiver = Receiver::self,
    .doc = "Get total seconds since midnight (ignoring nanoseconds)."};
PyObject* seconds_since_midnight(PyObject* self, PyObject*) {
  return to_python(self_value(self).seconds_since_midnight());
}

constexpr Member nanos_since_midnight_member{.class_name = "Time",
                                             .name = "nanos_since_midnight",
                                             .receiver = Receiver::self,
                                             .doc = "Get total nanoseconds since midnight."};
PyObject* nanos_since_midnight(PyObject* self, PyObject*) {
  return to_python(self_value(self).nanos_since_midnight());
}

// ---- protocol ----

PyObject* str(PyObject* self) noexcept { return python_string(self_value(self)); }

PyObject* repr(PyObject* self) noexcept {
  const Time& t = self_value(self);
  return python_string("Time(hour=", t.hour, ", minute=", t.minute, ", second=", t.second,
                       ", nanosecond=", t.nanosecond, ")");
}

constexpr int class_method = METH_FASTCALL | METH_KEYWORDS | METH_CLASS;

PyMethodDef methods[] = {
    {"parse", method(entry<parse>), class_method, docstring<parse_member>},
    {"seconds_since_midnight", method(entry<seconds_since_midnight>), METH_NOARGS,
     docstring<seconds_since_midnight_member>},
    {"nanos_since_midnight", method(entry<nanos_since_midnight>), METH_NOARGS,
     docstring<nanos_since_midnight_member>},
    {nullptr, nullptr, 0, nullptr},
};

PyGetSetDef properties[] = {
    {"hour", entry<get_hour>, nullptr, nullptr, nullptr},
    {"minute", entry<get_minute>, nullptr, nullptr, nullptr},
    {"second", entry<get_second>, nullptr, nullptr, nullptr},
    {"nanosecond", entry<get_nanosecond>, nullptr, nullptr, nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

const PyType_Slot slots[] = {
    {Py_tp_new, slot(entry<tp_new>)},
    {Py_tp_vectorcall, slot(constructor_call<entry<tp_new>, entry<vectorcall>>)},
    {Py_tp_str, slot(entry<str>)},
    {Py_tp_repr, slot(entry<repr>)},
    {Py_tp_hash, slot(entry<hash<Time>>)},
    {Py_tp_richcompare, slot(entry<richcompare<Time>>)},
    {0, nullptr},
};

}  // namespace

const ClassDef time_class = {
    "Time", docstring<new_member>, sizeof(Object<Time>), true, slots, methods, properties,
    {},     &type_of<Time>,
};

}  // namespace chronexa::py
