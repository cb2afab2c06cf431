// SPDX-License-Identifier: MIT
#include "binding.hpp"

#include <string>

namespace chronexa::py {

namespace {

// ---- messages (built only on failure) ----

std::string display_name(const FunctionDescription& d) {
  std::string s;
  if (!d.class_name.empty()) (s += d.class_name) += '.';
  return (s += d.name) += "()";
}

// 'a'; 'a' and 'b'; 'a', 'b', and 'c'
std::string quoted_list(std::span<const std::string_view> names) {
  std::string s;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i > 0) s += names.size() == 2 ? " and " : (i + 1 == names.size() ? ", and " : ", ");
    ((s += '\'') += names[i]) += '\'';
  }
  return s;
}

[[gnu::cold, gnu::noinline]] bool type_error(const std::string& message) {
  PyErr_SetString(PyExc_TypeError, message.c_str());
  return false;
}

[[gnu::cold, gnu::noinline]] bool too_many_positional(const FunctionDescription& d, Py_ssize_t n) {
  const std::size_t p = d.positional.size();
  std::string m = display_name(d) + " takes ";
  if (d.required < p) m += "from " + std::to_string(d.required) + " to ";
  m += std::to_string(p) + " positional arguments but " + std::to_string(n) +
       (n == 1 ? " was given" : " were given");
  return type_error(m);
}

[[gnu::cold, gnu::noinline]] bool unexpected_keyword(const FunctionDescription& d, PyObject* key) {
  PyObject* text = PyObject_Str(key);  // kept as it is, lone surrogates included
  if (text == nullptr) return false;
  PyErr_Format(PyExc_TypeError, "%s got an unexpected keyword argument '%U'",
               display_name(d).c_str(), text);
  Py_DECREF(text);
  return false;
}

[[gnu::cold, gnu::noinline]] bool multiple_values(const FunctionDescription& d,
                                                  std::string_view p) {
  return type_error(display_name(d) + " got multiple values for argument '" + std::string(p) + "'");
}

[[gnu::cold, gnu::noinline]] bool missing(const FunctionDescription& d, const char* kind,
                                          std::span<const std::string_view> names) {
  return type_error(display_name(d) + " missing " + std::to_string(names.size()) + " required " +
                    kind + (names.size() == 1 ? " argument: " : " arguments: ") +
                    quoted_list(names));
}

[[gnu::cold, gnu::noinline]] bool positional_only_as_keyword(
    const FunctionDescription& d, std::span<const std::string_view> names) {
  return type_error(
      display_name(d) +
      " got some positional-only arguments passed as keyword arguments: " + quoted_list(names));
}

// ---- the binding steps shared by both conventions ----

class Binder {
 public:
  Binder(const FunctionDescription& d, PyObject** slots) : d_(d), slots_(slots) {
    for (std::size_t i = 0; i < d.slot_count(); ++i) slots[i] = nullptr;
  }

  bool positional(PyObject* const* args, Py_ssize_t n) {
    const std::size_t p = d_.positional.size();
    const std::size_t take = std::min(static_cast<std::size_t>(n), p);
    for (std::size_t i = 0; i < take; ++i) slots_[i] = args[i];
    return static_cast<std::size_t>(n) <= p || too_many_positional(d_, n);
  }

  bool keyword(PyObject* key, PyObject* value) {
    Py_ssize_t size;
    const char* utf8 = PyUnicode_Check(key) ? PyUnicode_AsUTF8AndSize(key, &size) : nullptr;
    if (utf8 == nullptr) {
      PyErr_Clear();
      return unexpected_keyword(d_, key);
    }
    const std::string_view name(utf8, static_cast<std::size_t>(size));
    for (std::size_t k = 0; k < d_.keyword_only.size(); ++k) {
      if (d_.keyword_only[k].name != name) continue;
      PyObject*& slot = slots_[d_.positional.size() + k];
      if (slot != nullptr) return multiple_values(d_, name);
      slot = value;
      return true;
    }
    for (std::size_t i = 0; i < d_.positional.size(); ++i) {
      if (d_.positional[i] != name) continue;
      if (i < d_.positional_only) {
        if (positional_only_used_ < std::size(positional_only_names_))
          positional_only_names_[positional_only_used_++] = d_.positional[i];
        return true;
      }
      if (slots_[i] != nullptr) return multiple_values(d_, name);
      slots_[i] = value;
      return true;
    }
    return unexpected_keyword(d_, key);
  }

