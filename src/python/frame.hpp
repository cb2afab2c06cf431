// SPDX-License-Identifier: MIT
//
// What every class of the module shares: the instance layout, type creation
// and registration, entry wrappers (internal faults become PanicException),
// the format buffer behind every __str__ and __repr__, hashing, and the
// comparison and binary-operator dispatch.
#pragma once

#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <atomic>
#include <bit>
#include <concepts>
#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>
#include <type_traits>

#include "digits.hpp"
#include "fault.hpp"
#include "int128.hpp"

namespace chronexa::py {

// ---- instances ----

// An instance: the object header and one core value, stored by copy when the
// instance is created and never changed afterwards.
template <class V>
struct Object {
  PyObject_HEAD
  V value;
};

// The type object of the class wrapping V; set once, when the type is created.
template <class V>
inline PyTypeObject* type_of = nullptr;

template <class V>
V& value_of(PyObject* o) noexcept {
  return reinterpret_cast<Object<V>*>(o)->value;
}

template <class V>
bool is_instance(PyObject* o) noexcept {
  return Py_IS_TYPE(o, type_of<V>) || PyType_IsSubtype(Py_TYPE(o), type_of<V>);
}

// A new instance of V's class holding a copy of v; null with the
// interpreter's exception when allocation fails.
template <class V>
PyObject* new_instance(const V& v) noexcept {
  static_assert(std::is_trivially_copyable_v<V> && std::is_trivially_destructible_v<V>);
  auto* o = PyObject_New(Object<V>, type_of<V>);
  if (o == nullptr) return nullptr;
  o->value = v;
  return reinterpret_cast<PyObject*>(o);
}

// ---- classes ----

struct ClassAttribute {
  const char* name;
  PyObject* (*make)(PyTypeObject* type);  // a new reference, or null with an exception
};

// What a class file supplies to create and register its type.
struct ClassDef {
  const char* name;                       // "Date": the type is "chronexa.Date"
  const char* doc;                        // class docstring, or null for none
  int basicsize;                          // sizeof(Object<V>)
  bool constructible;                     // has __new__; otherwise not instantiable
  const PyType_Slot* slots;               // protocol slots, terminated by {0, nullptr}
  PyMethodDef* methods;                   // null when the class has none
  PyGetSetDef* properties;                // null when the class has none
  std::span<const ClassAttribute> attributes;
  PyTypeObject** type;                    // where the type object is kept
};

// Creates the type on first use (later calls return the same object), binds
// it in `module` under its name and appends the name to __all__.
int register_class(PyObject* module, const ClassDef& def) noexcept;

// Deallocation shared by all classes: the values are plain copies.
void dealloc(PyObject* self) noexcept;

// ---- entry wrappers ----

// Sets PanicException with `message` (a generic text when null) as the
// current exception.
void raise_panic(const char* message) noexcept;

template <class R>
R error_indicator() noexcept {
  if constexpr (std::is_pointer_v<R>) return nullptr;
  else return static_cast<R>(-1);
}

// Entry<body>::call has the body's own C signature: it runs the body and turns
// an internal fault escaping it into PanicException.
template <auto Body>
struct Entry;
template <class R, class... A, bool NoExcept, R (*Body)(A...) noexcept(NoExcept)>
struct Entry<Body> {
  static R call(A... a) noexcept {
    try {
      return Body(a...);
    } catch (const InternalFault& f) {
      raise_panic(f.message);
    } catch (...) {
      raise_panic(nullptr);
    }
    return error_indicator<R>();
  }
};

template <auto Body>
inline constexpr auto entry = &Entry<Body>::call;

// Table entries: a method's or slot's function as the interpreter stores it.
template <class F>
PyCFunction method(F f) noexcept {
  return reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(f));
}
template <class F>
void* slot(F f) noexcept {
  return reinterpret_cast<void*>(f);
}

// An interned name kept for the process. Check-then-publish rather than a
// function-local static: no thread ever blocks on a C++ guard while attached
// to the interpreter. Null with an exception if interning fails.
PyObject* interned(std::atomic<PyObject*>& slot, const char* text) noexcept;

// ---- errors ----

