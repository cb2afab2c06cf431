// SPDX-License-Identifier: MIT
//
// DateTime: a UTC instant.
#include "binding.hpp"
#include "entry.hpp"
#include "operators.hpp"
#include "text.hpp"

namespace chronexa::py {
namespace {

const DateTime& self_value(PyObject* self) noexcept { return value_of<DateTime>(self); }

// DateTime(date, time): both the tuple constructor and the vector call.
constexpr std::string_view new_params[] = {"date", "time"};
constexpr FunctionDescription new_desc{"DateTime", "__new__", new_params, 2};

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

PyObject* parse(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  static constexpr std::string_view params[] = {"s"};
  static constexpr FunctionDescription desc{"DateTime", "parse", params, 1};
  std::string_view s;
  if (!bind_vector(desc, args, static_cast<std::size_t>(nargs), kwnames, s)) return nullptr;
  const std::optional<DateTime> r = DateTime::parse(s);
  if (!r)
    return value_error_quoting("Invalid datetime string ", s,
                               ". Expected format: YYYY-MM-DDTHH:MM:SS[.fffffffff]Z");
  return to_python(*r);
}

PyObject* from_unix_timestamp(PyObject*, PyObject* const* args, Py_ssize_t nargs,
                              PyObject* kwnames) {
  static constexpr std::string_view params[] = {"secs", "nanos"};
  static constexpr FunctionDescription desc{"DateTime", "from_unix_timestamp", params, 1};
  std::int64_t secs;
  std::int32_t nanos = 0;
  if (!bind_vector(desc, args, static_cast<std::size_t>(nargs), kwnames, secs, nanos))
    return nullptr;
  return to_python(DateTime::from_unix_timestamp(secs, nanos), "Invalid timestamp: ");
}

PyObject* now_utc(PyObject*, PyObject*) {
  return to_python(DateTime::now_utc(), "Failed to get current time: ");
}

PyObject* unix_timestamp(PyObject* self, PyObject*) {
  return to_python(self_value(self).unix_timestamp());
}

PyObject* unix_timestamp_nanos(PyObject* self, PyObject*) {
  return to_python(self_value(self).unix_timestamp_nanos());
}

PyObject* add_duration(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  static constexpr std::string_view params[] = {"dur"};
  static constexpr FunctionDescription desc{"DateTime", "add_duration", params, 1};
  Duration dur{};
  if (!bind_vector(desc, args, static_cast<std::size_t>(nargs), kwnames, dur)) return nullptr;
  return to_python(self_value(self).add_duration(dur), "DateTime out of range: ");
}

PyObject* difference(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  static constexpr std::string_view params[] = {"other"};
  static constexpr FunctionDescription desc{"DateTime", "difference", params, 1};
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
    {"parse", method(entry<parse>), class_method,
     "parse($cls, s)\n--\n\nParse a DateTime from ISO 8601 / RFC 3339 UTC format.\n\n"
     "Args:\n    s: The string to parse (e.g., \"2024-01-01T12:00:00Z\").\n\n"
     "Returns:\n    DateTime: A new DateTime instance.\n\n"
     "Raises:\n    ValueError: If the string is not a valid datetime."},
    {"from_unix_timestamp", method(entry<from_unix_timestamp>), class_method,
     "from_unix_timestamp($cls, secs, nanos=0)\n--\n\n"
     "Create a DateTime from Unix timestamp (seconds and nanoseconds).\n\n"
     "Args:\n    secs: Seconds since Unix epoch.\n"
     "    nanos: Additional nanoseconds (default=0).\n\n"
     "Returns:\n    DateTime: A new DateTime instance.\n\n"
     "Raises:\n    ValueError: If the timestamp is invalid."},
    {"now_utc", method(entry<now_utc>), METH_NOARGS | METH_CLASS,
     "now_utc($cls)\n--\n\nGet the current UTC DateTime (requires std feature)."},
    {"unix_timestamp", method(entry<unix_timestamp>), METH_NOARGS,
     "unix_timestamp($self)\n--\n\nGet Unix timestamp (seconds since Unix epoch)."},
    {"unix_timestamp_nanos", method(entry<unix_timestamp_nanos>), METH_NOARGS,
     "unix_timestamp_nanos($self)\n--\n\nGet Unix timestamp in nanoseconds."},
    {"add_duration", method(entry<add_duration>), with_args,
     "add_duration($self, dur)\n--\n\nAdd a duration to this DateTime.\n\n"
     "Args:\n    dur: A Duration instance.\n\n"
     "Returns:\n    DateTime: A new DateTime instance.\n\n"
     "Raises:\n    ValueError: If the resulting datetime is out of range."},
    {"difference", method(entry<difference>), with_args,
     "difference($self, other)\n--\n\nCalculate the difference between two DateTimes.\n\n"
     "Args:\n    other: Another DateTime instance.\n\n"
     "Returns:\n    Duration: The duration between the two datetimes (self - other)."},
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
    "DateTime",
    "DateTime(date, time)\n--\n\n",
    sizeof(Object<DateTime>),
    true,
    slots,
    methods,
    properties,
    {},
    &type_of<DateTime>,
};

}  // namespace chronexa::py