  bool finish() {
    if (positional_only_used_ > 0)
      return positional_only_as_keyword(d_, {positional_only_names_, positional_only_used_});
    std::string_view absent[16];
    std::size_t k = 0;
    for (std::size_t i = 0; i < d_.required; ++i)
      if (slots_[i] == nullptr) absent[k++] = d_.positional[i];
    if (k > 0) return missing(d_, "positional", {absent, k});
    for (std::size_t i = 0; i < d_.keyword_only.size(); ++i)
      if (d_.keyword_only[i].required && slots_[d_.positional.size() + i] == nullptr)
        absent[k++] = d_.keyword_only[i].name;
    if (k > 0) return missing(d_, "keyword", {absent, k});
    return true;
  }

 private:
  const FunctionDescription& d_;
  PyObject** slots_;
  std::string_view positional_only_names_[16];
  std::size_t positional_only_used_ = 0;
};

}  // namespace

bool bind_slots(const FunctionDescription& d, PyObject* const* args, Py_ssize_t nargs,
                PyObject* kwnames, PyObject** slots) noexcept {
  const std::size_t p = d.positional.size();
  // The common case: positional arguments only, as many as there are
  // parameters or at least the required ones.
  if (kwnames == nullptr && static_cast<std::size_t>(nargs) <= p &&
      static_cast<std::size_t>(nargs) >= d.required && d.keyword_only.empty()) {
    std::size_t i = 0;
    for (; i < static_cast<std::size_t>(nargs); ++i) slots[i] = args[i];
    for (; i < p; ++i) slots[i] = nullptr;
    return true;
  }
  Binder b(d, slots);
  if (!b.positional(args, nargs)) return false;
  if (kwnames != nullptr) {
    const Py_ssize_t nk = PyTuple_GET_SIZE(kwnames);
    for (Py_ssize_t k = 0; k < nk; ++k)
      if (!b.keyword(PyTuple_GET_ITEM(kwnames, k), args[nargs + k])) return false;
  }
  return b.finish();
}

bool bind_slots(const FunctionDescription& d, PyObject* args, PyObject* kwargs,
                PyObject** slots) noexcept {
  const Py_ssize_t n = PyTuple_GET_SIZE(args);
  if (kwargs == nullptr || PyDict_GET_SIZE(kwargs) == 0)
    return bind_slots(d, &PyTuple_GET_ITEM(args, 0), n, nullptr, slots);
  Binder b(d, slots);
  if (!b.positional(&PyTuple_GET_ITEM(args, 0), n)) return false;
  Py_ssize_t pos = 0;
  PyObject *key, *value;
  while (PyDict_Next(kwargs, &pos, &key, &value))
    if (!b.keyword(key, value)) return false;
  return b.finish();
}

// ---- conversion ----

namespace {

[[gnu::cold, gnu::noinline]] bool out_of_range() {
  PyErr_SetString(PyExc_OverflowError, "out of range integral type conversion attempted");
  return false;
}

template <class T>
bool convert_narrow(PyObject* o, T& out) noexcept {
  const std::int64_t v = as_i64(o);
  if (v == -1 && PyErr_Occurred()) return false;
  if (v < std::numeric_limits<T>::min() || v > std::numeric_limits<T>::max()) return out_of_range();
  out = static_cast<T>(v);
  return true;
}

}  // namespace

bool convert(PyObject* o, std::int64_t& out) noexcept {
  const std::int64_t v = as_i64(o);
  if (v == -1 && PyErr_Occurred()) return false;
  out = v;
  return true;
}
bool convert(PyObject* o, std::int32_t& out) noexcept { return convert_narrow(o, out); }
bool convert(PyObject* o, std::uint8_t& out) noexcept { return convert_narrow(o, out); }
bool convert(PyObject* o, std::uint32_t& out) noexcept { return convert_narrow(o, out); }

