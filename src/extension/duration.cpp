// SPDX-License-Identifier: MIT
//
// Duration: a signed span of nanoseconds.
#include "binding.hpp"
#include "entry.hpp"
#include "member.hpp"
#include "operators.hpp"
#include "text.hpp"

namespace chronexa::py {
namespace {

const Duration& self_value(PyObject* self) noexcept { return value_of<Duration>(self); }

// ---- class methods ----

// One body per scaling constructor: bind the one argument as T, build, wrap.
template <auto Make, class T, const Member& M>
PyObject* from_count(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  static constexpr FunctionDescription desc = M.description();
  T count;
  if (!bind_vector(desc, args, static_cast<std::size_t>(nargs), kwnames, count)) return nullptr;
  return to_python(Make(count));
}

constexpr std::string_view seconds_params[] = {"secs"};
constexpr Member seconds_member{.class_name = "Duration",
                                .name = "seconds",
                                .receiver = Receiver::cls,
                                .parameters = seconds_params,
                                .doc = "Create a duration from seconds."};

constexpr std::string_view milliseconds_params[] = {"ms"};
constexpr Member milliseconds_member{.class_name = "Duration",
                                     .name = "milliseconds",
                                     .receiver = Receiver::cls,
                                     .parameters = milliseconds_params,
                                     .doc = "Create a duration from milliseconds."};

constexpr std::string_view microseconds_params[] = {"us"};
constexpr Member microseconds_member{.class_name = "Duration",
                                     .name = "microseconds",
                                     .receiver = Receiver::cls,
                                     .parameters = microseconds_params,
                                     .doc = "Create a duration from microseconds."};

constexpr std::string_view nanoseconds_params[] = {"ns"};
constexpr Member nanoseconds_member{.class_name = "Duration",
                                    .name = "nanoseconds",
                                    .receiver = Receiver::cls,
                                    .parameters = nanoseconds_params,
                                    .doc = "Create a duration from nanoseconds."};

constexpr auto seconds = from_count<Duration::seconds, std::int64_t, seconds_member>;
constexpr auto milliseconds = from_count<Duration::milliseconds, std::int64_t, milliseconds_member>;
constexpr auto microseconds = from_count<Duration::microseconds, std::int64_t, microseconds_member>;
constexpr auto nanoseconds = from_count<Duration::nanoseconds, i128, nanoseconds_member>;

// ---- methods ----

constexpr Member total_seconds_member{.class_name = "Duration",
                                      .name = "total_seconds",
                                      .receiver = Receiver::self,
                                      .doc = "Get total seconds as a float."};
PyObject* total_seconds(PyObject* self, PyObject*) {
  return to_python(self_value(self).total_seconds());
}

constexpr Member total_nanos_member{.class_name = "Duration",
                                    .name = "total_nanos",
                                    .receiver = Receiver::self,
                                    .doc = "Get total nanoseconds as an integer."};
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
    {"seconds", method(entry<seconds>), class_method, docstring<seconds_member>},
    {"milliseconds", method(entry<milliseconds>), class_method, docstring<milliseconds_member>},
    {"microseconds", method(entry<microseconds>), class_method, docstring<microseconds_member>},
    {"nanoseconds", method(entry<nanoseconds>), class_method, docstring<nanoseconds_member>},
    {"total_seconds", method(entry<total_seconds>), METH_NOARGS, docstring<total_seconds_member>},
    {"total_nanos", method(entry<total_nanos>), METH_NOARGS, docstring<total_nanos_member>},
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
