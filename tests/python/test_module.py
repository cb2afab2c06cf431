# SPDX-License-Identifier: MIT
"""The module, its type objects and instances; re-import, re-execution, subinterpreters."""
import copy
import gc
import importlib.util
import inspect
import os
import pickle
import subprocess
import sys
import textwrap
import weakref

import pytest

import chronexa
from chronexa import Date, DateTime, Duration, OffsetDateTime, Time, UtcOffset, Weekday

NAMES = ["Weekday", "Date", "Time", "Duration", "DateTime", "UtcOffset", "OffsetDateTime"]
CLASSES = [getattr(chronexa, n) for n in NAMES]
SIGNATURES = {"Date": "(year, month, day)", "Time": "(hour, minute, second, nanosecond=0)",
              "DateTime": "(date, time)"}
INSTANCES = [Weekday.SUNDAY, Date(2024, 1, 1), Time(1, 2, 3), Duration.seconds(5),
             DateTime(Date(2024, 1, 1), Time(1, 2, 3)), UtcOffset.from_seconds(3600),
             OffsetDateTime.parse("2024-01-01T00:00:00+01:00")]
HEAPTYPE = 1 << 9
# Where `import chronexa` finds the module: the build folder holds it as a
# module, the wheel as a package whose __init__ it is.
IMPORT_PATH = os.path.dirname(os.path.dirname(chronexa.__file__) if hasattr(chronexa, "__path__")
                              else chronexa.__file__)
COPIERS = [lambda o, p=p: pickle.dumps(o, protocol=p) for p in range(pickle.HIGHEST_PROTOCOL + 1)]
COPIERS += [copy.copy, copy.deepcopy, lambda o: copy.deepcopy([o])]


def test_module_attributes():
    assert type(chronexa.__all__) is list and (chronexa.__all__, chronexa.__doc__) == (NAMES, "")
    assert {k for k in vars(chronexa) if not k.startswith("_")} == set(NAMES)


@pytest.mark.parametrize("cls", CLASSES, ids=NAMES)
def test_type_properties(cls):
    name = cls.__name__
    assert (cls.__qualname__, cls.__module__, cls.__bases__) == (name, "chronexa", (object,))
    assert repr(cls) == f"<class 'chronexa.{name}'>" and pickle.loads(pickle.dumps(cls)) is cls
    assert cls.__flags__ & HEAPTYPE and cls.__doc__ == ("" if name in SIGNATURES else None)
    if name in SIGNATURES:
        assert cls.__text_signature__ == str(inspect.signature(cls)) == SIGNATURES[name]
    else:
        with pytest.raises(TypeError, match=f"^cannot create 'chronexa.{name}' instances$"):
            cls()
    with pytest.raises(TypeError, match=f"type 'chronexa.{name}' is not an acceptable base type"):
        type("Sub", (cls,), {})
    pytest.raises(TypeError, object.__new__, cls)
    cls.extra_attribute = 1  # the classes themselves are not immutable
    del cls.extra_attribute


@pytest.mark.parametrize("obj", INSTANCES, ids=NAMES)
def test_instances_are_closed(obj):
    assert not hasattr(obj, "__dict__") and not gc.is_tracked(obj)
    assert type(obj).__eq__(obj, 5) is type(obj).__lt__(obj, 5) is NotImplemented  # other types
    with pytest.raises(TypeError, match="cannot create weak reference to"):
        weakref.ref(obj)
    properties = [k for k, v in vars(type(obj)).items() if inspect.isgetsetdescriptor(v)]
    for attr in ["anything", *properties]:
        with pytest.raises(AttributeError):  # nothing added, no property written
            setattr(obj, attr, 5)
    refused = f"^cannot pickle 'chronexa.{type(obj).__name__}' object$"
    for copier in COPIERS:  # pickling and copying
        with pytest.raises(TypeError, match=refused):
            copier(obj)


def test_freed_instances_make_way_for_any_class():
    """Blocks freed by one class are reused by the classes of the same size: each new instance
    has its own class and value, and no class keeps a reference per instance made or dropped."""
    makers = {Date: lambda i: Date(2000, 1, 1 + i % 28), Time: lambda i: Time(i % 24, 1, 2),
              UtcOffset: UtcOffset.from_seconds, Duration: Duration.seconds,
              DateTime: lambda i: DateTime.from_unix_timestamp(i, 0),
              OffsetDateTime: lambda i: OffsetDateTime.parse(f"2024-01-01T00:00:{i % 60:02}Z")}

    def churn(n, order):
        made = [(c, i, makers[c](i)) for c in order for i in range(n)]
        del made[::2]
        made += [(c, i, makers[c](i)) for c in order[::-1] for i in range(n)]
        assert all(type(o) is c and o == makers[c](i) for c, i, o in made)

    churn(1, list(makers))
    before = [sys.getrefcount(c) for c in CLASSES]
    for n in (1, 10, 300):  # fewer and more than are kept for reuse
        churn(n, list(makers))
        churn(n, list(makers)[::-1])
    assert [sys.getrefcount(c) for c in CLASSES] == before