// ValueError(prefix + name): the translation of every core error.
PyObject* value_error(std::string_view prefix, std::string_view name) noexcept;

// ValueError(before + repr(input) + after): refused text is quoted as repr()
// shows it, so control characters come out escaped, and at any length.
PyObject* value_error_quoting(const char* before, std::string_view input,
                              const char* after) noexcept;

// A null result from the interpreter where an object was required: prints the
// pending exception as unraisable, then faults.
[[noreturn]] void null_result();

inline PyObject* checked(PyObject* o) {
  if (o == nullptr) null_result();
  return o;
}

// ---- text ----

// A fixed-capacity text buffer on the stack. A write that would take the
// length past `capacity` writes nothing and fails the whole text.
class FormatBuffer {
 public:
  static constexpr std::size_t capacity = 128;

  void put(std::string_view s) noexcept {
    if (len_ + s.size() > capacity) {
      overflow_ = true;
      return;
    }
    // Checked at the source: for literals this folds away, and the buffer is
    // never read back right after its small stores (a load spanning several
    // of them waits for them to retire).
    for (const char c : s) ascii_ &= static_cast<unsigned char>(c) < 0x80;
    std::memcpy(buf_ + len_, s.data(), s.size());
    len_ += s.size();
  }

  // `write(char* out) -> char*` writes at most Max bytes, all ASCII (digits,
  // signs and the core text forms).
  template <std::size_t Max, class F>
  void put_with(F&& write) noexcept {
    static_assert(Max <= slack);
    if (overflow_ || len_ > capacity) return;
    char* end = write(buf_ + len_);
    const auto n = static_cast<std::size_t>(end - (buf_ + len_));
    if (len_ + n > capacity) overflow_ = true;
    else len_ += n;
  }

  // A new str of the text, or ValueError when it overflowed or is not UTF-8.
  PyObject* to_str() const noexcept;

 private:
  static constexpr std::size_t slack = 64;
  char buf_[capacity + slack];
  std::size_t len_ = 0;
  bool overflow_ = false;
  bool ascii_ = true;
};

// The pieces python_string knows how to write.
inline void put_piece(FormatBuffer& b, std::string_view s) noexcept { b.put(s); }
inline void put_piece(FormatBuffer& b, const char* s) noexcept { b.put(s); }
inline void put_piece(FormatBuffer& b, char32_t c) noexcept {  // one character, as UTF-8
  char u[4];
  std::size_t n;
  if (c < 0x80) u[0] = static_cast<char>(c), n = 1;
  else if (c < 0x800) u[0] = static_cast<char>(0xC0 | (c >> 6)), u[1] = static_cast<char>(0x80 | (c & 0x3F)), n = 2;
  else if (c < 0x10000) u[0] = static_cast<char>(0xE0 | (c >> 12)), u[1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F)), u[2] = static_cast<char>(0x80 | (c & 0x3F)), n = 3;
  else u[0] = static_cast<char>(0xF0 | (c >> 18)), u[1] = static_cast<char>(0x80 | ((c >> 12) & 0x3F)), u[2] = static_cast<char>(0x80 | ((c >> 6) & 0x3F)), u[3] = static_cast<char>(0x80 | (c & 0x3F)), n = 4;
  b.put({u, n});
}
template <std::integral T>
  requires(!std::same_as<T, char> && !std::same_as<T, bool>)
void put_piece(FormatBuffer& b, T v) noexcept {
  if constexpr (std::is_signed_v<T>)
    b.put_with<20>([v](char* out) { return digits::write_i64(out, v); });
  else
    b.put_with<20>([v](char* out) { return digits::write_u64(out, v); });
}
// A core value with a text form: `write_text(char*)` and `max_text_size`.
template <class V>
  requires requires(const V& v, char* p) {
    { v.write_text(p) } -> std::same_as<char*>;
    V::max_text_size;
  }
void put_piece(FormatBuffer& b, const V& v) noexcept {
  b.put_with<V::max_text_size>([&v](char* out) { return v.write_text(out); });
}

// Formats the pieces in order into a FormatBuffer and returns a new str, or
// ValueError "Representation exceeds formatting buffer" past 128 bytes.
template <class... P>
PyObject* python_string(const P&... pieces) noexcept {
  FormatBuffer b;
  (put_piece(b, pieces), ...);
  return b.to_str();
}

