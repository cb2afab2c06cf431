// SPDX-License-Identifier: MIT
//
// chronexa_columns: whole columns of stamps parsed and formatted by the
// calendar core, read and written through the Arrow C data interface, numpy
// buffers or Python sequences.
//
// Every input becomes a list of Arrow chunks (imported through the PyCapsule
// protocol, or built here from a numpy array or a sequence); every kernel
// works on one chunk's buffers with the interpreter lock released; every
// result is a Column (chunks of buffers owned here, exported by the same
// protocol), handed back in the caller's column library when the input came
// from one: pyarrow, polars and numpy are looked up in sys.modules, never
// imported.
#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "arrow_c.hpp"
#include "kernels.hpp"

namespace chronexa::columns {
namespace {

// ---------------------------------------------------------------- types

// The logical types this module reads and writes.
enum class Type : std::uint8_t {
  Null,       // "n": every row null
  Utf8,       // "u"
  LargeUtf8,  // "U"
  Utf8View,   // "vu"
  Date32,     // "tdD"
  Days64,     // numpy datetime64[D]
  Time32,     // "tts", "ttm"
  Time64,     // "ttu", "ttn"
  Timestamp,  // "ts?:tz"
  Duration,   // "tD?"
  Int32,      // "i"
  Int64,      // "l"
  Other,
};

struct ColType {
  Type type = Type::Other;
  Unit unit = Unit::Ns;
  bool nat = false;  // numpy: int64 minimum is NaT, a null
  std::string format;
};

bool unit_of(char c, Unit& u) {
  switch (c) {
    case 's': u = Unit::S; return true;
    case 'm': u = Unit::Ms; return true;
    case 'u': u = Unit::Us; return true;
    case 'n': u = Unit::Ns; return true;
    default: return false;
  }
}

ColType parse_format(const char* f) {
  ColType t;
  t.format = f;
  const std::string_view s = f;
  if (s == "n") t.type = Type::Null;
  else if (s == "u") t.type = Type::Utf8;
  else if (s == "U") t.type = Type::LargeUtf8;
  else if (s == "vu") t.type = Type::Utf8View;
  else if (s == "tdD") t.type = Type::Date32;
  else if (s == "i") t.type = Type::Int32;
  else if (s == "l") t.type = Type::Int64;
  else if (s.size() == 3 && s.starts_with("tt") && unit_of(s[2], t.unit))
    t.type = t.unit == Unit::S || t.unit == Unit::Ms ? Type::Time32 : Type::Time64;
  else if (s.size() >= 4 && s.starts_with("ts") && s[3] == ':' && unit_of(s[2], t.unit))
    t.type = Type::Timestamp;
  else if (s.size() == 3 && s.starts_with("tD") && unit_of(s[2], t.unit)) t.type = Type::Duration;
  return t;
}

std::string type_name(const ColType& t) {
  const std::string u{unit_name(t.unit)};
  switch (t.type) {
    case Type::Null: return "null";
    case Type::Utf8: return "string";
    case Type::LargeUtf8: return "large_string";
    case Type::Utf8View: return "string_view";
    case Type::Date32: return "date32";
    case Type::Days64: return "datetime64[D]";
    case Type::Time32: return "time32[" + u + "]";
    case Type::Time64: return "time64[" + u + "]";
    case Type::Timestamp: {
      const std::string tz = t.format.size() > 4 ? t.format.substr(4) : "";
      return "timestamp[" + u + (tz.empty() ? "" : ", tz=" + tz) + "]";
    }
    case Type::Duration: return "duration[" + u + "]";
    case Type::Int32: return "int32";
    case Type::Int64: return "int64";
    case Type::Other: break;
  }
  return t.format;
}

bool is_text(Type t) {
  return t == Type::Utf8 || t == Type::LargeUtf8 || t == Type::Utf8View || t == Type::Null;
}

int value_width(Type t) {
  switch (t) {
    case Type::Date32:
    case Type::Time32:
    case Type::Int32: return 4;
    default: return 8;
  }
}

// ---------------------------------------------------------------- chunks owned here

struct Chunk {
  std::int64_t length = 0;
  std::int64_t nulls = 0;
  std::vector<std::uint8_t> validity;  // empty: no nulls
  std::vector<std::uint8_t> values;    // fixed-width types
  std::vector<char> text;              // text types
  std::vector<std::int32_t> offsets32;
  std::vector<std::int64_t> offsets64;
};
using ChunkPtr = std::shared_ptr<Chunk>;

// A column of one type: "u" / "U" text, or a fixed-width type.
struct ColumnData {
  ColType type;
  std::vector<ChunkPtr> chunks;
  std::int64_t length = 0;
};

// The Python Column object.
struct PyColumn {
  PyObject_HEAD
  ColumnData* data;
};

PyTypeObject* column_type = nullptr;

// ---------------------------------------------------------------- export

const char empty_text[1] = {0};

struct ExportedArray {
  ChunkPtr chunk;
  const void* buffers[3];
};

void release_array(ArrowArray* a) {
  delete static_cast<ExportedArray*>(a->private_data);
  a->release = nullptr;
}

void export_chunk(const ChunkPtr& c, const ColType& t, ArrowArray* out) {
  auto* e = new ExportedArray{c, {}};
  e->buffers[0] = c->validity.empty() ? nullptr : c->validity.data();
  const bool text = t.type == Type::Utf8 || t.type == Type::LargeUtf8;
  if (text) {
    e->buffers[1] = t.type == Type::Utf8 ? static_cast<const void*>(c->offsets32.data())
                                         : static_cast<const void*>(c->offsets64.data());
    e->buffers[2] = c->text.empty() ? empty_text : c->text.data();
  } else {
    e->buffers[1] = c->values.empty() ? static_cast<const void*>(empty_text) : c->values.data();
  }
  *out = ArrowArray{c->length,  c->nulls, 0,       text ? 3 : 2,  0,
                    e->buffers, nullptr,  nullptr, release_array, e};
}

struct ExportedSchema {
  std::string format;
};

void release_schema(ArrowSchema* s) {
  delete static_cast<ExportedSchema*>(s->private_data);
  s->release = nullptr;
}

void export_schema(const ColType& t, ArrowSchema* out) {
  auto* e = new ExportedSchema{t.format};
  *out = ArrowSchema{e->format.c_str(), "", nullptr, ARROW_FLAG_NULLABLE, 0, nullptr, nullptr,
                     release_schema,    e};
}

void schema_capsule_destructor(PyObject* capsule) {
  auto* s = static_cast<ArrowSchema*>(PyCapsule_GetPointer(capsule, "arrow_schema"));
  if (s == nullptr) return PyErr_Clear();
  if (s->release != nullptr) s->release(s);
  delete s;
}
void array_capsule_destructor(PyObject* capsule) {
  auto* a = static_cast<ArrowArray*>(PyCapsule_GetPointer(capsule, "arrow_array"));
  if (a == nullptr) return PyErr_Clear();
  if (a->release != nullptr) a->release(a);
  delete a;
}
void stream_capsule_destructor(PyObject* capsule) {
  auto* s = static_cast<ArrowArrayStream*>(PyCapsule_GetPointer(capsule, "arrow_array_stream"));
  if (s == nullptr) return PyErr_Clear();
  if (s->release != nullptr) s->release(s);
  delete s;
}

// One chunk holding every row of `d` (the chunks themselves when there is one).
ChunkPtr whole(const ColumnData& d) {
  if (d.chunks.size() == 1) return d.chunks.front();
  auto c = std::make_shared<Chunk>();
  c->length = d.length;
  const bool text = is_text(d.type.type);
  const auto width = static_cast<std::size_t>(value_width(d.type.type));
  std::int64_t nulls = 0;
  for (const auto& p : d.chunks) nulls += p->nulls;
  if (nulls != 0) c->validity.assign(static_cast<std::size_t>((d.length + 7) / 8), 0);
  c->nulls = nulls;
  if (text) c->offsets64.push_back(0);
  std::int64_t row = 0;
  for (const auto& p : d.chunks) {
    for (std::int64_t i = 0; i < p->length; ++i, ++row) {
      const bool valid = p->validity.empty() ||
                         (p->validity[static_cast<std::size_t>(i >> 3)] >> (i & 7) & 1);
      if (valid && nulls != 0)
        c->validity[static_cast<std::size_t>(row >> 3)] |= static_cast<std::uint8_t>(1u
                                                                                     << (row & 7));
      if (text) {
        const std::int64_t b = p->offsets32.empty() ? p->offsets64[i] : p->offsets32[i];
        const std::int64_t e = p->offsets32.empty() ? p->offsets64[i + 1] : p->offsets32[i + 1];
        c->text.insert(c->text.end(), p->text.begin() + b, p->text.begin() + e);
        c->offsets64.push_back(static_cast<std::int64_t>(c->text.size()));
      }
    }
    if (!text) c->values.insert(c->values.end(), p->values.begin(), p->values.end());
    (void)width;
  }
  if (text && d.type.type == Type::Utf8) {
    c->offsets32.assign(c->offsets64.begin(), c->offsets64.end());
    c->offsets64.clear();
  }
  return c;
}

struct ExportedStream {
  ColType type;
  std::vector<ChunkPtr> chunks;
  std::size_t next = 0;
};

int stream_get_schema(ArrowArrayStream* s, ArrowSchema* out) {
  export_schema(static_cast<ExportedStream*>(s->private_data)->type, out);
  return 0;
}
int stream_get_next(ArrowArrayStream* s, ArrowArray* out) {
  auto* e = static_cast<ExportedStream*>(s->private_data);
  if (e->next == e->chunks.size()) {
    out->release = nullptr;
    return 0;
  }
  export_chunk(e->chunks[e->next++], e->type, out);
  return 0;
}
const char* stream_get_last_error(ArrowArrayStream*) { return nullptr; }
void stream_release(ArrowArrayStream* s) {
  delete static_cast<ExportedStream*>(s->private_data);
  s->release = nullptr;
}

// ---------------------------------------------------------------- import

// What an input is, for the family of the result.
enum class Family : std::uint8_t { Plain, PyArrow, Polars, Numpy };

Family family_of(PyObject* o) {
  PyObject* m = PyObject_GetAttrString(reinterpret_cast<PyObject*>(Py_TYPE(o)), "__module__");
  if (m == nullptr) {
    PyErr_Clear();
    return Family::Plain;
  }
  Family f = Family::Plain;
  if (const char* s = PyUnicode_Check(m) ? PyUnicode_AsUTF8(m) : nullptr; s != nullptr) {
    const std::string_view v = s;
    if (v == "pyarrow" || v.starts_with("pyarrow.")) f = Family::PyArrow;
    else if (v == "polars" || v.starts_with("polars.")) f = Family::Polars;
    else if (v == "numpy" && std::string_view{Py_TYPE(o)->tp_name} == "numpy.ndarray")
      f = Family::Numpy;
  }
  PyErr_Clear();
  Py_DECREF(m);
  return f;
}

// The chunks of one input, whatever it came as. Imported Arrow structures are
// released with it; chunks built here (from numpy or a sequence) are owned.
struct Input {
  ColType type;
  Family family = Family::Plain;
  bool chunked = false;
  std::int64_t length = 0;
  std::vector<const ArrowArray*> chunks;