# Rebinding __new__ or adding __init__ changes the class call exactly as type.__call__; every
# route through object.__new__ stays closed, even where the interpreter's own guard lapses after
# __new__ is rebound and restored. Run apart: a restored __new__ leaves the class changed.
@pytest.mark.parametrize(("name", "args"), [
    ("Date", "2024, 1, 4"), ("Time", "1, 2, 3, nanosecond=4"),
    ("DateTime", "date=Date(2024, 1, 4), time=Time(1, 2, 3)")])
def test_class_call_follows_new_and_init(name, args):
    script = f"""
        from chronexa import *
        C, calls, own = {name}, [], vars({name})["__new__"]
        bound = (lambda *a, **k: (a, k))({args})
        C.__init__ = lambda self, *a, **k: calls.append((self, a, k))
        x = C({args})
        assert type(x) is C and calls == [(x, *bound)]
        del C.__init__
        assert C({args}) == x and len(calls) == 1
        C.__new__ = staticmethod(lambda c, *a, **k: ("new", c, a, k))
        assert C({args}) == type.__call__(C, {args}) == ("new", C, *bound)
        C.__new__ = own  # the interpreter no longer guards object.__new__(C); the allocation does
        for call in [lambda: object.__new__(C), lambda: C({args}),
                     lambda: type.__call__(C, {args})]:
            try:
                call()
            except TypeError as e:
                print(e)
            else:
                raise AssertionError("created")
    """  # run in a fresh interpreter that imports chronexa from where we do
    env = {**os.environ, "PYTHONPATH": IMPORT_PATH}
    r = subprocess.run([sys.executable, "-c", textwrap.dedent(script)], env=env,
                       capture_output=True, text=True, timeout=60)
    assert r.returncode == 0 and r.stderr == "", r.stderr
    assert r.stdout.splitlines() == [f"cannot create 'chronexa.{name}' instances",
        *[f"chronexa.{name}.__new__(chronexa.{name}) is not safe, use object.__new__()"] * 2]


def test_interpreter_restarts_in_one_process():
    binary = os.environ.get("CHRONEXA_EMBED_TEST")  # set by `make test`
    if not binary:
        pytest.skip("CHRONEXA_EMBED_TEST names no embedding program")
    # The program links its own libraries: a preloaded sanitizer runtime that the interpreter
    # running this suite needs could clash with the one linked into it.
    env = {k: v for k, v in os.environ.items() if k != "LD_PRELOAD"}
    env["PYTHONPATH"] = IMPORT_PATH
    r = subprocess.run([binary], env=env, capture_output=True, text=True, timeout=120)
    assert (r.returncode, r.stderr) == (0, "")
    assert r.stdout == "embed_test: 3 interpreter cycles passed\n"


def test_reimport_gives_identical_classes():
    old = sys.modules.pop("chronexa")
    try:
        new = importlib.import_module("chronexa")
        assert new is not old and new.__all__ == NAMES and new.__all__ is not old.__all__
        assert [getattr(new, n) for n in NAMES] == CLASSES and new.Weekday.SUNDAY is Weekday.SUNDAY
    finally:
        sys.modules["chronexa"] = old


def test_subinterpreter_import_fails():
    interpreters = pytest.importorskip("concurrent.interpreters")
    interp = interpreters.create()
    try:
        with pytest.raises(interpreters.ExecutionFailed) as info:
            interp.exec("import chronexa")
        assert info.value.excinfo.type.__name__ == "ImportError"
        assert "does not support loading in subinterpreters" in info.value.excinfo.msg
        interp.exec("import sys")  # the interpreter stays usable
    finally:
        interp.close()
    assert Date(2024, 1, 1).weekday() is Weekday.MONDAY  # and so does ours


UNDER_RLIMIT = """
import resource, chronexa
from chronexa import Date, Duration
kept, big = [None] * 4_000_000, Duration.nanoseconds(2**100)
try:
    with open("/proc/self/statm") as f:
        size = int(f.read().split()[0]) * resource.getpagesize()
except OSError:  # user-mode emulation (qemu) has no /proc/self of the emulated process
    raise SystemExit("no statm")
resource.setrlimit(resource.RLIMIT_AS, (size + 16 * 2**20, resource.RLIM_INFINITY))
n = 0
try:
    while True:  # the one allocation per round is the int total_nanos() returns
        kept[n] = big.total_nanos()
        n += 1
except MemoryError:
    kept.clear()
print(n > 10**5, Date(2024, 1, 1).add_days(1), big.total_nanos() == 2**100)
"""


