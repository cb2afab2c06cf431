// SPDX-License-Identifier: MIT
//
// OffsetDateTime: a UTC instant shown at a fixed offset.
#include "binding.hpp"
#include "entry.hpp"
#include "member.hpp"
#include "operators.hpp"
#include "text.hpp"

namespace chronexa::py {
namespace {

const OffsetDateTime& self_value(PyObject* self) noexcept { return value_of<OffsetDateTime>(self); }

// ---- class methods ----

constexpr std::string_view from_utc_params[] = {"utc", "offset"};
constexpr Member from_utc_member{
    .class_name = "OffsetDateTime",
    .name = "from_utc",
    .receiver = Receiver::cls,
    .parameters = from_utc_params,
    .doc =
        "Create an OffsetDateTime from a UTC DateTime and offset.\n\nArgs:\n"
        "    utc: A DateTime instance (in UTC).\n    offset: A UtcOffset instance.\n\n"
        "Returns:\n    OffsetDateTime: A new OffsetDateTime instance."};
PyObject* from_utc(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  static constexpr FunctionDescription desc = from_utc_member.description();
  DateTime utc{};
  UtcOffset offset{};
  if (!bind_vector(desc, args, static_cast<std::size_t>(nargs), kwnames, utc, offset))
    return nullptr;
  return to_python(OffsetDateTime::from_utc(utc, offset));
}

constexpr std::string_view from_local_params[] = {"date", "time", "offset"};
constexpr Member from_local_member{
    .class_name = "OffsetDateTime",
    .name = "from_local",
    .receiver = Receiver::cls,
    .parameters = from_local_params,
    .doc =
        "Create an OffsetDateTime from local date, time, and offset.\n\nArgs:\n"
        "    date: A Date instance (in local time).\n"
        "    time: A Time instance (in local time).\n    offset: A UtcOffset instance.\n\n"
        "Returns:\n    OffsetDateTime: A new OffsetDateTime instance.\n\nRaises:\n"
        "    ValueError: If the conversion fails."};
PyObject* from_local(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  static constexpr FunctionDescription desc = from_local_member.description();
  Date date{};
  Time time{};
  UtcOffset offset{};
  if (!bind_vector(desc, args, static_cast<std::size_t>(nargs), kwnames, date, time, offset))
    return nullptr;
  return to_python(OffsetDateTime::from_local(date, time, offset), "Invalid local datetime: ");
}

constexpr std::string_view parse_params[] = {"s"};
constexpr Member parse_member{.class_name = "OffsetDateTime",
                              .name = "parse",
                              .receiver = Receiver::cls,
                              .parameters = parse_params,
                              .doc =
                                  "Parse an OffsetDateTime from RFC 3339 format.\n\nArgs:\n"
                                  "    s: The string to parse.\n\nReturns:\n"
                                  "    OffsetDateTime: A new OffsetDateTime instance.\n\nRaises:\n"
                                  "    ValueError: If the string is not valid."};
PyObject* parse(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  static constexpr FunctionDescription desc = parse_member.description();
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

constexpr Member to_local_member{
    .class_name = "OffsetDateTime",
    .name = "to_local",
    .receiver = Receiver::self,
    .doc =
        "Convert to local DateTime.\n\nReturns:\n    DateTime: The local DateTime.\n\n"
        "Raises:\n    ValueError: If the conversion fails."};
PyObject* to_local(PyObject* self, PyObject*) {
  return to_python(self_value(self).to_local(), "Local datetime out of range: ");
}

constexpr Member unix_timestamp_member{.class_name = "OffsetDateTime",
                                       .name = "unix_timestamp",
                                       .receiver = Receiver::self,
                                       .doc = "Get Unix timestamp (seconds since Unix epoch)."};
PyObject* unix_timestamp(PyObject* self, PyObject*) {
  return to_python(self_value(self).unix_timestamp());
}

constexpr Member unix_timestamp_nanos_member{.class_name = "OffsetDateTime",
                                             .name = "unix_timestamp_nanos",
                                             .receiver = Receiver::self,
                                             .doc = "Get Unix timestamp in nanoseconds."};
PyObject* unix_timestamp_nanos(PyObject* self, PyObject*) {
  return to_python(self_value(self).unix_timestamp_nanos());
}

constexpr std::string_view add_duration_params[] = {"dur"};
constexpr Member add_duration_member{
    .class_name = "OffsetDateTime",
    .name = "add_duration",
    .receiver = Receiver::self,
    .parameters = add_duration_params,
    .doc =
        "Add a duration.\n\nArgs:\n    dur: A Duration instance.\n\nReturns:\n"
        "    OffsetDateTime: A new OffsetDateTime instance.\n\nRaises:\n"
        "    ValueError: If the resulting datetime is out of range."};
PyObject* add_duration(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  static constexpr FunctionDescription desc = add_duration_member.description();
  Duration dur{};
  if (!bind_vector(desc, args, static_cast<std::size_t>(nargs), kwnames, dur)) return nullptr;
  return to_python(self_value(self).add_duration(dur), "DateTime out of range: ");
}

constexpr std::string_view difference_params[] = {"other"};
constexpr Member difference_member{
    .class_name = "OffsetDateTime",
    .name = "difference",
    .receiver = Receiver::self,
    .parameters = difference_params,
    .doc =
        "Calculate the difference between two OffsetDateTimes.\n\nArgs:\n"
        "    other: Another OffsetDateTime instance.\n\nReturns:\n"
        "    Duration: The duration between the two datetimes (self - other)."};
PyObject* difference(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  static constexpr FunctionDescription desc = difference_member.description();
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
  // -23:59 to +23:59 in whole minutes, counted from -23:59: one unsigned
  // range check and one divisibility test.
  const auto from_lowest = static_cast<std::uint32_t>(v.offset.seconds + 86'340);
  const bool offset_parses = from_lowest <= 2 * 86'340 && from_lowest % 60 == 0;
  if (!v.has_text() || !offset_parses) [[unlikely]]
    return python_string("OffsetDateTime.from_utc(DateTime.parse('", v.utc,
                         "'), UtcOffset.from_seconds(", v.offset.seconds, "))");
  return python_string("OffsetDateTime.parse('", v, "')");
}

constexpr int class_method = METH_FASTCALL | METH_KEYWORDS | METH_CLASS;
constexpr int with_args = METH_FASTCALL | METH_KEYWORDS;

PyMethodDef methods[] = {
    {"from_utc", method(entry<from_utc>), class_method, docstring<from_utc_member>},
    {"from_local", method(entry<from_local>), class_method, docstring<from_local_member>},
    {"to_local", method(entry<to_local>), METH_NOARGS, docstring<to_local_member>},
    {"unix_timestamp", method(entry<unix_timestamp>), METH_NOARGS,
     docstring<unix_timestamp_member>},
    {"unix_timestamp_nanos", method(entry<unix_timestamp_nanos>), METH_NOARGS,
     docstring<unix_timestamp_nanos_member>},
    {"add_duration", method(entry<add_duration>), with_args, docstring<add_duration_member>},
    {"difference", method(entry<difference>), with_args, docstring<difference_member>},
    {"parse", method(entry<parse>), class_method, docstring<parse_member>},
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
