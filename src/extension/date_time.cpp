// SPDX-License-Identifier: MIT
//
// DateTime: a UTC instant.
#include "binding.hpp"
#include "entry.hpp"
#include "member.hpp"
#include "operators.hpp"
#include "text.hpp"

namespace chronexa::py {
namespace {

const DateTime& self_value(PyObject* self) noexcept { return value_of<DateTime>(self); }

// DateTime(date, time): both the tuple constructor and the vector call.
constexpr std::string_view new_params[] = {"date", "time"};
constexpr Member new_member{.class_name = "DateTime",
                            .name = "__new__",
                            .receiver = Receiver::constructor,
                            .parameters = new_params};
constexpr FunctionDescription new_desc = new_member.description();

PyObject* tp_new(PyTypeObject*, PyObject* args, PyObject* kwargs) {
  Date date{};
  Time time{};
  if (!bind_tuple(new_desc, args, kwargs, date, time)) return nullptr;
  return to_python(DateTime{date, time});
}

PyObject* vectorcall(PyObject*, PyObject* const* args, std::size_t nargsf, PyObject* kwnames) {
  Date date{};
  Time time{};
  if (!bind_vector(new_desc, args, nargsf, kwnames, date, time)) return nullptr;
  return to_python(DateTime{date, time});
}

// ---- properties ----

PyObject* get_date(PyObject* self, void*) { return to_python(self_value(self).date); }
PyObject* get_time(PyObject* self, void*) { return to_python(self_value(self).time); }

// ---- methods ----

constexpr std::string_view parse_params[] = {"s"};
constexpr Member parse_member{
    .class_name = "DateTime",
    .name = "parse",
    .receiver = Receiver::cls,
    .parameters = parse_params,
    .doc =
        "Parse a DateTime from ISO 8601 / RFC 3339 UTC format.\n\nArgs:\n"
        "    s: The string to parse (e.g., \"2024-01-01T12:00:00Z\").\n\nReturns:\n"
        "    DateTime: A new DateTime instance.\n\nRaises:\n"
        "    ValueError: If the string is not a valid datetime."};
PyObject* parse(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  static constexpr FunctionDescription desc = parse_member.description();
  std::string_view s;
  if (!bind_vector(desc, args, static_cast<std::size_t>(nargs), kwnames, s)) return nullptr;
  const std::optional<DateTime> r = DateTime::parse(s);
  if (!r)
    return value_error_quoting("Invalid datetime string ", s,
                               ". Expected format: YYYY-MM-DDTHH:MM:SS[.fffffffff]Z");
  return to_python(*r);
}

constexpr std::string_view from_unix_timestamp_params[] = {"secs", "nanos"};
constexpr std::string_view from_unix_timestamp_defaults[] = {"0"};
constexpr Member from_unix_timestamp_member{
    .class_name = "DateTime",
    .name = "from_unix_timestamp",
    .receiver = Receiver::cls,
    .parameters = from_unix_timestamp_params,
    .defaults = from_unix_timestamp_defaults,
    .doc =
        "Create a DateTime from Unix timestamp (seconds and nanoseconds).\n\nArgs:\n"
        "    secs: Seconds since Unix epoch.\n"
        "    nanos: Additional nanoseconds (default=0).\n\nReturns:\n"
        "    DateTime: A new DateTime instance.\n\nRaises:\n"
        "    ValueError: If the timestamp is invalid."};
PyObject* from_unix_timestamp(PyObject*, PyObject* const* args, Py_ssize_t nargs,
                              PyObject* kwnames) {
  static constexpr FunctionDescription desc = from_unix_timestamp_member.description();
  std::int64_t secs;
  std::int32_t nanos = 0;
  if (!bind_vector(desc, args, static_cast<std::size_t>(nargs), kwnames, secs, nanos))
    return nullptr;
  return to_python(DateTime::from_unix_timestamp(secs, nanos), "Invalid timestamp: ");
}

constexpr Member now_utc_member{.class_name = "DateTime",
                                .name = "now_utc",
                                .receiver = Receiver::cls,
                                .doc = "Get the current UTC DateTime (requires std feature)."};
PyObject* now_utc(PyObject*, PyObject*) {
  return to_python(DateTime::now_utc(), "Failed to get current time: ");
}

constexpr Member unix_timestamp_member{.class_name = "DateTime",
                                       .name = "unix_timestamp",
                                       .receiver = Receiver::self,
                                       .doc = "Get Unix timestamp (seconds since Unix epoch)."};
PyObject* unix_timestamp(PyObject* self, PyObject*) {
  return to_python(self_value(self).unix_timestamp());
}

constexpr Member unix_timestamp_nanos_member{.class_name = "DateTime",
                                             .name = "unix_timestamp_nanos",
                                             .receiver = Receiver::self,
                                             .doc = "Get Unix timestamp in nanoseconds."};
PyObject* unix_timestamp_nanos(PyObject* self, PyObject*) {
  return to_python(self_value(self).unix_timestamp_nanos());
}

constexpr std::string_view add_duration_params[] = {"dur"};
constexpr Member add_duration_member{
    .class_name = "DateTime",
    .name = "add_duration",
    .receiver = Receiver::self,
    .parameters = add_duration_params,
    .doc =
        "Add a duration to this DateTime.\n\nArgs:\n    dur: A Duration instance.\n\n"
        "Returns:\n    DateTime: A new DateTime instance.\n\nRaises:\n"
        "    ValueError: If the resulting datetime is out of range."};
PyObject* add_duration(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  static constexpr FunctionDescription desc = add_duration_member.description();
  Duration dur{};
  if (!bind_vector(desc, args, static_cast<std::size_t>(nargs), kwnames, dur)) return nullptr;
  return to_python(self_value(self).add_duration(dur), "DateTime out of range: ");
}

constexpr std::string_view difference_params[] = {"other"};
constexpr Member difference_member{
    .class_name = "DateTime",
    .name = "difference",
    .receiver = Receiver::self,
    .parameters = difference_params,
    .doc =
        "Calculate the difference between two DateTimes.\n\nArgs:\n"
        "    other: Another DateTime instance.\n\nReturns:\n"
        "    Duration: The duration between the two datetimes (self - other)."};
PyObject* difference(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  static constexpr FunctionDescription desc = difference_member.description();
  DateTime other{};
  if (!bind_vector(desc, args, static_cast<std::size_t>(nargs), kwnames, other)) return nullptr;
  return to_python(self_value(self).difference(other));
}

// ---- protocol ----

PyObject* str(PyObject* self) noexcept { return python_string(self_value(self)); }

PyObject* repr(PyObject* self) noexcept {
  return python_string("DateTime.parse('", self_value(self), "')");
}

constexpr int class_method = METH_FASTCALL | METH_KEYWORDS | METH_CLASS;
constexpr int with_args = METH_FASTCALL | METH_KEYWORDS;

PyMethodDef methods[] = {
    {"parse", method(entry<parse>), class_method, docstring<parse_member>},
    {"from_unix_timestamp", method(entry<from_unix_timestamp>), class_method,
     docstring<from_unix_timestamp_member>},
    {"now_utc", method(entry<now_utc>), METH_NOARGS | METH_CLASS, docstring<now_utc_member>},
    {"unix_timestamp", method(entry<unix_timestamp>), METH_NOARGS,
     docstring<unix_timestamp_member>},
    {"unix_timestamp_nanos", method(entry<unix_timestamp_nanos>), METH_NOARGS,
     docstring<unix_timestamp_nanos_member>},
    {"add_duration", method(entry<add_duration>), with_args, docstring<add_duration_member>},
    {"difference", method(entry<difference>), with_args, docstring<difference_member>},
    {nullptr, nullptr, 0, nullptr},
};

PyGetSetDef properties[] = {
    {"date", entry<get_date>, nullptr, nullptr, nullptr},
    {"time", entry<get_time>, nullptr, nullptr, nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

const PyType_Slot slots[] = {
    {Py_tp_new, slot(entry<tp_new>)},
    {Py_tp_vectorcall, slot(constructor_call<entry<tp_new>, entry<vectorcall>>)},
    {Py_tp_str, slot(entry<str>)},
    {Py_tp_repr, slot(entry<repr>)},
    {Py_tp_hash, slot(entry<hash<DateTime>>)},
    {Py_tp_richcompare, slot(entry<richcompare<DateTime>>)},
    {0, nullptr},
};

}  // namespace

const ClassDef date_time_class = {
    "DateTime", docstring<new_member>, sizeof(Object<DateTime>), true, slots, methods, properties,
    {},         &type_of<DateTime>,
};

}  // namespace chronexa::py
