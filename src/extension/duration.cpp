// SPDX-License-Identifier: MIT
//
// Duration: a signed span of nanoseconds.
#include "binding.hpp"
#include "entry.hpp"
#include "operators.hpp"
#include "text.hpp"

namespace chronexa::py {
namespace {

const Duration& self_value(PyObject* self) noexcept { return value_of<Duration>(self); }

// ---- class methods ----

// One body per scaling constructor: bind the one argument as T, build, wrap.
template <auto Make, class T, const FunctionDescription& Desc>
PyObject* from_count(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  T count;
  if (!bind_vector(Desc, args, static_cast<std::size_t>(nargs), kwnames, count)) return nullptr;
  return to_python(Make(count));
}

constexpr std::string_view secs_param[] = {"secs"};
constexpr std::string_view ms_param[] = {"ms"};
constexpr std::string_view us_param[] = {"us"};
constexpr std::string_view ns_param[] = {"ns"};
constexpr FunctionDescription seconds_desc{"Duration", "seconds", secs_param, 1};
constexpr FunctionDescription milliseconds_desc{"Duration", "milliseconds", ms_param, 1};
constexpr FunctionDescription microseconds_desc{"Duration", "microseconds", us_param, 1};
constexpr FunctionDescription nanoseconds_desc{"Duration", "nanoseconds", ns_param, 1};

constexpr auto seconds = from_count<Duration::seconds, std::int64_t, seconds_desc>;
constexpr auto milliseconds = from_count<Duration::milliseconds, std::int64_t, milliseconds_desc>;
constexpr auto microseconds = from_count<Duration::microseconds, std::int64_t, microseconds_desc>;
constexpr auto nanoseconds = from_count<Duration::nanoseconds, i128, nanoseconds_desc>;

// ---- methods ----

PyObject* total_seconds(PyObject* self, PyObject*) {
  return to_python(self_value(self).total_seconds());
}

PyObject* total_nanos(PyObject* self, PyObject*) {
  return to_python(self_value(self).total_nanos());
}

// ---- protocol ----

Duration add(const Duration& a, const Duration& b) noexcept { return a + b; }
Duration subtract(const Duration& a, const Duration& b) noexcept { return a - b; }

PyObject* negative(PyObject* self) noexcept { return new_instance(-self_value(self)); }

PyObject* str(PyObject* self) noexcept {
  return python_string("Duration(", self_value(self).decimal(), " ns)");
}

PyObject* repr(PyObject* self) noexcept {
  return python_string("Duration.nanoseconds(", self_value(self).decimal(), ")");
}

constexpr int class_method = METH_FASTCALL | METH_KEYWORDS | METH_CLASS;

PyMethodDef methods[] = {
    {"seconds", method(entry<seconds>), class_method,
     "seconds($cls, secs)\n--\n\nCreate a duration from seconds."},
    {"milliseconds", method(entry<milliseconds>), class_method,
     "milliseconds($cls, ms)\n--\n\nCreate a duration from milliseconds."},
    {"microseconds", method(entry<microseconds>), class_method,
     "microseconds($cls, us)\n--\n\nCreate a duration from microseconds."},
    {"nanoseconds", method(entry<nanoseconds>), class_method,
     "nanoseconds($cls, ns)\n--\n\nCreate a duration from nanoseconds."},
    {"total_seconds", method(entry<total_seconds>), METH_NOARGS,
     "total_seconds($self)\n--\n\nGet total seconds as a float."},
    {"total_nanos", method(entry<total_nanos>), METH_NOARGS,
     "total_nanos($self)\n--\n\nGet total nanoseconds as an integer."},
    {nullptr, nullptr, 0, nullptr},
};

// No other number slot: unary plus, abs(), multiplication and truth testing
// are the interpreter's defaults (TypeError, and every duration is true).
const PyType_Slot slots[] = {
    {Py_nb_negative, slot(entry<negative>)},
    {Py_nb_add, slot(entry<binary<Duration, add>>)},
    {Py_nb_subtract, slot(entry<binary<Duration, subtract>>)},
    {Py_tp_str, slot(entry<str>)},
    {Py_tp_repr, slot(entry<repr>)},
    {Py_tp_hash, slot(entry<hash<Duration>>)},
    {Py_tp_richcompare, slot(entry<richcompare<Duration>>)},
    {0, nullptr},
};

}  // namespace

const ClassDef duration_class = {
    "Duration", nullptr, sizeof(Object<Duration>), false, slots, methods,
    nullptr,    {},      &type_of<Duration>,
};

}  // namespace chronexa::py