  ArrowSchema schema{};
  std::vector<std::unique_ptr<ArrowArray>> imported;
  std::vector<ChunkPtr> owned;
  std::vector<std::unique_ptr<ArrowArray>> built;
  std::vector<std::unique_ptr<const void*[]>> built_buffers;
  std::vector<PyObject*> keep;  // numpy arrays whose buffers chunks point into
  std::vector<Py_buffer> views;

  Input() = default;
  Input(const Input&) = delete;
  Input& operator=(const Input&) = delete;
  ~Input() {
    for (auto& a : imported)
      if (a->release != nullptr) a->release(a.get());
    if (schema.release != nullptr) schema.release(&schema);
    for (auto& v : views) PyBuffer_Release(&v);
    for (PyObject* o : keep) Py_DECREF(o);
  }

  // Adds a chunk built here: fixed-width values or 64-bit-offset text.
  void add_owned(ChunkPtr c, bool text) {
    auto a = std::make_unique<ArrowArray>();
    auto b = std::make_unique<const void*[]>(3);
    b[0] = c->validity.empty() ? nullptr : c->validity.data();
    if (text) {
      b[1] = c->offsets64.data();
      b[2] = c->text.empty() ? empty_text : c->text.data();
    } else {
      b[1] = c->values.data();
    }
    *a = ArrowArray{c->length, c->nulls, 0,       text ? 3 : 2, 0,
                    b.get(),   nullptr,  nullptr, nullptr,      nullptr};
    length += c->length;
    chunks.push_back(a.get());
    built.push_back(std::move(a));
    built_buffers.push_back(std::move(b));
    owned.push_back(std::move(c));
  }
};

// Moves the structure out of a capsule: the capsule's destructor then finds
// it released and frees only the memory.
template <class T>
bool take_capsule(PyObject* capsule, const char* name, T& out) {
  auto* p = static_cast<T*>(PyCapsule_GetPointer(capsule, name));
  if (p == nullptr) return false;
  out = *p;
  p->release = nullptr;
  return true;
}

// A table (DuckDB's results, record batches) of exactly one column stands
// for that column.
bool unwrap_struct(Input& in) {
  if (std::string_view{in.schema.format} != "+s") return true;
  if (in.schema.n_children != 1) {
    PyErr_Format(PyExc_TypeError, "a table of %lld columns is no column; pass one of them",
                 static_cast<long long>(in.schema.n_children));
    return false;
  }
  in.type = parse_format(in.schema.children[0]->format);
  for (auto& c : in.chunks) {
    const ArrowArray* parent = c;
    if (parent->offset != 0 || parent->n_children != 1) {
      PyErr_SetString(PyExc_TypeError, "a sliced table is not supported; pass its column");
      return false;
    }
    c = parent->children[0];
  }
  return true;
}

bool read_arrow(PyObject* obj, Input& in) {
  PyObject* stream_method = PyObject_GetAttrString(obj, "__arrow_c_stream__");
  if (stream_method == nullptr) PyErr_Clear();
  PyObject* array_method = stream_method != nullptr
                               ? nullptr
                               : PyObject_GetAttrString(obj, "__arrow_c_array__");
  if (stream_method == nullptr && array_method == nullptr) {
    PyErr_Clear();
    return false;
  }
  bool ok = false;
  if (array_method != nullptr) {
    PyObject* pair = PyObject_CallNoArgs(array_method);
    Py_DECREF(array_method);
    if (pair == nullptr) return true;  // error set
    if (!PyTuple_Check(pair) || PyTuple_GET_SIZE(pair) != 2) {
      Py_DECREF(pair);
      PyErr_SetString(PyExc_TypeError, "__arrow_c_array__ did not return two capsules");
      return true;
    }
    auto a = std::make_unique<ArrowArray>();
    if (take_capsule(PyTuple_GET_ITEM(pair, 0), "arrow_schema", in.schema) &&
        take_capsule(PyTuple_GET_ITEM(pair, 1), "arrow_array", *a)) {
      in.chunks.push_back(a.get());
      in.length = a->length;
      in.imported.push_back(std::move(a));
      ok = true;
    }
    Py_DECREF(pair);
  } else {
    PyObject* capsule = PyObject_CallNoArgs(stream_method);
    Py_DECREF(stream_method);
    if (capsule == nullptr) return true;
    ArrowArrayStream stream{};
    const bool taken = take_capsule(capsule, "arrow_array_stream", stream);
    Py_DECREF(capsule);
    if (!taken) return true;
    in.chunked = true;
    ok = stream.get_schema(&stream, &in.schema) == 0;
    while (ok) {
      auto a = std::make_unique<ArrowArray>();
      if (stream.get_next(&stream, a.get()) != 0) {
        ok = false;
        break;
      }
      if (a->release == nullptr) break;
      in.length += a->length;
      in.chunks.push_back(a.get());
      in.imported.push_back(std::move(a));
    }
    if (!ok) {
      const char* e = stream.get_last_error(&stream);
      PyErr_Format(PyExc_ValueError, "the Arrow stream failed: %s", e != nullptr ? e : "no detail");
    }
    stream.release(&stream);
    if (!ok) return true;
  }
  if (!ok) return true;
  in.type = parse_format(in.schema.format);
  if (!unwrap_struct(in)) return true;
  const ArrowSchema* s = std::string_view{in.schema.format} == "+s" ? in.schema.children[0]
                                                                    : &in.schema;
  if (s->dictionary != nullptr) {
    PyErr_SetString(PyExc_TypeError,
                    "a dictionary-encoded (categorical) column is not supported; decode it first");
  }
  return true;
}

// Text rows of a sequence of str / None, copied into one chunk of UTF-8.
bool read_sequence(PyObject* obj, Input& in) {
  PyObject* seq = PySequence_Fast(obj,
                                  "a column must be an Arrow array, a numpy array or a sequence");
  if (seq == nullptr) return false;
  const Py_ssize_t n = PySequence_Fast_GET_SIZE(seq);
  PyObject** items = PySequence_Fast_ITEMS(seq);
  auto c = std::make_shared<Chunk>();
  c->length = n;
  c->offsets64.reserve(static_cast<std::size_t>(n) + 1);
  c->offsets64.push_back(0);
  c->text.reserve(static_cast<std::size_t>(n) * 32);
  for (Py_ssize_t i = 0; i < n; ++i) {
    PyObject* o = items[i];
    if (o == Py_None) {
      if (c->validity.empty()) c->validity.assign(static_cast<std::size_t>((n + 7) / 8), 0xFF);
      c->validity[static_cast<std::size_t>(i >> 3)] &= static_cast<std::uint8_t>(~(1u << (i & 7)));
      ++c->nulls;
    } else if (PyUnicode_Check(o)) {
      Py_ssize_t size;
      const char* s = PyUnicode_AsUTF8AndSize(o, &size);
      if (s == nullptr) {
        // Lone surrogates have no UTF-8: such a text is refused like any
        // other the grammar does not hold, as bytes no parser accepts.
        PyErr_Clear();
        s = "\xff";
        size = 1;
      }
      c->text.insert(c->text.end(), s, s + size);
    } else {
      PyErr_Format(PyExc_TypeError, "row %zd: expected str or None, not %.100s", i,
                   Py_TYPE(o)->tp_name);
      Py_DECREF(seq);
      return false;
    }
    c->offsets64.push_back(static_cast<std::int64_t>(c->text.size()));
  }
  Py_DECREF(seq);
  in.type = parse_format("U");
  in.add_owned(std::move(c), true);
  return true;
}

// A numpy array: str ('U') rows become UTF-8; datetime64, timedelta64, int32
// and int64 rows are read in place; anything else goes through tolist().
bool read_numpy(PyObject* obj, Input& in) {
  PyObject* dtype = PyObject_GetAttrString(obj, "dtype");
  if (dtype == nullptr) return false;
  PyObject* str = PyObject_GetAttrString(dtype, "str");
  Py_DECREF(dtype);
  if (str == nullptr) return false;
  std::string d = PyUnicode_AsUTF8(str);
  Py_DECREF(str);
  PyObject* ndim = PyObject_GetAttrString(obj, "ndim");
  if (ndim == nullptr) return false;
  const long nd = PyLong_AsLong(ndim);
  Py_DECREF(ndim);
  if (nd != 1) {
    PyErr_Format(PyExc_TypeError, "a column is one-dimensional; this array has %ld dimensions", nd);
    return false;
  }
  const char kind = d.size() >= 2 ? d[1] : '?';
  const bool native = !d.empty() && (d[0] == '<' || d[0] == '=' || d[0] == '|');
  if (!native || (kind != 'U' && kind != 'M' && kind != 'm' && kind != 'i')) {
    PyObject* list = PyObject_CallMethod(obj, "tolist", nullptr);
    if (list == nullptr) return false;
    const bool ok = read_sequence(list, in);
    Py_DECREF(list);
    return ok;
  }
  ColType t;
  if (kind == 'M' || kind == 'm') {
    const std::string_view u = std::string_view{d}.substr(3);
    if (kind == 'M' && u == "[D]") t = ColType{Type::Days64, Unit::Ns, true, "tdD"};
    else if (u == "[s]" || u == "[ms]" || u == "[us]" || u == "[ns]") {
      unit_of(u[1], t.unit);
      t.type = kind == 'M' ? Type::Timestamp : Type::Duration;
      t.nat = true;
    } else {
      PyErr_Format(PyExc_TypeError, "numpy %s is not supported; use the units D, s, ms, us or ns",
                   d.c_str());
      return false;
    }
  } else if (kind == 'i' && (d == "<i4" || d == "<i8")) {
    t.type = d == "<i4" ? Type::Int32 : Type::Int64;
  } else if (kind == 'i') {
    PyErr_Format(PyExc_TypeError, "numpy %s is not supported; use int32 or int64", d.c_str());
    return false;
  }
  // Contiguous, and as plain integers for the buffer protocol.
  PyObject* numpy = PyImport_ImportModule("numpy");
  if (numpy == nullptr) return false;
  PyObject* flat = PyObject_CallMethod(numpy, "ascontiguousarray", "O", obj);
  Py_DECREF(numpy);
  if (flat == nullptr) return false;
  if (kind == 'M' || kind == 'm') {
    PyObject* v = PyObject_CallMethod(flat, "view", "s", "int64");
    Py_DECREF(flat);
    if (v == nullptr) return false;
    flat = v;
  }
  Py_buffer view;
  if (PyObject_GetBuffer(flat, &view, PyBUF_C_CONTIGUOUS) != 0) {
    Py_DECREF(flat);
    return false;
  }
  in.keep.push_back(flat);
  in.views.push_back(view);
  if (kind == 'U') {
    const std::size_t width = static_cast<std::size_t>(view.itemsize) / 4;
    const std::int64_t n = view.itemsize == 0 ? 0 : view.len / view.itemsize;
    auto c = std::make_shared<Chunk>();
    c->length = n;
    c->offsets64.reserve(static_cast<std::size_t>(n) + 1);
    c->offsets64.push_back(0);
    c->text.reserve(static_cast<std::size_t>(n) * width);
    const auto* cp = static_cast<const std::uint32_t*>(view.buf);
    for (std::int64_t i = 0; i < n; ++i) {
      std::size_t len = width;
      const std::uint32_t* r = cp + static_cast<std::size_t>(i) * width;
      while (len > 0 && r[len - 1] == 0) --len;  // numpy pads with NUL
      for (std::size_t k = 0; k < len; ++k) {
        const std::uint32_t u = r[k];
        if (u < 0x80) {
          c->text.push_back(static_cast<char>(u));
        } else if (u < 0x800) {
          c->text.push_back(static_cast<char>(0xC0 | u >> 6));
          c->text.push_back(static_cast<char>(0x80 | (u & 0x3F)));
        } else if (u < 0x10000) {
          c->text.push_back(static_cast<char>(0xE0 | u >> 12));
          c->text.push_back(static_cast<char>(0x80 | (u >> 6 & 0x3F)));
          c->text.push_back(static_cast<char>(0x80 | (u & 0x3F)));
        } else {
          c->text.push_back(static_cast<char>(0xF0 | u >> 18));
          c->text.push_back(static_cast<char>(0x80 | (u >> 12 & 0x3F)));
          c->text.push_back(static_cast<char>(0x80 | (u >> 6 & 0x3F)));
          c->text.push_back(static_cast<char>(0x80 | (u & 0x3F)));
        }
      }
      c->offsets64.push_back(static_cast<std::int64_t>(c->text.size()));
    }
    in.type = parse_format("U");
    in.add_owned(std::move(c), true);
    return true;
  }
  // Fixed width: one chunk pointing into the numpy buffer.
  auto a = std::make_unique<ArrowArray>();
  auto b = std::make_unique<const void*[]>(2);
  b[0] = nullptr;
  b[1] = view.buf;
  const std::int64_t n = view.len / (t.type == Type::Int32 ? 4 : 8);
  *a = ArrowArray{n, 0, 0, 2, 0, b.get(), nullptr, nullptr, nullptr, nullptr};
  in.type = t;
  in.length = n;
  in.chunks.push_back(a.get());
  in.built.push_back(std::move(a));
  in.built_buffers.push_back(std::move(b));
  return true;
}

bool read_input(PyObject* obj, Input& in) {
  in.family = family_of(obj);
  if (in.family == Family::Numpy) return read_numpy(obj, in);
  if (PyUnicode_Check(obj) || PyBytes_Check(obj)) {
    PyErr_SetString(PyExc_TypeError, "a column is a sequence of texts, not one text");
    return false;
  }
  const bool had_protocol = read_arrow(obj, in);
  if (had_protocol) return !PyErr_Occurred();
  if (PyErr_Occurred()) return false;
  return read_sequence(obj, in);
}

Strings strings_of(const ArrowArray* a, Type t) {
  Strings s;
  s.length = a->length;
  s.offset = a->offset;
  s.validity = a->null_count == 0 ? nullptr : static_cast<const std::uint8_t*>(a->buffers[0]);
  switch (t) {
    case Type::Utf8:
      s.layout = Strings::Layout::Offsets32;
      s.offsets32 = static_cast<const std::int32_t*>(a->buffers[1]);
      s.data = static_cast<const char*>(a->buffers[2]);
      break;
    case Type::LargeUtf8:
      s.layout = Strings::Layout::Offsets64;
      s.offsets64 = static_cast<const std::int64_t*>(a->buffers[1]);
      s.data = static_cast<const char*>(a->buffers[2]);
      break;
    default:
      s.layout = Strings::Layout::View;
      s.views = static_cast<const std::uint8_t*>(a->buffers[1]);
      s.view_buffers = reinterpret_cast<const char* const*>(a->buffers + 2);
      break;
  }
  return s;
}

bool valid_at(const ArrowArray* a, std::int64_t i) {
  if (a->null_count == 0 || a->buffers[0] == nullptr) return true;
  const std::int64_t j = i + a->offset;
  return (static_cast<const std::uint8_t*>(a->buffers[0])[j >> 3] >> (j & 7) & 1) != 0;
}

// ---------------------------------------------------------------- results

PyObject* new_column(ColumnData&& d) {
  auto* c = PyObject_New(PyColumn, column_type);
  if (c == nullptr) return nullptr;
  c->data = new ColumnData(std::move(d));
  return reinterpret_cast<PyObject*>(c);
}

// The result in the caller's family: pyarrow and polars take the column by
// the PyCapsule protocol, numpy by __array__.
PyObject* deliver(ColumnData&& d, Family family, bool chunked) {
  PyObject* col = new_column(std::move(d));
  if (col == nullptr || family == Family::Plain) return col;
  const char* name = family == Family::PyArrow  ? "pyarrow"
                     : family == Family::Polars ? "polars"
                                                : "numpy";
  PyObject* module_name = PyUnicode_FromString(name);
  PyObject* module = module_name != nullptr ? PyImport_GetModule(module_name) : nullptr;
  Py_XDECREF(module_name);
  if (module == nullptr) {
    PyErr_Clear();
    return col;
  }
  PyObject* r;
  if (family == Family::PyArrow)
    r = PyObject_CallMethod(module, chunked ? "chunked_array" : "array", "O", col);
  else if (family == Family::Polars) r = PyObject_CallMethod(module, "Series", "O", col);
  else r = PyObject_CallMethod(module, "asarray", "O", col);
  Py_DECREF(module);
  Py_DECREF(col);
  return r;
}

ColType fixed_type(Type t, Unit u) {
  ColType c;
  c.type = t;
  c.unit = u;
  switch (t) {
    case Type::Date32: c.format = "tdD"; break;
    case Type::Time64: c.format = std::string("tt") + unit_name(u)[0]; break;
    case Type::Timestamp: c.format = std::string("ts") + unit_name(u)[0] + ":UTC"; break;
    case Type::Duration: c.format = std::string("tD") + unit_name(u)[0]; break;
    case Type::Int32: c.format = "i"; break;
    default: c.format = "l"; break;
  }
  return c;
}

// ---------------------------------------------------------------- arguments

bool unit_arg(const char* s, Unit& u) {
  const std::string_view v = s;
  if (v == "s") u = Unit::S;
  else if (v == "ms") u = Unit::Ms;
  else if (v == "us") u = Unit::Us;
  else if (v == "ns") u = Unit::Ns;
  else {
    PyErr_Format(PyExc_ValueError, "unit must be 's', 'ms', 'us' or 'ns', not '%s'", s);
    return false;
  }
  return true;
}

bool errors_arg(const char* s, bool& null_on_error) {
  const std::string_view v = s;
  if (v == "raise") null_on_error = false;
  else if (v == "null") null_on_error = true;
  else {
    PyErr_Format(PyExc_ValueError, "errors must be 'raise' or 'null', not '%s'", s);
    return false;
  }
  return true;
}

PyObject* chronexa_attr(const char* cls, const char* attr) {
  PyObject* m = PyImport_ImportModule("chronexa");
  if (m == nullptr) return nullptr;
  PyObject* c = PyObject_GetAttrString(m, cls);
  Py_DECREF(m);
  if (c == nullptr || attr == nullptr) return c;
  PyObject* a = PyObject_GetAttrString(c, attr);
  Py_DECREF(c);
  return a;
}

// ---------------------------------------------------------------- parsing

const char* class_of(Kind k) {
  switch (k) {
    case Kind::Date: return "Date";
    case Kind::Time: return "Time";
    case Kind::DateTime: return "DateTime";
    case Kind::OffsetDateTime: break;
  }
  return "OffsetDateTime";
}

// The range of instants a unit holds, as the messages quote it.
std::string unit_range(Unit u) {
  if (u == Unit::S) return "the DateTime range";
  char buf[2 * DateTime::max_text_size + 8];
  const auto lo = DateTime::from_unix_timestamp(
      INT64_MIN / (1'000'000'000 / unit_nanos(u)) - 1,
      static_cast<std::int32_t>(
          (INT64_MIN % (1'000'000'000 / unit_nanos(u)) + 1'000'000'000 / unit_nanos(u)) *
          unit_nanos(u)));
  const auto hi = DateTime::from_unix_timestamp(
      INT64_MAX / (1'000'000'000 / unit_nanos(u)),
      static_cast<std::int32_t>(INT64_MAX % (1'000'000'000 / unit_nanos(u)) * unit_nanos(u)));
  char* e = lo->write_text(buf);
  e = std::strcpy(e, " to ") + 4;
  e = hi->write_text(e);
  return std::string(buf, e);
}

// Raises the ValueError of a failed row: "row N: " and the scalar parser's
// own message (taken from the scalar class, so it is exactly its text), or
// the range or precision the column type cannot hold.
void raise_row(Kind kind, Unit unit, RowError error, std::string_view text, std::int64_t row) {
  PyObject* s = PyUnicode_DecodeUTF8(text.data(), static_cast<Py_ssize_t>(text.size()), "strict");
  if (s == nullptr) {
    PyErr_Clear();
    PyErr_Format(PyExc_ValueError, "row %lld: the text is not valid UTF-8",
                 static_cast<long long>(row));
    return;
  }
  if (error == RowError::Syntax) {
    PyObject* parse = chronexa_attr(class_of(kind), "parse");
    if (parse == nullptr) {
      Py_DECREF(s);
      return;
    }
    PyObject* r = PyObject_CallOneArg(parse, s);
    Py_DECREF(parse);
    if (r != nullptr) {  // the scalar class accepts what the column refused
      Py_DECREF(r);
      PyErr_Format(PyExc_SystemError, "row %lld: %R was refused but parses as a %s",
                   static_cast<long long>(row), s, class_of(kind));
    } else {
      PyObject* exc = PyErr_GetRaisedException();
      PyObject* msg = PyObject_Str(exc);
      if (msg != nullptr) {
        PyErr_Format(PyExc_ValueError, "row %lld: %U", static_cast<long long>(row), msg);
        Py_DECREF(msg);
      }
      Py_DECREF(exc);
    }
  } else if (error == RowError::Range && kind == Kind::Date) {
    PyErr_Format(PyExc_ValueError, "row %lld: %R is out of range for date32",
                 static_cast<long long>(row), s);
  } else if (error == RowError::Range) {
    PyErr_Format(PyExc_ValueError, "row %lld: %R is out of range for timestamp[%s] (%s)",
                 static_cast<long long>(row), s, std::string(unit_name(unit)).c_str(),
                 unit_range(unit).c_str());
  } else {
    PyErr_Format(PyExc_ValueError,
                 "row %lld: %R has a fraction finer than the unit '%s' (it would be truncated)",
                 static_cast<long long>(row), s, std::string(unit_name(unit)).c_str());
  }
  Py_DECREF(s);
}

PyObject* parse_column(PyObject* col, Kind kind, Unit unit, bool want_offsets, bool null_on_error) {
  Input in;
  if (!read_input(col, in)) return nullptr;
  if (!is_text(in.type.type)) {
    PyErr_Format(PyExc_TypeError, "expected a column of strings, not %s",
                 type_name(in.type).c_str());
    return nullptr;
  }
  ColumnData values, offsets;
  values.type = kind == Kind::Date   ? fixed_type(Type::Date32, unit)
                : kind == Kind::Time ? fixed_type(Type::Time64, Unit::Ns)
                                     : fixed_type(Type::Timestamp, unit);
  offsets.type = fixed_type(Type::Int32, unit);
  const std::size_t width = kind == Kind::Date ? 4 : 8;
  std::int64_t base = 0;
  for (const ArrowArray* a : in.chunks) {
    const auto n = static_cast<std::size_t>(a->length);
    auto v = std::make_shared<Chunk>();
    auto o = want_offsets ? std::make_shared<Chunk>() : nullptr;
    v->length = a->length;
    v->values.assign(n * width, 0);
    v->validity.assign((n + 7) / 8, 0);
    if (o) {
      o->length = a->length;
      o->values.assign(n * 4, 0);
    }
    ParseOut out{v->values.data(), o ? reinterpret_cast<std::int32_t*>(o->values.data()) : nullptr,
                 v->validity.data(), 0};
    Failure f;
    if (in.type.type == Type::Null) {
      out.nulls = a->length;
    } else {
      const Strings s = strings_of(a, in.type.type);
      Py_BEGIN_ALLOW_THREADS f = parse_strings(s, kind, unit, null_on_error, out);
      Py_END_ALLOW_THREADS if (f.row >= 0) {
        raise_row(kind, unit, f.error, s.get(f.row), base + f.row);
        return nullptr;
      }
    }
    v->nulls = out.nulls;
    if (v->nulls == 0) v->validity.clear();
    if (o) {
      o->nulls = v->nulls;
      o->validity = v->validity;
      offsets.chunks.push_back(o);
    }
    values.chunks.push_back(v);
    base += a->length;
  }
  values.length = offsets.length = base;
  PyObject* r = deliver(std::move(values), in.family, in.chunked);
  if (r == nullptr || !want_offsets) return r;
  PyObject* r2 = deliver(std::move(offsets), in.family, in.chunked);
  if (r2 == nullptr) {
    Py_DECREF(r);
    return nullptr;
  }
  return Py_BuildValue("(NN)", r, r2);
}

// parse_dates(col, *, errors="raise") and parse_times(...): no unit.
PyObject* parse_without_unit(PyObject* args, PyObject* kw, const char* format, Kind kind) {
  static const char* names[] = {"col", "errors", nullptr};
  PyObject* col;
  const char* errors = "raise";
  bool null_on_error;
  if (!PyArg_ParseTupleAndKeywords(args, kw, format, const_cast<char**>(names), &col, &errors) ||
      !errors_arg(errors, null_on_error))
    return nullptr;
  return parse_column(col, kind, Unit::Ns, false, null_on_error);
}

PyObject* parse_dates(PyObject*, PyObject* args, PyObject* kw) {
  return parse_without_unit(args, kw, "O|$s:parse_dates", Kind::Date);
}

PyObject* parse_times(PyObject*, PyObject* args, PyObject* kw) {
  return parse_without_unit(args, kw, "O|$s:parse_times", Kind::Time);
}

PyObject* parse_date_times(PyObject*, PyObject* args, PyObject* kw) {
  static const char* names[] = {"col", "unit", "errors", nullptr};
  PyObject* col;
  const char* unit = "ns";
  const char* errors = "raise";
  Unit u;
  bool null_on_error;
  if (!PyArg_ParseTupleAndKeywords(args, kw, "O|$ss:parse_date_times", const_cast<char**>(names),
                                   &col, &unit, &errors) ||
      !unit_arg(unit, u) || !errors_arg(errors, null_on_error))
    return nullptr;
  return parse_column(col, Kind::DateTime, u, false, null_on_error);
}

PyObject* parse_offset_date_times(PyObject*, PyObject* args, PyObject* kw) {
  static const char* names[] = {"col", "unit", "offsets", "errors", nullptr};
  PyObject* col;
  const char* unit = "ns";
  const char* errors = "raise";
  int offsets = 0;
  Unit u;
  bool null_on_error;
  if (!PyArg_ParseTupleAndKeywords(args, kw, "O|$sps:parse_offset_date_times",
                                   const_cast<char**>(names), &col, &unit, &offsets, &errors) ||
      !unit_arg(unit, u) || !errors_arg(errors, null_on_error))
    return nullptr;
  return parse_column(col, Kind::OffsetDateTime, u, offsets != 0, null_on_error);
}

// ---------------------------------------------------------------- formatting

Values values_of(const ArrowArray* a, const ColType& t) {
  Values v;
  v.wide = value_width(t.type) == 8;
  const auto* base = static_cast<const char*>(a->buffers[1]);
  v.values = base == nullptr ? nullptr : base + a->offset * (v.wide ? 8 : 4);
  v.length = a->length;
  v.validity = a->null_count == 0 ? nullptr : static_cast<const std::uint8_t*>(a->buffers[0]);
  v.validity_offset = a->offset;
  v.nat = t.nat;
  return v;
}

ChunkPtr text_chunk(TextOut& t) {
  auto c = std::make_shared<Chunk>();
  c->length = t.rows;
  c->nulls = t.nulls;
  if (t.nulls != 0) {
    t.validity.resize(static_cast<std::size_t>((t.rows + 7) / 8), 0xFF);
    c->validity = std::move(t.validity);
  }
  t.data.resize(static_cast<std::size_t>(t.offsets.back()));
  c->text = std::move(t.data);
  c->offsets64 = std::move(t.offsets);
  return c;
}

// Text chunks use 32-bit offsets when every chunk's text is small enough.
void settle_text(ColumnData& d) {
  bool small = true;
  for (const auto& c : d.chunks) small = small && c->offsets64.back() <= INT32_MAX;
  d.type = parse_format(small ? "u" : "U");
  if (!small) return;
  for (auto& c : d.chunks) {
    c->offsets32.assign(c->offsets64.begin(), c->offsets64.end());
    c->offsets64 = {};
  }
}

void raise_format_row(Kind kind, const ColType& t, const Values& v, std::int64_t i,
                      std::int64_t row, const OffsetsIn* offsets) {
  const long long value = static_cast<long long>(v.at(i));
  switch (kind) {
    case Kind::Date:
      PyErr_Format(PyExc_ValueError, "row %lld: the day count %lld is beyond the Date range",
                   static_cast<long long>(row), value);
      break;
    case Kind::Time:
      PyErr_Format(PyExc_ValueError, "row %lld: %lld %s is not a time of day",
                   static_cast<long long>(row), value, std::string(unit_name(t.unit)).c_str());
      break;
    case Kind::DateTime:
      PyErr_Format(PyExc_ValueError, "row %lld: %lld %s is beyond the DateTime range",
                   static_cast<long long>(row), value, std::string(unit_name(t.unit)).c_str());
      break;
    case Kind::OffsetDateTime:
      PyErr_Format(PyExc_ValueError,
                   "row %lld: %lld %s at the offset %d s has no text (an offset beyond 24 "
                   "hours, or a local time beyond the DateTime range)",
                   static_cast<long long>(row), value, std::string(unit_name(t.unit)).c_str(),
                   static_cast<int>(offsets->seconds[i * offsets->step]));
      break;
  }
}

// The offsets argument: one UtcOffset, or a column of int32 seconds, made
// one contiguous buffer so that it lines up with any chunking of the
// instants.
struct FlatOffsets {
  std::vector<std::int32_t> seconds;
  std::vector<std::uint8_t> validity;
  bool one = false;
};

bool read_offsets(PyObject* offset, std::int64_t length, FlatOffsets& f) {
  PyObject* cls = chronexa_attr("UtcOffset", nullptr);
  if (cls == nullptr) return false;
  const int is_offset = PyObject_IsInstance(offset, cls);
  Py_DECREF(cls);
  if (is_offset < 0) return false;
  if (is_offset) {
    PyObject* s = PyObject_CallMethod(offset, "as_seconds", nullptr);
    if (s == nullptr) return false;
    f.seconds.push_back(static_cast<std::int32_t>(PyLong_AsLong(s)));
    Py_DECREF(s);
    f.one = true;
    return !PyErr_Occurred();
  }
  Input in;
  if (!read_input(offset, in)) return false;
  if (in.type.type != Type::Int32) {
    PyErr_Format(PyExc_TypeError, "offset must be a UtcOffset or a column of int32 seconds, not %s",
                 type_name(in.type).c_str());
    return false;
  }
  if (in.length != length) {
    PyErr_Format(PyExc_ValueError, "offset has %lld rows and the instants %lld",
                 static_cast<long long>(in.length), static_cast<long long>(length));
    return false;
  }
  f.seconds.reserve(static_cast<std::size_t>(length));
  bool nulls = false;
  for (const ArrowArray* a : in.chunks) nulls = nulls || a->null_count != 0;
  if (nulls) f.validity.assign(static_cast<std::size_t>((length + 7) / 8), 0);
  std::int64_t row = 0;
  for (const ArrowArray* a : in.chunks) {
    const auto* p = static_cast<const std::int32_t*>(a->buffers[1]) + a->offset;
    f.seconds.insert(f.seconds.end(), p, p + a->length);
    if (nulls)
      for (std::int64_t i = 0; i < a->length; ++i, ++row)
        if (valid_at(a, i))
          f.validity[static_cast<std::size_t>(row >> 3)] |= static_cast<std::uint8_t>(1u
                                                                                      << (row & 7));
  }
  return true;
}

PyObject* format_column(PyObject* col, Kind kind, PyObject* offset, const char* int_unit) {
  Input in;
  if (!read_input(col, in)) return nullptr;
  ColType t = in.type;
  bool fits;
  switch (kind) {
    case Kind::Date: fits = t.type == Type::Date32 || t.type == Type::Days64; break;
    case Kind::Time:
      fits = t.type == Type::Time32 || t.type == Type::Time64 ||
             (t.type == Type::Duration && in.family == Family::Numpy);
      break;
    default:
      fits = t.type == Type::Timestamp || t.type == Type::Int64 || (t.type == Type::Null && false);
      break;
  }
  if (!fits) {
    PyErr_Format(PyExc_TypeError, "format_%s cannot format a column of %s",
                 kind == Kind::Date       ? "dates"
                 : kind == Kind::Time     ? "times"
                 : kind == Kind::DateTime ? "date_times"
                                          : "offset_date_times",
                 type_name(t).c_str());
    return nullptr;
  }
  if (t.type == Type::Int64 && !unit_arg(int_unit, t.unit)) return nullptr;
  FlatOffsets flat;
  if (kind == Kind::OffsetDateTime && !read_offsets(offset, in.length, flat)) return nullptr;
  ColumnData out;
  std::int64_t base = 0;
  for (const ArrowArray* a : in.chunks) {
    const Values v = values_of(a, t);
    TextOut text;
    text.data.reserve(static_cast<std::size_t>(a->length) * 24);
    OffsetsIn offs;
    if (kind == Kind::OffsetDateTime) {
      offs.seconds = flat.seconds.data() + (flat.one ? 0 : base);
      offs.step = flat.one ? 0 : 1;
      offs.validity = flat.validity.empty() ? nullptr : flat.validity.data();
      offs.validity_offset = base;
    }
    Failure f;
    Py_BEGIN_ALLOW_THREADS f = format_values(v, kind, t.unit,
                                             kind == Kind::OffsetDateTime ? &offs : nullptr, text);
    Py_END_ALLOW_THREADS if (f.row >= 0) {
      raise_format_row(kind, t, v, f.row, base + f.row, &offs);
      return nullptr;
    }
    out.chunks.push_back(text_chunk(text));
    base += a->length;
  }
  out.length = base;
  settle_text(out);
  return deliver(std::move(out), in.family, in.chunked);
}

// format_dates(col) and format_times(col): one argument, no unit.
PyObject* format_without_unit(PyObject* args, PyObject* kw, const char* format, Kind kind) {
  static const char* names[] = {"col", nullptr};
  PyObject* col;
  if (!PyArg_ParseTupleAndKeywords(args, kw, format, const_cast<char**>(names), &col))
    return nullptr;
  return format_column(col, kind, nullptr, "ns");
}

PyObject* format_dates(PyObject*, PyObject* args, PyObject* kw) {
  return format_without_unit(args, kw, "O:format_dates", Kind::Date);
}

PyObject* format_times(PyObject*, PyObject* args, PyObject* kw) {
  return format_without_unit(args, kw, "O:format_times", Kind::Time);
}

PyObject* format_date_times(PyObject*, PyObject* args, PyObject* kw) {
  static const char* names[] = {"col", "unit", nullptr};
  PyObject* col;
  const char* unit = "ns";
  if (!PyArg_ParseTupleAndKeywords(args, kw, "O|$s:format_date_times", const_cast<char**>(names),
                                   &col, &unit))
    return nullptr;
  return format_column(col, Kind::DateTime, nullptr, unit);
}

PyObject* format_offset_date_times(PyObject*, PyObject* args, PyObject* kw) {
  static const char* names[] = {"instants", "offset", "unit", nullptr};
  PyObject* col;
  PyObject* offset;
  const char* unit = "ns";
  if (!PyArg_ParseTupleAndKeywords(args, kw, "OO|$s:format_offset_date_times",
                                   const_cast<char**>(names), &col, &offset, &unit))
    return nullptr;
  return format_column(col, Kind::OffsetDateTime, offset, unit);
}

// ---------------------------------------------------------------- objects

PyObject* to_objects_impl(PyObject* col) {
  Input in;
  if (!read_input(col, in)) return nullptr;
  const ColType& t = in.type;
  const char* cls;
  const char* method;
  switch (t.type) {
    case Type::Date32:
    case Type::Days64: cls = "Date", method = "from_days_since_unix_epoch"; break;
    case Type::Time32:
    case Type::Time64: cls = "Time", method = nullptr; break;
    case Type::Timestamp: cls = "DateTime", method = "from_unix_timestamp"; break;
    case Type::Duration: cls = "Duration", method = "nanoseconds"; break;
    case Type::Null:
    case Type::Utf8:
    case Type::LargeUtf8:
    case Type::Utf8View:
    case Type::Int32:
    case Type::Int64: cls = nullptr, method = nullptr; break;
    default:
      PyErr_Format(PyExc_TypeError, "to_objects cannot convert a column of %s",
                   type_name(t).c_str());
      return nullptr;
  }
  PyObject* make = cls != nullptr ? chronexa_attr(cls, method) : nullptr;
  if (cls != nullptr && make == nullptr) return nullptr;
  PyObject* list = PyList_New(static_cast<Py_ssize_t>(in.length));
  if (list == nullptr) {
    Py_XDECREF(make);
    return nullptr;
  }
  Py_ssize_t row = 0;
  const std::int64_t per = unit_nanos(t.unit), per_second = 1'000'000'000 / per;
  for (const ArrowArray* a : in.chunks) {
    const Values v = is_text(t.type) ? Values{} : values_of(a, t);
    const Strings s = is_text(t.type) && t.type != Type::Null ? strings_of(a, t.type) : Strings{};
    for (std::int64_t i = 0; i < a->length; ++i, ++row) {
      PyObject* o = nullptr;
      if (t.type == Type::Null || !valid_at(a, i) || (!is_text(t.type) && !v.valid(i))) {
        o = Py_NewRef(Py_None);
      } else if (is_text(t.type)) {
        const std::string_view x = s.get(i);
        o = PyUnicode_DecodeUTF8(x.data(), static_cast<Py_ssize_t>(x.size()), "strict");
      } else if (t.type == Type::Int32 || t.type == Type::Int64) {
        o = PyLong_FromLongLong(v.at(i));
      } else if (t.type == Type::Date32 || t.type == Type::Days64) {
        PyObject* d = PyLong_FromLongLong(v.at(i));
        o = d != nullptr ? PyObject_CallOneArg(make, d) : nullptr;
        Py_XDECREF(d);
      } else if (t.type == Type::Timestamp) {
        std::int64_t secs = v.at(i) / per_second, rest = v.at(i) % per_second;
        if (rest < 0) rest += per_second, --secs;
        PyObject* call[2] = {PyLong_FromLongLong(secs), PyLong_FromLongLong(rest * per)};
        if (call[0] != nullptr && call[1] != nullptr)
          o = PyObject_Vectorcall(make, call, 2, nullptr);
        Py_XDECREF(call[0]);
        Py_XDECREF(call[1]);
      } else if (t.type == Type::Duration) {
        PyObject* n = PyLong_FromLongLong(v.at(i));
        PyObject* k = PyLong_FromLongLong(per);
        PyObject* ns = n != nullptr && k != nullptr ? PyNumber_Multiply(n, k) : nullptr;
        o = ns != nullptr ? PyObject_CallOneArg(make, ns) : nullptr;
        Py_XDECREF(n);
        Py_XDECREF(k);
        Py_XDECREF(ns);
      } else {  // times
        const i128 nanos = static_cast<i128>(v.at(i)) * per;
        if (nanos < 0 || nanos >= i128{86'400} * 1'000'000'000) {
          PyErr_Format(PyExc_ValueError, "row %zd: %lld %s is not a time of day", row,
                       static_cast<long long>(v.at(i)), std::string(unit_name(t.unit)).c_str());
        } else {
          const auto n = static_cast<std::uint64_t>(nanos);
          const auto sec = n / 1'000'000'000;
          PyObject* call[4] = {PyLong_FromUnsignedLongLong(sec / 3600),
                               PyLong_FromUnsignedLongLong(sec % 3600 / 60),
                               PyLong_FromUnsignedLongLong(sec % 60),
                               PyLong_FromUnsignedLongLong(n % 1'000'000'000)};
          o = PyObject_Vectorcall(make, call, 4, nullptr);
          for (PyObject* c : call) Py_XDECREF(c);
        }
      }
      if (o == nullptr) {
        if (PyErr_ExceptionMatches(PyExc_ValueError)) {
          PyObject* exc = PyErr_GetRaisedException();
          PyObject* msg = PyObject_Str(exc);
          const char* text = msg != nullptr ? PyUnicode_AsUTF8(msg) : nullptr;
          if (text != nullptr && std::strncmp(text, "row ", 4) != 0)
            PyErr_Format(PyExc_ValueError, "row %zd: %U", row, msg);
          else PyErr_SetRaisedException(Py_NewRef(exc));
          Py_XDECREF(msg);
          Py_DECREF(exc);
        }
        Py_DECREF(list);
        Py_XDECREF(make);
        return nullptr;
      }
      PyList_SET_ITEM(list, row, o);
    }
  }
  Py_XDECREF(make);
  return list;
}

PyObject* to_objects(PyObject*, PyObject* args, PyObject* kw) {
  static const char* names[] = {"col", nullptr};
  PyObject* col;
  if (!PyArg_ParseTupleAndKeywords(args, kw, "O:to_objects", const_cast<char**>(names), &col))
    return nullptr;
  return to_objects_impl(col);
}

// A Python int as a 128-bit integer.
bool as_i128(PyObject* o, i128& v) {
  int overflow = 0;
  const long long small = PyLong_AsLongLongAndOverflow(o, &overflow);
  if (overflow == 0) {
    v = small;
    return small != -1 || !PyErr_Occurred();
  }
  const Py_ssize_t n = PyLong_AsNativeBytes(o, &v, sizeof v, Py_ASNATIVEBYTES_NATIVE_ENDIAN);
  if (n < 0) return false;
  return static_cast<std::size_t>(n) <= sizeof v;
}

PyObject* from_objects(PyObject*, PyObject* args, PyObject* kw) {
  static const char* names[] = {"values", "unit", nullptr};
  PyObject* values;
  const char* unit = "ns";
  Unit u;
  if (!PyArg_ParseTupleAndKeywords(args, kw, "O|$s:from_objects", const_cast<char**>(names),
                                   &values, &unit) ||
      !unit_arg(unit, u))
    return nullptr;
  PyObject* seq = PySequence_Fast(values, "from_objects takes a sequence of values");
  if (seq == nullptr) return nullptr;
  const Py_ssize_t n = PySequence_Fast_GET_SIZE(seq);
  PyObject** items = PySequence_Fast_ITEMS(seq);
  const char* class_names[] = {"Date", "Time", "DateTime", "Duration", "OffsetDateTime"};
  PyObject* classes[5] = {};
  for (int k = 0; k < 5; ++k)
    if ((classes[k] = chronexa_attr(class_names[k], nullptr)) == nullptr) {
      for (PyObject* c : classes) Py_XDECREF(c);
      Py_DECREF(seq);
      return nullptr;
    }
  int which = -1;
  for (Py_ssize_t i = 0; i < n && which < 0; ++i)
    for (int k = 0; k < 5; ++k)
      if (Py_TYPE(items[i]) == reinterpret_cast<PyTypeObject*>(classes[k])) which = k;
  auto cleanup = [&] {
    for (PyObject* c : classes) Py_XDECREF(c);
    Py_DECREF(seq);
  };
  if (which == 4) {
    cleanup();
    PyErr_SetString(PyExc_TypeError,
                    "OffsetDateTime values hold an offset a timestamp column cannot: pass their "
                    ".utc, or format them with str()");
    return nullptr;
  }
  if (which < 0) which = 2;  // all None: a timestamp column of nulls
  const Type type = which == 0   ? Type::Date32
                    : which == 1 ? Type::Time64
                    : which == 2 ? Type::Timestamp
                                 : Type::Duration;
  ColumnData d;
  d.type = fixed_type(type, which == 1 ? Unit::Ns : u);
  auto c = std::make_shared<Chunk>();
  c->length = n;
  const std::size_t width = type == Type::Date32 ? 4 : 8;
  c->values.assign(static_cast<std::size_t>(n) * width, 0);
  const char* method = which == 0   ? "days_since_unix_epoch"
                       : which == 1 ? "nanos_since_midnight"
                       : which == 2 ? "unix_timestamp_nanos"
                                    : "total_nanos";
  PyObject* method_name = PyUnicode_InternFromString(method);
  const i128 per = unit_nanos(d.type.unit);
  for (Py_ssize_t i = 0; i < n; ++i) {
    PyObject* o = items[i];
    if (o == Py_None) {
      if (c->validity.empty()) c->validity.assign(static_cast<std::size_t>((n + 7) / 8), 0xFF);
      c->validity[static_cast<std::size_t>(i >> 3)] &= static_cast<std::uint8_t>(~(1u << (i & 7)));
      ++c->nulls;
      continue;
    }
    if (Py_TYPE(o) != reinterpret_cast<PyTypeObject*>(classes[which])) {
      PyErr_Format(PyExc_TypeError, "row %zd: expected %s or None, not %.100s", i,
                   class_names[which], Py_TYPE(o)->tp_name);
      Py_DECREF(method_name);
      cleanup();
      return nullptr;
    }
    PyObject* r = PyObject_CallMethodNoArgs(o, method_name);
    i128 v = 0;
    const bool ok = r != nullptr && as_i128(r, v);
    Py_XDECREF(r);
    if (!ok) {
      Py_DECREF(method_name);
      cleanup();
      return nullptr;
    }
    bool fits;
    if (type == Type::Date32) {
      fits = v >= INT32_MIN && v <= INT32_MAX;
      const auto x = static_cast<std::int32_t>(v);
      if (fits) std::memcpy(c->values.data() + 4 * static_cast<std::size_t>(i), &x, 4);
    } else {
      if (v % per != 0) {
        PyErr_Format(PyExc_ValueError,
                     "row %zd: %R is finer than the unit '%s' (it would be truncated)", i, o,
                     std::string(unit_name(d.type.unit)).c_str());
        Py_DECREF(method_name);
        cleanup();
        return nullptr;
      }
      v /= per;
      fits = v >= INT64_MIN && v <= INT64_MAX;
      const auto x = static_cast<std::int64_t>(v);
      if (fits) std::memcpy(c->values.data() + 8 * static_cast<std::size_t>(i), &x, 8);
    }
    if (!fits) {
      PyErr_Format(PyExc_ValueError, "row %zd: %R is out of range for %s", i, o,
                   type_name(d.type).c_str());
      Py_DECREF(method_name);
      cleanup();
      return nullptr;
    }
  }
  Py_DECREF(method_name);
  cleanup();
  d.chunks.push_back(c);
  d.length = n;
  return new_column(std::move(d));
}

// ---------------------------------------------------------------- Column

void column_dealloc(PyObject* self) {
  PyTypeObject* tp = Py_TYPE(self);
  delete reinterpret_cast<PyColumn*>(self)->data;
  PyObject_Free(self);
  Py_DECREF(tp);
}

ColumnData& data_of(PyObject* self) { return *reinterpret_cast<PyColumn*>(self)->data; }

Py_ssize_t column_len(PyObject* self) { return static_cast<Py_ssize_t>(data_of(self).length); }

PyObject* column_repr(PyObject* self) {
  const ColumnData& d = data_of(self);
  return PyUnicode_FromFormat("Column(%s, %zd rows)", type_name(d.type).c_str(),
                              static_cast<Py_ssize_t>(d.length));
}

PyObject* column_arrow_c_array(PyObject* self, PyObject* args, PyObject* kw) {
  static const char* names[] = {"requested_schema", nullptr};
  PyObject* requested = Py_None;
  if (!PyArg_ParseTupleAndKeywords(args, kw, "|O:__arrow_c_array__", const_cast<char**>(names),
                                   &requested))
    return nullptr;
  const ColumnData& d = data_of(self);
  ColumnData one;
  one.type = d.type;
  if (d.chunks.empty()) {
    auto c = std::make_shared<Chunk>();
    if (is_text(d.type.type)) c->offsets32.push_back(0), c->offsets64.push_back(0);
    one.chunks.push_back(c);
  } else {
    one.chunks.push_back(whole(d));
  }
  auto* schema = new ArrowSchema;
  export_schema(d.type, schema);
  auto* array = new ArrowArray;
  export_chunk(one.chunks.front(), d.type, array);
  PyObject* s = PyCapsule_New(schema, "arrow_schema", schema_capsule_destructor);
  PyObject* a = PyCapsule_New(array, "arrow_array", array_capsule_destructor);
  return Py_BuildValue("(NN)", s, a);
}

PyObject* column_arrow_c_stream(PyObject* self, PyObject* args, PyObject* kw) {
  static const char* names[] = {"requested_schema", nullptr};
  PyObject* requested = Py_None;
  if (!PyArg_ParseTupleAndKeywords(args, kw, "|O:__arrow_c_stream__", const_cast<char**>(names),
                                   &requested))
    return nullptr;
  const ColumnData& d = data_of(self);
  auto* stream = new ArrowArrayStream{stream_get_schema, stream_get_next, stream_get_last_error,
                                      stream_release, new ExportedStream{d.type, d.chunks, 0}};
  return PyCapsule_New(stream, "arrow_array_stream", stream_capsule_destructor);
}

// numpy's view of the column: datetime64, timedelta64 and int types with NaT
// for null, where numpy has one; a valid int64 minimum would read as NaT, so
// it is refused. Text as 'U', or object with None when there are nulls.
PyObject* column_array(PyObject* self, PyObject* args, PyObject* kw) {
  static const char* names[] = {"dtype", "copy", nullptr};
  PyObject* dtype = Py_None;
  PyObject* copy = Py_None;
  if (!PyArg_ParseTupleAndKeywords(args, kw, "|OO:__array__", const_cast<char**>(names), &dtype,
                                   &copy))
    return nullptr;
  const ColumnData& d = data_of(self);
  PyObject* numpy = PyImport_ImportModule("numpy");
  if (numpy == nullptr) return nullptr;
  PyObject* result = nullptr;
  const ChunkPtr c = d.chunks.empty() ? std::make_shared<Chunk>() : whole(d);
  auto valid = [&](std::int64_t i) {
    return c->validity.empty() || (c->validity[static_cast<std::size_t>(i >> 3)] >> (i & 7) & 1);
  };
  if (is_text(d.type.type)) {
    PyObject* list = to_objects_impl(self);
    if (list != nullptr) {
      result = PyObject_CallMethod(numpy, "array", "Os", list, c->nulls != 0 ? "O" : "U");
      Py_DECREF(list);
    }
  } else {
    std::string np_type;
    const std::string u{unit_name(d.type.unit)};
    switch (d.type.type) {
      case Type::Date32: np_type = "datetime64[D]"; break;
      case Type::Time64: np_type = "timedelta64[" + u + "]"; break;
      case Type::Timestamp: np_type = "datetime64[" + u + "]"; break;
      case Type::Duration: np_type = "timedelta64[" + u + "]"; break;
      default: np_type = d.type.type == Type::Int32 ? "int32" : "int64"; break;
    }
    const bool int32 = d.type.type == Type::Int32;
    if (int32 && c->nulls != 0) {
      PyErr_SetString(PyExc_ValueError, "the column has nulls, which numpy int32 cannot hold");
    } else {
      std::vector<std::int64_t> wide;
      const void* bytes = c->values.data();
      Py_ssize_t size = static_cast<Py_ssize_t>(c->values.size());
      if (!int32) {
        wide.resize(static_cast<std::size_t>(c->length));
        for (std::int64_t i = 0; i < c->length; ++i) {
          std::int64_t x;
          if (value_width(d.type.type) == 4) {
            std::int32_t y;
            std::memcpy(&y, c->values.data() + 4 * i, 4);
            x = y;
          } else {
            std::memcpy(&x, c->values.data() + 8 * i, 8);
          }
          if (!valid(i)) {
            x = INT64_MIN;
          } else if (x == INT64_MIN) {
            PyErr_Format(PyExc_ValueError,
                         "row %lld: the valid instant at the int64 minimum reads as NaT in numpy",
                         static_cast<long long>(i));
            Py_DECREF(numpy);
            return nullptr;
          }
          wide[static_cast<std::size_t>(i)] = x;
        }
        bytes = wide.data();
        size = static_cast<Py_ssize_t>(wide.size() * 8);
      }
      PyObject* buf = PyByteArray_FromStringAndSize(static_cast<const char*>(bytes), size);
      if (buf != nullptr) {
        result = PyObject_CallMethod(numpy, "frombuffer", "Os", buf, np_type.c_str());
        Py_DECREF(buf);
      }
    }
  }
  if (result != nullptr && dtype != Py_None) {
    PyObject* r = PyObject_CallMethod(result, "astype", "O", dtype);
    Py_DECREF(result);
    result = r;
  }
  Py_DECREF(numpy);
  return result;
}

PyObject* column_to_pylist(PyObject* self, PyObject*) { return to_objects_impl(self); }

PyObject* column_get_type(PyObject* self, void*) {
  return PyUnicode_FromString(type_name(data_of(self).type).c_str());
}

PyObject* column_get_null_count(PyObject* self, void*) {
  std::int64_t n = 0;
  for (const auto& c : data_of(self).chunks) n += c->nulls;
  return PyLong_FromLongLong(n);
}

PyObject* column_get_num_chunks(PyObject* self, void*) {
  return PyLong_FromSize_t(data_of(self).chunks.size());
}

PyMethodDef column_methods[] = {
    {"__arrow_c_array__",
     reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(column_arrow_c_array)),
     METH_VARARGS | METH_KEYWORDS,
     "__arrow_c_array__($self, /, requested_schema=None)\n--\n\nThe column as one Arrow array "
     "(schema and array capsules)."},
    {"__arrow_c_stream__",
     reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(column_arrow_c_stream)),
     METH_VARARGS | METH_KEYWORDS,
     "__arrow_c_stream__($self, /, requested_schema=None)\n--\n\nThe column's chunks as an "
     "Arrow stream capsule."},
    {"__array__", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(column_array)),
     METH_VARARGS | METH_KEYWORDS,
     "__array__($self, /, dtype=None, copy=None)\n--\n\nThe column as a numpy array."},
    {"to_pylist", column_to_pylist, METH_NOARGS,
     "to_pylist($self, /)\n--\n\nThe rows as Python values: chronexa values, str, int or None."},
    {nullptr, nullptr, 0, nullptr},
};

PyGetSetDef column_getset[] = {
    {"type", column_get_type, nullptr, "The Arrow type of the rows, as pyarrow names it.", nullptr},
    {"null_count", column_get_null_count, nullptr, "The number of null rows.", nullptr},
    {"num_chunks", column_get_num_chunks, nullptr, "The number of chunks.", nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

PyType_Slot column_slots[] = {
    {Py_tp_dealloc, reinterpret_cast<void*>(column_dealloc)},
    {Py_tp_repr, reinterpret_cast<void*>(column_repr)},
    {Py_mp_length, reinterpret_cast<void*>(column_len)},
    {Py_tp_methods, column_methods},
    {Py_tp_getset, column_getset},
    {Py_tp_doc,
     const_cast<char*>("A column of rows made by chronexa_columns; any Arrow consumer (pyarrow, "
                       "polars, DuckDB) takes it.")},
    {0, nullptr},
};

PyType_Spec column_spec = {
    "chronexa_columns.Column", sizeof(PyColumn), 0,
    Py_TPFLAGS_DEFAULT | Py_TPFLAGS_IMMUTABLETYPE | Py_TPFLAGS_DISALLOW_INSTANTIATION,
    column_slots};

// ---------------------------------------------------------------- module

PyObject* simd_path(PyObject*, PyObject*) {
  return PyUnicode_FromString(simd_in_use() ? "sse4.1" : "scalar");
}

PyObject* set_simd(PyObject*, PyObject* on) {
  const int v = PyObject_IsTrue(on);
  if (v < 0) return nullptr;
  use_simd(v != 0);
  return PyUnicode_FromString(simd_in_use() ? "sse4.1" : "scalar");
}

#define KW(f) \
  reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(f)), METH_VARARGS | METH_KEYWORDS

PyMethodDef module_methods[] = {
    {"parse_dates", KW(parse_dates),
     "parse_dates(col, *, errors='raise')\n--\n\nParse a column of date texts into date32, row by "
     "row as Date.parse."},
    {"parse_times", KW(parse_times),
     "parse_times(col, *, errors='raise')\n--\n\nParse a column of time texts into time64[ns], "
     "row by row as Time.parse."},
    {"parse_date_times", KW(parse_date_times),
     "parse_date_times(col, *, unit='ns', errors='raise')\n--\n\nParse a column of UTC date-time "
     "texts into timestamp[unit, tz=UTC], row by row as DateTime.parse."},
    {"parse_offset_date_times", KW(parse_offset_date_times),
     "parse_offset_date_times(col, *, unit='ns', offsets=False, errors='raise')\n--\n\nParse a "
     "column of RFC 3339 texts into timestamp[unit, tz=UTC] instants, row by row as "
     "OffsetDateTime.parse(s).utc; with offsets=True also an int32 column of offset seconds."},
    {"format_dates", KW(format_dates),
     "format_dates(col)\n--\n\nThe text of every date, as str(Date)."},
    {"format_times", KW(format_times),
     "format_times(col)\n--\n\nThe text of every time of day, as str(Time)."},
    {"format_date_times", KW(format_date_times),
     "format_date_times(col, *, unit='ns')\n--\n\nThe text of every instant, as str(DateTime); "
     "unit applies to a column of plain int64."},
    {"format_offset_date_times", KW(format_offset_date_times),
     "format_offset_date_times(instants, offset, *, unit='ns')\n--\n\nThe text of every instant "
     "shown at its offset (a UtcOffset, or an int32 column of seconds), as str(OffsetDateTime)."},
    {"to_objects", KW(to_objects),
     "to_objects(col)\n--\n\nThe rows as chronexa values: date32 as Date, time as Time, timestamp "
     "as DateTime, duration as Duration; null as None."},
    {"from_objects", KW(from_objects),
     "from_objects(values, *, unit='ns')\n--\n\nA column of chronexa values (Date, Time, DateTime "
     "or Duration, and None)."},
    {"_simd_path", simd_path, METH_NOARGS, nullptr},
    {"_set_simd", set_simd, METH_O, nullptr},
    {nullptr, nullptr, 0, nullptr},
};

int module_exec(PyObject* m) {
  if (column_type == nullptr) {
    column_type = reinterpret_cast<PyTypeObject*>(PyType_FromSpec(&column_spec));
    if (column_type == nullptr) return -1;
  }
  if (PyModule_AddObjectRef(m, "Column", reinterpret_cast<PyObject*>(column_type)) < 0) return -1;
  PyObject* all = Py_BuildValue("[sssssssssss]", "Column", "parse_dates", "parse_times",
                                "parse_date_times", "parse_offset_date_times", "format_dates",
                                "format_times", "format_date_times", "format_offset_date_times",
                                "to_objects", "from_objects");
  return PyModule_Add(m, "__all__", all);
}

PyModuleDef_Slot module_slots[] = {
    {Py_mod_exec, reinterpret_cast<void*>(module_exec)},
    {Py_mod_multiple_interpreters, Py_MOD_MULTIPLE_INTERPRETERS_NOT_SUPPORTED},
    {Py_mod_gil, Py_MOD_GIL_NOT_USED},
    {0, nullptr},
};

PyModuleDef module_def = {
    PyModuleDef_HEAD_INIT,
    "chronexa_columns",
    "Whole columns of dates and times parsed and formatted exactly as chronexa's values.",
    0,
    module_methods,
    module_slots,
    nullptr,
    nullptr,
    nullptr,
};

}  // namespace
}  // namespace chronexa::columns

extern "C" __attribute__((visibility("default"))) PyObject* PyInit_chronexa_columns() {
  return PyModuleDef_Init(&chronexa::columns::module_def);
}
