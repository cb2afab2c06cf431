// SPDX-License-Identifier: MIT
//
// Date: a calendar date.
#include "binding.hpp"
#include "entry.hpp"
#include "member.hpp"
#include "operators.hpp"
#include "text.hpp"

namespace chronexa::py {
namespace {

using Names = std::string_view[];

const Date& self_value(PyObject* self) noexcept { return value_of<Date>(self); }

// Date(year, month, day): both the tuple constructor and the vector call.
constexpr std::string_view new_params[] = {"year", "month", "day"};
constexpr Member new_member{.class_name = "Date",
                            .name = "__new__",
                            .receiver = Receiver::constructor,
                            .parameters = new_params};
constexpr FunctionDescription new_desc = new_member.description();

PyObject* construct(std::int32_t year, std::uint8_t month, std::uint8_t day) {
  return to_python(Date::from_ymd(year, month, day), "Invalid date: ");
}

PyObject* tp_new(PyTypeObject*, PyObject* args, PyObject* kwargs) {
  std::int32_t year;
  std::uint8_t month, day;
  if (!bind_tuple(new_desc, args, kwargs, year, month, day)) return nullptr;
  return construct(year, month, day);
}

PyObject* vectorcall(PyObject*, PyObject* const* args, std::size_t nargsf, PyObject* kwnames) {
  std::int32_t year;
  std::uint8_t month, day;
  if (!bind_vector(new_desc, args, nargsf, kwnames, year, month, day)) return nullptr;
  return construct(year, month, day);
}

// ---- properties ----

PyObject* get_year(PyObject* self, void*) { return to_python(self_value(self).year); }
PyObject* get_month(PyObject* self, void*) { return to_python(self_value(self).month); }
PyObject* get_day(PyObject* self, void*) { return to_python(self_value(self).day); }

// ---- methods ----

constexpr std::string_view parse_params[] = {"s"};
constexpr Member parse_member{
    .class_name = "Date",
    .name = "parse",
    .receiver = Receiver::cls,
    .parameters = parse_params,
    .doc =
        "Parse a date from ISO format (YYYY-MM-DD).\n\nArgs:\n    s: The string to parse.\n\n"
        "Returns:\n    Date: A new Date instance.\n\nRaises:\n"
        "    ValueError: If the string is not a valid date."};
PyObject* parse(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  static constexpr FunctionDescription desc = parse_member.description();
  std::string_view s;
  if (!bind_vector(desc, args, static_cast<std::size_t>(nargs), kwnames, s)) return nullptr;
  return to_python(Date::parse(s), "Invalid date string: ");
}

constexpr std::string_view from_days_since_unix_epoch_params[] = {"days"};
constexpr Member from_days_since_unix_epoch_member{
    .class_name = "Date",
    .name = "from_days_since_unix_epoch",
    .receiver = Receiver::cls,
    .parameters = from_days_since_unix_epoch_params,
    .doc =
        "Create a Date from days since Unix epoch (1970-01-01).\n\nArgs:\n"
        "    days: Days since Unix epoch.\n\nReturns:\n    Date: A new Date instance.\n\n"
        "Raises:\n    ValueError: If the date is out of range."};
PyObject* from_days_since_unix_epoch(PyObject*, PyObject* const* args, Py_ssize_t nargs,
                                     PyObject* kwnames) {
  static constexpr FunctionDescription desc = from_days_since_unix_epoch_member.description();
  std::int64_t days;
  if (!bind_vector(desc, args, static_cast<std::size_t>(nargs), kwnames, days)) return nullptr;
  return to_python(Date::from_days_since_unix_epoch(days), "Invalid date: ");
}

constexpr Member days_since_unix_epoch_member{
    .class_name = "Date",
    .name = "days_since_unix_epoch",
    .receiver = Receiver::self,
    .doc = "Convert to days since Unix epoch (1970-01-01)."};
PyObject* days_since_unix_epoch(PyObject* self, PyObject*) {
  return to_python(self_value(self).days_since_unix_epoch());
}

constexpr Member weekday_member{
    .class_name = "Date", .name = "weekday", .receiver = Receiver::self, .doc = "Get the weekday."};
PyObject* weekday(PyObject* self, PyObject*) { return weekday_object(self_value(self).weekday()); }

constexpr Member ordinal_member{.class_name = "Date",
                                .name = "ordinal",
                                .receiver = Receiver::self,
                                .doc = "Get the day of the year (1-366)."};
PyObject* ordinal(PyObject* self, PyObject*) { return to_python(self_value(self).ordinal()); }

CHRONEXA_RETURNS_EXPECTED_DATE std::expected<Date, DateError> moved(const Date& d,
                                                                    std::int64_t days) noexcept {
  return d.add_days(days);
}

constexpr std::string_view add_days_params[] = {"days"};
constexpr Member add_days_member{
    .class_name = "Date",
    .name = "add_days",
    .receiver = Receiver::self,
    .parameters = add_days_params,
    .doc =
        "Add days to the date.\n\nArgs:\n    days: Number of days to add (can be negative).\n"
        "\nReturns:\n    Date: A new Date instance.\n\nRaises:\n"
        "    ValueError: If the resulting date is out of range."};
PyObject* add_days(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  static constexpr FunctionDescription desc = add_days_member.description();
  std::int64_t days;
  if (!bind_vector(desc, args, static_cast<std::size_t>(nargs), kwnames, days)) return nullptr;
  return to_python(moved(self_value(self), days), "Date out of range: ");
}

// ---- protocol ----

PyObject* str(PyObject* self) noexcept { return python_string(self_value(self)); }

PyObject* repr(PyObject* self) noexcept {
  const Date& d = self_value(self);
  return python_string("Date(year=", d.year, ", month=", d.month, ", day=", d.day, ")");
}

constexpr int class_method = METH_FASTCALL | METH_KEYWORDS | METH_CLASS;
constexpr int with_args = METH_FASTCALL | METH_KEYWORDS;

PyMethodDef methods[] = {
    {"parse", method(entry<parse>), class_method, docstring<parse_member>},
    {"from_days_since_unix_epoch", method(entry<from_days_since_unix_epoch>), class_method,
     docstring<from_days_since_unix_epoch_member>},
    {"days_since_unix_epoch", method(entry<days_since_unix_epoch>), METH_NOARGS,
     docstring<days_since_unix_epoch_member>},
    {"weekday", method(entry<weekday>), METH_NOARGS, docstring<weekday_member>},
    {"ordinal", method(entry<ordinal>), METH_NOARGS, docstring<ordinal_member>},
    {"add_days", method(entry<add_days>), with_args, docstring<add_days_member>},
    {nullptr, nullptr, 0, nullptr},
};

PyGetSetDef properties[] = {
    {"year", entry<get_year>, nullptr, nullptr, nullptr},
    {"month", entry<get_month>, nullptr, nullptr, nullptr},
    {"day", entry<get_day>, nullptr, nullptr, nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

const PyType_Slot slots[] = {
    {Py_tp_new, slot(entry<tp_new>)},
    {Py_tp_vectorcall, slot(constructor_call<entry<tp_new>, entry<vectorcall>>)},
    {Py_tp_str, slot(entry<str>)},
    {Py_tp_repr, slot(entry<repr>)},
    {Py_tp_hash, slot(entry<hash<Date>>)},
    {Py_tp_richcompare, slot(entry<richcompare<Date>>)},
    {0, nullptr},
};

}  // namespace

const ClassDef date_class = {
    "Date", docstring<new_member>, sizeof(Object<Date>), true, slots, methods, properties,
    {},     &type_of<Date>,
};

}  // namespace chronexa::py