# Under a real address-space limit: MemoryError, and the module keeps working afterwards.
def test_address_space_exhaustion_raises_memory_error():
    if "asan" in os.environ.get("LD_PRELOAD", ""):
        pytest.skip("AddressSanitizer reserves far more address space than the limit allows")
    env = {**os.environ, "PYTHONPATH": IMPORT_PATH}
    r = subprocess.run([sys.executable, "-c", UNDER_RLIMIT], env=env, capture_output=True,
                       text=True, timeout=120)
    if r.stderr == "no statm\n":
        pytest.skip("no /proc/self/statm to size the limit by (emulated)")
    assert (r.returncode, r.stderr, r.stdout) == (0, "", "True 2024-01-02 True\n")


LEGACY_SUBINTERPRETER = """
import _testcapi
first, lookups = {first!r}, 0
def sub():
    _testcapi.run_in_subinterp(
        "try:\\n import chronexa\\nexcept ImportError as e:\\n print('refused:', e)\\n"
        "else:\\n print('loaded')")
if first == "sub":
    sub()
import chronexa
if first == "main":
    sub()
for i in range(20000):  # lookups that met the other interpreter's cached types and crashed
    lookups += chronexa.Date.parse("2024-01-01").weekday() is chronexa.Weekday.MONDAY
print(lookups)
"""


# A legacy subinterpreter (Py_NewInterpreter, as embedding servers make them) is not held back by
# the module's declaration, which CPython checks only for isolated ones: the module refuses it.
@pytest.mark.parametrize("first", ["sub", "main"])
def test_legacy_subinterpreter_import_fails(first):
    pytest.importorskip("_testcapi")
    env = {**os.environ, "PYTHONPATH": IMPORT_PATH}
    r = subprocess.run([sys.executable, "-c", LEGACY_SUBINTERPRETER.format(first=first)], env=env,
                       capture_output=True, text=True, timeout=60)
    assert (r.returncode, r.stderr) == (0, "")
    assert r.stdout == ("refused: module chronexa does not support loading in subinterpreters\n"
                        "20000\n")


# The fault path of the test build (chronexa._fault), under the sanitizers too: an internal fault
# reaches Python as PanicException, which `except Exception` does not catch.
def test_internal_fault_raises_panic_exception(capfd):
    if not hasattr(chronexa, "_fault"):
        pytest.skip("a build without the test hooks (a wheel)")
    with pytest.raises(BaseException) as info:
        chronexa._fault("broken invariant")
    assert type(info.value).__module__ == "pyo3_runtime" and not isinstance(info.value, Exception)
    assert (type(info.value).__name__, info.value.args) == ("PanicException", ("broken invariant",))
    assert "faulted at" in capfd.readouterr().err
    assert Date(2024, 1, 1).weekday() is Weekday.MONDAY


# An allocation that fails is the interpreter's MemoryError, never a fault (make leaks sweeps
# every call and every allocation; these are the int and float results).
# (Results that fit one 30-bit digit come from the interpreter's free lists, without allocating.)
@pytest.mark.parametrize("value, member", [
    (Duration.seconds(10**18), "total_nanos"), (Time(1, 2, 3), "nanos_since_midnight"),
    (DateTime.parse("2024-01-01T00:00:00Z"), "unix_timestamp_nanos")])
def test_failed_allocation_raises_memory_error(value, member):
    testcapi = pytest.importorskip("_testcapi")
    bound = getattr(value, member)
    testcapi.set_nomemory(0, 1)  # the result's allocation fails
    try:
        bound()
    except MemoryError:
        failed = True
    else:
        failed = False
    finally:
        testcapi.remove_mem_hooks()
    assert failed


@pytest.mark.parametrize(("existing", "expected"), [
    (..., NAMES), (type("ListSubclass", (list,), {})(), NAMES), (["first"], ["first", *NAMES]),
    ("x", "'str' object is not an instance of 'list'"),
    (None, "'None' is not an instance of 'list'"),
])
def test_execution_into_a_fresh_module(existing, expected):
    module = importlib.util.module_from_spec(chronexa.__spec__)
    if existing is not ...:
        module.__all__ = existing
    try:
        chronexa.__loader__.exec_module(module)
    except TypeError as e:  # a present __all__ must be a list
        assert e.args == (expected,)
    else:  # added to, in place
        assert module.__all__ == expected and (existing is ... or module.__all__ is existing)
        assert [getattr(module, n) for n in NAMES] == CLASSES

