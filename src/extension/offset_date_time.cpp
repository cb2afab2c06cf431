// SPDX-License-Identifier: MIT
//
// OffsetDateTime: a UTC instant shown at a fixed offset.
#include "binding.hpp"
#include "entry.hpp"
#include "operators.hpp"
#include "text.hpp"

namespace chronexa::py {
namespace {

const OffsetDateTime& self_value(PyObject* self) noexcept { return value_of<OffsetDateTime>(self); }

// ---- class methods ----

constexpr std::string_view from_utc_params[] = {"utc", "offset"};
constexpr std::string_view from_local_params[] = {"date", "time", "offset"};
constexpr std::string_view s_param[] = {"s"};

PyObject* from_utc(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  static constexpr FunctionDescription desc{"OffsetDateTime", "from_utc", from_utc_params, 2};
  DateTime utc{};
  UtcOffset offset{};
  if (!bind_vector(desc, args, static_cast<std::size_t>(nargs), kwnames, utc, offset))
    return nullptr;
  return to_python(OffsetDateTime::from_utc(utc, offset));
}

PyObject* from_local(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  static constexpr FunctionDescription desc{"OffsetDateTime", "from_local", from_local_params, 3};
  Date date{};
  Time time{};
  UtcOffset offset{};
  if (!bind_vector(desc, args, static_cast<std::size_t>(nargs), kwnames, date, time, offset))
    return nullptr;
  return to_python(OffsetDateTime::from_local(date, time, offset), "Invalid local datetime: ");
}

PyObject* parse(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  static constexpr FunctionDescription desc{"OffsetDateTime", "parse", s_param, 1};
  std::string_view s;
  if (!bind_vector(desc, args, static_cast<std::size_t>(nargs), kwnames, s)) return nullptr;
  const auto r = OffsetDateTime::parse(s);
  if (!r)
    return value_error_quoting(
        "Invalid offset datetime string ", s,
        ". Expected RFC 3339 format: YYYY-MM-DDTHH:MM:SS[.fffffffff][Z|\u00B1HH:MM]");
  return to_python(*r);
}

// ---- properties ----

PyObject* get_utc(PyObject* self, void*) { return to_python(self_value(self).utc); }
PyObject* get_offset(PyObject* self, void*) { return to_python(self_value(self).offset); }

// ---- methods ----

constexpr std::string_view dur_param[] = {"dur"};
constexpr std::string_view other_param[] = {"other"};

PyObject* to_local(PyObject* self, PyObject*) {
  return to_python(self_value(self).to_local(), "Local datetime out of range: ");
}

PyObject* unix_timestamp(PyObject* self, PyObject*) {
  return to_python(self_value(self).unix_timestamp());
}

PyObject* unix_timestamp_nanos(PyObject* self, PyObject*) {
  return to_python(self_value(self).unix_timestamp_nanos());
}

PyObject* add_duration(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  static constexpr FunctionDescription desc{"OffsetDateTime", "add_duration", dur_param, 1};
  Duration dur{};
  if (!bind_vector(desc, args, static_cast<std::size_t>(nargs), kwnames, dur)) return nullptr;
  return to_python(self_value(self).add_duration(dur), "DateTime out of range: ");
}

PyObject* difference(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  static constexpr FunctionDescription desc{"OffsetDateTime", "difference", other_param, 1};
  OffsetDateTime other{};
  if (!bind_vector(desc, args, static_cast<std::size_t>(nargs), kwnames, other)) return nullptr;
  return to_python(self_value(self).difference(other));
}

// ---- protocol ----

// A local time outside the range has no text: ValueError, as to_local reports
// the same condition.
constexpr std::string_view no_text = "OffsetDateTime local representation out of range: ";

PyObject* str(PyObject* self) noexcept {
  const OffsetDateTime& v = self_value(self);
  if (!v.has_text()) return value_error(no_text, name(DateError::OutOfRange));
  return python_string(v);
}

// The repr evaluates back to the value. The parse form needs text the parser
// takes back: a local time in range, and an offset of whole minutes under 24
// hours (the parser reads ±HH:MM, HH at most 23). Any other value, valid all
// the same (the bridge makes offsets with seconds from historical local mean
// times), is rebuilt from its parts, as the reprs of DateTime and UtcOffset
// print them, so debuggers, logging and containers holding it keep working.
PyObject* repr(PyObject* self) noexcept {
  const OffsetDateTime& v = self_value(self);
  const std::int32_t offset = v.offset.seconds;
  if (!v.has_text() || offset % 60 != 0 || offset <= -86400 || offset >= 86400)
    return python_string("OffsetDateTime.from_utc(DateTime.parse('", v.utc,
                         "'), UtcOffset.from_seconds(", v.offset.seconds, "))");
  return python_string("OffsetDateTime.parse('", v, "')");
}

constexpr int class_method = METH_FASTCALL | METH_KEYWORDS | METH_CLASS;
constexpr int with_args = METH_FASTCALL | METH_KEYWORDS;

PyMethodDef methods[] = {
    {"from_utc", method(entry<from_utc>), class_method,
     "from_utc($cls, utc, offset)\n--\n\n"
     "Create an OffsetDateTime from a UTC DateTime and offset.\n\n"
     "Args:\n    utc: A DateTime instance (in UTC).\n    offset: A UtcOffset instance.\n\n"
     "Returns:\n    OffsetDateTime: A new OffsetDateTime instance."},
    {"from_local", method(entry<from_local>), class_method,
     "from_local($cls, date, time, offset)\n--\n\n"
     "Create an OffsetDateTime from local date, time, and offset.\n\n"
     "Args:\n    date: A Date instance (in local time).\n"
     "    time: A Time instance (in local time).\n    offset: A UtcOffset instance.\n\n"
     "Returns:\n    OffsetDateTime: A new OffsetDateTime instance.\n\n"
     "Raises:\n    ValueError: If the conversion fails."},
    {"to_local", method(entry<to_local>), METH_NOARGS,
     "to_local($self)\n--\n\nConvert to local DateTime.\n\n"
     "Returns:\n    DateTime: The local DateTime.\n\n"
     "Raises:\n    ValueError: If the conversion fails."},
    {"unix_timestamp", method(entry<unix_timestamp>), METH_NOARGS,
     "unix_timestamp($self)\n--\n\nGet Unix timestamp (seconds since Unix epoch)."},
    {"unix_timestamp_nanos", method(entry<unix_timestamp_nanos>), METH_NOARGS,
     "unix_timestamp_nanos($self)\n--\n\nGet Unix timestamp in nanoseconds."},
    {"add_duration", method(entry<add_duration>), with_args,
     "add_duration($self, dur)\n--\n\nAdd a duration.\n\n"
     "Args:\n    dur: A Duration instance.\n\n"
     "Returns:\n    OffsetDateTime: A new OffsetDateTime instance.\n\n"
     "Raises:\n    ValueError: If the resulting datetime is out of range."},
    {"difference", method(entry<difference>), with_args,
     "difference($self, other)\n--\n\nCalculate the difference between two OffsetDateTimes.\n\n"
     "Args:\n    other: Another OffsetDateTime instance.\n\n"
     "Returns:\n    Duration: The duration between the two datetimes (self - other)."},
    {"parse", method(entry<parse>), class_method,
     "parse($cls, s)\n--\n\nParse an OffsetDateTime from RFC 3339 format.\n\n"
     "Args:\n    s: The string to parse.\n\n"
     "Returns:\n    OffsetDateTime: A new OffsetDateTime instance.\n\n"
     "Raises:\n    ValueError: If the string is not valid."},
    {nullptr, nullptr, 0, nullptr},
};

PyGetSetDef properties[] = {
    {"utc", entry<get_utc>, nullptr, nullptr, nullptr},
    {"offset", entry<get_offset>, nullptr, nullptr, nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

const PyType_Slot slots[] = {
    {Py_tp_str, slot(entry<str>)},
    {Py_tp_repr, slot(entry<repr>)},
    {Py_tp_hash, slot(entry<hash<OffsetDateTime>>)},
    {Py_tp_richcompare, slot(entry<richcompare<OffsetDateTime>>)},
    {0, nullptr},
};

}  // namespace

const ClassDef offset_date_time_class = {
    "OffsetDateTime", nullptr, sizeof(Object<OffsetDateTime>), false, slots, methods,
    properties,       {},      &type_of<OffsetDateTime>,
};

}  // namespace chronexa::py
