// SPDX-License-Identifier: MIT
//
// chronexa_floor: the cheapest extension call of each shape the module uses,
// built only for benchmarking (CHRONEXA_BENCH=ON). Every member does the
// least its shape needs: read its arguments, allocate and return an instance
// or return a cached object. bench/bench.py times chronexa beside these.
#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <string.h>
#include <time.h>

typedef struct {
  PyObject_HEAD
  Py_ssize_t text_size;  // length of str() and repr()
  Py_hash_t hash;
} Floor;

static PyTypeObject* floor_type;  // kept for the life of the process

static PyObject* alloc(PyTypeObject* type) {
  Floor* f = PyObject_New(Floor, type);
  if (f == NULL) return NULL;
  f->text_size = 0;
  // A hash is a full-width integer, as keyed hashes are: hash() allocates a
  // multi-digit int for it on every call.
  f->hash = 0x5eed5eed5eed5eedLL;
  return (PyObject*)f;
}

// Constructor arguments that are ints are read as C integers; others (the
// instances a constructor combines) are taken as they are.
static int read_ints(PyObject* const* args, Py_ssize_t n) {
  if (n > 4) {
    PyErr_SetString(PyExc_TypeError, "too many arguments");
    return 0;
  }
  for (Py_ssize_t i = 0; i < n; ++i) {
    if (!PyLong_CheckExact(args[i])) continue;
    long v = PyLong_AsLong(args[i]);
    if (v == -1 && PyErr_Occurred()) return 0;
  }
  return 1;
}

static PyObject* floor_vectorcall(PyObject* type, PyObject* const* args, size_t nargsf,
                                  PyObject* kwnames) {
  if (kwnames != NULL && PyTuple_GET_SIZE(kwnames) != 0) {
    PyErr_SetString(PyExc_TypeError, "no keywords");
    return NULL;
  }
  if (!read_ints(args, PyVectorcall_NARGS(nargsf))) return NULL;
  return alloc((PyTypeObject*)type);
}

static PyObject* floor_new(PyTypeObject* type, PyObject* args, PyObject* kwargs) {
  if (kwargs != NULL && PyDict_GET_SIZE(kwargs) != 0) {
    PyErr_SetString(PyExc_TypeError, "no keywords");
    return NULL;
  }
  if (!read_ints(&PyTuple_GET_ITEM(args, 0), PyTuple_GET_SIZE(args))) return NULL;
  return alloc(type);
}

static int one_positional(Py_ssize_t nargs, PyObject* kwnames) {
  if (nargs == 1 && (kwnames == NULL || PyTuple_GET_SIZE(kwnames) == 0)) return 1;
  PyErr_SetString(PyExc_TypeError, "one positional argument");
  return 0;
}

// Class method taking a str: the text is read as UTF-8, as a parser must.
static PyObject* from_str(PyObject* cls, PyObject* const* args, Py_ssize_t nargs,
                          PyObject* kwnames) {
  if (!one_positional(nargs, kwnames)) return NULL;
  if (!PyUnicode_Check(args[0])) {
    PyErr_SetString(PyExc_TypeError, "str expected");
    return NULL;
  }
  Py_ssize_t n;
  if (PyUnicode_AsUTF8AndSize(args[0], &n) == NULL) return NULL;
  return alloc((PyTypeObject*)cls);
}

// Class method taking ints (one to four), each read as a C integer.
static PyObject* from_int(PyObject* cls, PyObject* const* args, Py_ssize_t nargs,
                          PyObject* kwnames) {
  if (nargs < 1 || nargs > 4 || (kwnames != NULL && PyTuple_GET_SIZE(kwnames) != 0)) {
    PyErr_SetString(PyExc_TypeError, "one to four positional ints");
    return NULL;
  }
  for (Py_ssize_t i = 0; i < nargs; ++i) {
    long long v = PyLong_AsLongLong(args[i]);
    if (v == -1 && PyErr_Occurred()) return NULL;
  }
  return alloc((PyTypeObject*)cls);
}