bool convert(PyObject* o, i128& out) noexcept {
  if (std::int64_t v; read_compact(o, v)) {
    out = v;
    return true;
  }
  PyObject* index = PyNumber_Index(o);
  if (index == nullptr) return false;
  // A signed buffer: the default (-1) treats it as unsigned and would take
  // 2^127 .. 2^128-1 as negative values.
  const Py_ssize_t needed = PyLong_AsNativeBytes(index, &out, sizeof out,
                                                 Py_ASNATIVEBYTES_NATIVE_ENDIAN);
  Py_DECREF(index);
  if (needed < 0) return false;
  if (static_cast<std::size_t>(needed) > sizeof out) {
    PyErr_SetString(PyExc_OverflowError, "Python int larger than 128 bits");
    return false;
  }
  return true;
}

bool convert(PyObject* o, bool& out) noexcept {
  if (o == Py_True || o == Py_False) {
    out = o == Py_True;
    return true;
  }
  // numpy's boolean scalars, recognised by name so numpy need not be loaded.
  // A module name that is not a str (any class may set __module__ to
  // anything) simply means "not numpy".
  PyTypeObject* t = Py_TYPE(o);
  PyObject* module = PyType_GetModuleName(t);
  if (module == nullptr) {
    PyErr_Clear();
  } else {
    const bool numpy = PyUnicode_Check(module) && PyUnicode_EqualToUTF8(module, "numpy");
    Py_DECREF(module);
    if (numpy) {
      PyObject* name = PyType_GetName(t);
      if (name == nullptr) return false;
      const bool boolean = PyUnicode_EqualToUTF8(name, "bool_") ||
                           PyUnicode_EqualToUTF8(name, "bool");
      Py_DECREF(name);
      if (boolean) {
        inquiry truth = t->tp_as_number != nullptr ? t->tp_as_number->nb_bool : nullptr;
        if (truth == nullptr) {
          PyObject* type_text = PyObject_Str(reinterpret_cast<PyObject*>(t));
          if (type_text == nullptr) return false;
          PyErr_Format(PyExc_TypeError,
                       "object of type '%U' does not define a '__bool__' conversion", type_text);
          Py_DECREF(type_text);
          return false;
        }
        const int r = truth(o);
        if (r < 0) return false;
        out = r != 0;
        return true;
      }
    }
  }
  instance_check_error(o, &PyBool_Type);
  return false;
}

bool convert_utf8(PyObject* o, std::string_view& out) noexcept {
  if (!PyUnicode_Check(o)) {
    instance_check_error(o, &PyUnicode_Type);
    return false;
  }
  Py_ssize_t n;
  const char* utf8 = PyUnicode_AsUTF8AndSize(o, &n);
  if (utf8 == nullptr) return false;
  out = {utf8, static_cast<std::size_t>(n)};
  return true;
}

void add_parameter_note(std::string_view name) noexcept {
  PyObject* exc = PyErr_GetRaisedException();
  if (exc == nullptr) return;
  static std::atomic<PyObject*> add_note_name{nullptr};
  PyObject* add_note = interned(add_note_name, "add_note");
  PyObject* note = PyUnicode_FromFormat("while processing '%.*s'", static_cast<int>(name.size()),
                                        name.data());
  PyObject* r = note != nullptr && add_note != nullptr
                    ? PyObject_CallMethodOneArg(exc, add_note, note)
                    : nullptr;
  if (r == nullptr) PyErr_Clear();  // the exception is raised without its note
  Py_XDECREF(r);
  Py_XDECREF(note);
  PyErr_SetRaisedException(exc);
}

PyObject* to_python(i128 v) {
  if (v >= INT64_MIN && v <= INT64_MAX) return to_python(static_cast<std::int64_t>(v));
  return PyLong_FromNativeBytes(&v, sizeof v, -1);
}

}  // namespace chronexa::py
