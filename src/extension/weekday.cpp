// SPDX-License-Identifier: MIT
//
// Weekday: seven canonical members, created with the type and handed out by
// Date.weekday(); identity equality and hashing.
#include "binding.hpp"
#include "entry.hpp"
#include "member.hpp"
#include "operators.hpp"
#include "text.hpp"

namespace chronexa::py {
namespace {

// The members, created once with the type and kept for the interpreter, so
// that rebinding a class attribute does not change what Date.weekday()
// returns. A member of another type is one left by a type whose creation
// failed part-way (an import that ran out of memory): it is replaced, so that
// a retried import hands out members of the type it publishes.
PyObject* members[7] = {};

template <Weekday W>
PyObject* make_member(PyTypeObject* type) {
  PyObject*& member = members[static_cast<int>(W)];
  if (member == nullptr || Py_TYPE(member) != type) {
    if (!keep_for_interpreter(members)) return nullptr;
    auto* o = PyObject_New(Object<Weekday>, type);
    if (o == nullptr) return nullptr;
    o->value = W;
    Py_XSETREF(member, reinterpret_cast<PyObject*>(o));
  }
  return Py_NewRef(member);
}

PyObject* str(PyObject* self) noexcept { return python_string(name(value_of<Weekday>(self))); }

constexpr Member number_from_monday_member{.class_name = "Weekday",
                                           .name = "number_from_monday",
                                           .receiver = Receiver::self,
                                           .doc = "Get the weekday number from Monday (1-7)."};
PyObject* number_from_monday(PyObject* self, PyObject*) {
  return to_python(chronexa::number_from_monday(value_of<Weekday>(self)));
}

PyMethodDef methods[] = {
    {"number_from_monday", method(entry<number_from_monday>), METH_NOARGS,
     docstring<number_from_monday_member>},
    {nullptr, nullptr, 0, nullptr},
};

const PyType_Slot slots[] = {
    {Py_tp_str, slot(entry<str>)},
    {Py_tp_repr, slot(entry<str>)},
    {0, nullptr},
};

const ClassAttribute attributes[] = {
    {"MONDAY", make_member<Weekday::Monday>},       {"TUESDAY", make_member<Weekday::Tuesday>},
    {"WEDNESDAY", make_member<Weekday::Wednesday>}, {"THURSDAY", make_member<Weekday::Thursday>},
    {"FRIDAY", make_member<Weekday::Friday>},       {"SATURDAY", make_member<Weekday::Saturday>},
    {"SUNDAY", make_member<Weekday::Sunday>},
};

}  // namespace

PyObject* weekday_object(Weekday w) noexcept { return Py_NewRef(members[static_cast<int>(w)]); }

const ClassDef weekday_class = {
    "Weekday", nullptr,    sizeof(Object<Weekday>), false, slots, methods,
    nullptr,   attributes, &type_of<Weekday>,
};

}  // namespace chronexa::py