// Class method taking objects (one to four), counted and not read.
static PyObject* from_objects(PyObject* cls, PyObject* const* args, Py_ssize_t nargs,
                              PyObject* kwnames) {
  (void)args;
  if (nargs < 1 || nargs > 4 || (kwnames != NULL && PyTuple_GET_SIZE(kwnames) != 0)) {
    PyErr_SetString(PyExc_TypeError, "one to four positional arguments");
    return NULL;
  }
  return alloc((PyTypeObject*)cls);
}

// Class method without arguments that reads the system clock once and keeps
// what it read in the instance, as any now() must: a reading nobody uses
// leaves the processor free not to wait for it.
static PyObject* now(PyObject* cls, PyObject* unused) {
  (void)unused;
  struct timespec ts;
  if (clock_gettime(CLOCK_REALTIME, &ts) != 0) return PyErr_SetFromErrno(PyExc_OSError);
  Floor* f = (Floor*)alloc((PyTypeObject*)cls);
  if (f != NULL) f->hash = (Py_hash_t)ts.tv_sec * 1000000000 + ts.tv_nsec;
  return (PyObject*)f;
}

static PyObject* new_object(PyObject* self, PyObject* unused) {
  (void)unused;
  return alloc(Py_TYPE(self));
}

static PyObject* small_int(PyObject* self, PyObject* unused) {
  (void)self, (void)unused;
  return PyLong_FromLong(5);
}

// Ints beyond the interpreter's small-int cache, allocated on every call: one
// of a single digit (below 2**30) and one of several.
static PyObject* int_(PyObject* self, PyObject* unused) {
  (void)self, (void)unused;
  return PyLong_FromLong(19727);
}

static PyObject* float_(PyObject* self, PyObject* unused) {
  (void)self, (void)unused;
  return PyFloat_FromDouble(5.0);
}

static PyObject* large_int(PyObject* self, PyObject* unused) {
  (void)self, (void)unused;
  return PyLong_FromLongLong(1704457845123456789LL);
}

// Method with one argument of the instance's type.
static PyObject* with_arg(PyObject* self, PyObject* const* args, Py_ssize_t nargs,
                          PyObject* kwnames) {
  if (!one_positional(nargs, kwnames)) return NULL;
  (void)args;
  return alloc(Py_TYPE(self));
}

// Method with one int argument, read as a C integer.
static PyObject* with_int(PyObject* self, PyObject* const* args, Py_ssize_t nargs,
                          PyObject* kwnames) {
  if (!one_positional(nargs, kwnames)) return NULL;
  long long v = PyLong_AsLongLong(args[0]);
  if (v == -1 && PyErr_Occurred()) return NULL;
  return alloc(Py_TYPE(self));
}

static PyObject* get_prop(PyObject* self, void* closure) {
  (void)self, (void)closure;
  return PyLong_FromLong(12);
}

static char letters[128];  // all 'x', set when the module is executed

// str() and repr(): a new ASCII str of the instance's text size, copied from
// bytes as a formatter would.
static PyObject* text(PyObject* self) {
  const Py_ssize_t n = ((Floor*)self)->text_size;
  PyObject* s = PyUnicode_New(n, 127);
  if (s != NULL) memcpy(PyUnicode_1BYTE_DATA(s), letters, (size_t)n);
  return s;
}

static Py_hash_t hash(PyObject* self) { return ((Floor*)self)->hash; }

static PyObject* richcompare(PyObject* self, PyObject* other, int op) {
  (void)op;
  if (Py_TYPE(other) != Py_TYPE(self)) Py_RETURN_NOTIMPLEMENTED;
  Py_RETURN_TRUE;
}

static PyObject* add(PyObject* a, PyObject* b) {
  if (Py_TYPE(a) != floor_type || Py_TYPE(b) != floor_type) Py_RETURN_NOTIMPLEMENTED;
  return alloc(floor_type);
}

static PyObject* negative(PyObject* a) { return alloc(Py_TYPE(a)); }

#define CLASS_METHOD METH_FASTCALL | METH_KEYWORDS | METH_CLASS
#define FASTCALL(f) (PyCFunction)(void (*)(void))(f)