// ---- hashing ----

// SipHash-1-3 with a zero key over the little-endian bytes of the fields fed
// to it, in order (at most 23 bytes); the result is never -1.
class Hasher {
 public:
  // Fields are packed into 64-bit words as they come: after inlining, the
  // offsets are constants and the words stay in registers (bytes stored to a
  // buffer and reloaded as words would stall on store forwarding).
  template <std::integral T>
  Hasher& write(T v) noexcept {
    static_assert(sizeof(T) <= 8);
    const std::uint64_t u = static_cast<std::make_unsigned_t<T>>(v);
    const std::size_t shift = (len_ % 8) * 8;
    words_[len_ / 8] |= u << shift;
    if (shift != 0 && shift + 8 * sizeof(T) > 64) words_[len_ / 8 + 1] |= u >> (64 - shift);
    len_ += sizeof(T);
    return *this;
  }
  Hasher& write(i128 v) noexcept {
    write(static_cast<std::uint64_t>(v));
    return write(static_cast<std::uint64_t>(static_cast<u128>(v) >> 64));
  }

  Py_hash_t finish() const noexcept {
    std::uint64_t v0 = 0x736f6d6570736575ULL, v1 = 0x646f72616e646f6dULL,
                  v2 = 0x6c7967656e657261ULL, v3 = 0x7465646279746573ULL;
    auto round = [&] {
      v0 += v1; v1 = std::rotl(v1, 13); v1 ^= v0; v0 = std::rotl(v0, 32);
      v2 += v3; v3 = std::rotl(v3, 16); v3 ^= v2;
      v0 += v3; v3 = std::rotl(v3, 21); v3 ^= v0;
      v2 += v1; v1 = std::rotl(v1, 17); v1 ^= v2; v2 = std::rotl(v2, 32);
    };
    auto compress = [&](std::uint64_t m) {
      v3 ^= m;
      round();
      v0 ^= m;
    };
    const std::size_t full = len_ / 8;
    for (std::size_t i = 0; i < full; ++i) compress(words_[i]);
    // The last block: the remaining bytes, zero padded, length in the top byte.
    compress(words_[full] | static_cast<std::uint64_t>(len_) << 56);
    v2 ^= 0xff;
    round();
    round();
    round();
    std::uint64_t h = v0 ^ v1 ^ v2 ^ v3;
    if (h >= UINT64_MAX - 1) h = UINT64_MAX - 1;  // -1 is the interpreter's error value
    return static_cast<Py_hash_t>(h);
  }

 private:
  std::uint64_t words_[3] = {};  // little-endian byte order by construction
  std::size_t len_ = 0;
};

// ---- comparison and operators ----

// The rich comparison of a class whose values define == and <=>: another
// operand of the same class is compared, anything else is NotImplemented.
template <class V>
PyObject* richcompare(PyObject* self, PyObject* other, int op) noexcept {
  if (!is_instance<V>(other)) Py_RETURN_NOTIMPLEMENTED;
  const V& a = value_of<V>(self);
  const V& b = value_of<V>(other);
  bool r;
  switch (op) {
    case Py_EQ: r = a == b; break;
    case Py_NE: r = !(a == b); break;
    case Py_LT: r = (a <=> b) < 0; break;
    case Py_LE: r = (a <=> b) <= 0; break;
    case Py_GT: r = (a <=> b) > 0; break;
    case Py_GE: r = (a <=> b) >= 0; break;
    default: Py_RETURN_NOTIMPLEMENTED;
  }
  if (r) Py_RETURN_TRUE;
  Py_RETURN_FALSE;
}

// A binary operator on two values of V's class; any other operand on either
// side is NotImplemented, so the interpreter raises its own TypeError.
template <class V, V (*Op)(const V&, const V&)>
PyObject* binary(PyObject* a, PyObject* b) noexcept {
  if (!is_instance<V>(a) || !is_instance<V>(b)) Py_RETURN_NOTIMPLEMENTED;
  return new_instance<V>(Op(value_of<V>(a), value_of<V>(b)));
}

}  // namespace chronexa::py