static PyMethodDef methods[] = {
    {"from_str", FASTCALL(from_str), CLASS_METHOD, NULL},
    {"from_int", FASTCALL(from_int), CLASS_METHOD, NULL},
    {"from_objects", FASTCALL(from_objects), CLASS_METHOD, NULL},
    {"now", now, METH_NOARGS | METH_CLASS, NULL},
    {"new", new_object, METH_NOARGS, NULL},
    {"small", small_int, METH_NOARGS, NULL},
    {"int", int_, METH_NOARGS, NULL},
    {"float", float_, METH_NOARGS, NULL},
    {"large", large_int, METH_NOARGS, NULL},
    {"with_arg", FASTCALL(with_arg), METH_FASTCALL | METH_KEYWORDS, NULL},
    {"with_int", FASTCALL(with_int), METH_FASTCALL | METH_KEYWORDS, NULL},
    {NULL, NULL, 0, NULL},
};

static PyGetSetDef properties[] = {
    {"prop", get_prop, NULL, NULL, NULL},
    {NULL, NULL, NULL, NULL, NULL},
};

// Heap types, as the module's classes are: instances hold a reference to
// their type.
static void dealloc(PyObject* self) {
  PyTypeObject* type = Py_TYPE(self);
  type->tp_free(self);
  Py_DECREF(type);
}

static PyType_Slot floor_slots[] = {
    {Py_tp_new, floor_new},
    {Py_tp_vectorcall, floor_vectorcall},
    {Py_tp_dealloc, dealloc},
    {Py_tp_str, text},
    {Py_tp_repr, text},
    {Py_tp_hash, hash},
    {Py_tp_richcompare, richcompare},
    {Py_nb_add, add},
    {Py_nb_negative, negative},
    {Py_tp_methods, methods},
    {Py_tp_getset, properties},
    {0, NULL},
};

// The same instance without a vector call: constructed from an argument tuple.
static PyType_Slot tuple_slots[] = {
    {Py_tp_new, floor_new},
    {Py_tp_dealloc, dealloc},
    {0, NULL},
};

static PyType_Spec floor_spec = {
    "chronexa_floor.Floor", sizeof(Floor), 0, Py_TPFLAGS_DEFAULT | Py_TPFLAGS_IMMUTABLETYPE,
    floor_slots,
};
static PyType_Spec tuple_spec = {
    "chronexa_floor.FloorTuple", sizeof(Floor), 0, Py_TPFLAGS_DEFAULT | Py_TPFLAGS_IMMUTABLETYPE,
    tuple_slots,
};

// text(n): an instance whose str() and repr() have n characters.
static PyObject* make_text(PyObject* module, PyObject* arg) {
  (void)module;
  Py_ssize_t n = PyLong_AsSsize_t(arg);
  if (n == -1 && PyErr_Occurred()) return NULL;
  if (n < 0 || n > (Py_ssize_t)sizeof letters) {
    PyErr_SetString(PyExc_ValueError, "text size out of range");
    return NULL;
  }
  PyObject* f = alloc(floor_type);
  if (f != NULL) ((Floor*)f)->text_size = n;
  return f;
}

static PyMethodDef module_functions[] = {
    {"text", make_text, METH_O, NULL},
    {NULL, NULL, 0, NULL},
};

static int exec_module(PyObject* module) {
  memset(letters, 'x', sizeof letters);
  floor_type = (PyTypeObject*)PyType_FromSpec(&floor_spec);
  if (floor_type == NULL || PyModule_AddObjectRef(module, "Floor", (PyObject*)floor_type) < 0)
    return -1;
  PyObject* tuple_type = PyType_FromSpec(&tuple_spec);
  if (tuple_type == NULL) return -1;
  int r = PyModule_AddObjectRef(module, "FloorTuple", tuple_type);
  Py_DECREF(tuple_type);
  return r;
}

static PyModuleDef_Slot module_slots[] = {
    {Py_mod_exec, exec_module},
    {Py_mod_multiple_interpreters, Py_MOD_MULTIPLE_INTERPRETERS_NOT_SUPPORTED},
    {0, NULL},
};

static PyModuleDef module_def = {
    PyModuleDef_HEAD_INIT,
    .m_name = "chronexa_floor",
    .m_methods = module_functions,
    .m_slots = module_slots,
};

PyMODINIT_FUNC PyInit_chronexa_floor(void) { return PyModuleDef_Init(&module_def); }
