# SPDX-License-Identifier: MIT
"""The module and its type objects: names, flags, documentation, refusals of
subclassing, weak references, attributes, pickling and copying; re-import and
subinterpreters."""
import copy
import gc
import importlib
import importlib.util
import inspect
import pickle
import sys
import weakref

import pytest

import chronexa
from chronexa import Date, Weekday

NAMES = ["Weekday", "Date", "Time", "Duration", "DateTime", "UtcOffset", "OffsetDateTime"]
CLASSES = [getattr(chronexa, n) for n in NAMES]
CONSTRUCTIBLE = {"Date", "Time", "DateTime"}
SIGNATURES = {"Date": "(year, month, day)", "Time": "(hour, minute, second, nanosecond=0)",
              "DateTime": "(date, time)"}

HEAPTYPE = 1 << 9
BASETYPE = 1 << 10
HAVE_GC = 1 << 14
IMMUTABLETYPE = 1 << 8
DISALLOW_INSTANTIATION = 1 << 7
MANAGED_DICT = 1 << 4
MANAGED_WEAKREF = 1 << 3

# Instances of the classes that can be made from here, one per class.
SAMPLES = [
    pytest.param(lambda: Weekday.MONDAY, id="Weekday"),
    pytest.param(lambda: Weekday.SUNDAY, id="Weekday.SUNDAY"),
    pytest.param(lambda: Date(2024, 1, 1), id="Date"),
    pytest.param(lambda: Date(2024, 1, 1).weekday(), id="Date.weekday"),
]


def test_module_attributes():
    assert chronexa.__all__ == NAMES
    assert type(chronexa.__all__) is list
    assert chronexa.__doc__ == "" and type(chronexa.__doc__) is str
    assert chronexa.__name__ == "chronexa"
    public = {k for k in vars(chronexa) if not k.startswith("_")}
    assert public == set(NAMES)
    assert "PanicException" not in vars(chronexa)


@pytest.mark.parametrize("cls", CLASSES, ids=NAMES)
def test_type_names(cls):
    name = cls.__name__
    assert name in NAMES
    assert cls.__qualname__ == name
    assert cls.__module__ == "chronexa"
    assert repr(cls) == f"<class 'chronexa.{name}'>"
    assert cls.__bases__ == (object,)


@pytest.mark.parametrize("cls", CLASSES, ids=NAMES)
def test_type_documentation(cls):
    if cls.__name__ in CONSTRUCTIBLE:
        assert cls.__doc__ == ""
        assert cls.__text_signature__ == SIGNATURES[cls.__name__]
        assert str(inspect.signature(cls)) == SIGNATURES[cls.__name__]
    else:
        assert cls.__doc__ is None


@pytest.mark.parametrize("cls", CLASSES, ids=NAMES)
def test_type_flags(cls):
    flags = cls.__flags__
    assert flags & HEAPTYPE
    assert not flags & (BASETYPE | HAVE_GC | IMMUTABLETYPE | MANAGED_DICT | MANAGED_WEAKREF)
    assert bool(flags & DISALLOW_INSTANTIATION) == (cls.__name__ not in CONSTRUCTIBLE)
    assert cls.__weakrefoffset__ == 0 and cls.__dictoffset__ == 0 and cls.__itemsize__ == 0
    assert "__dict__" not in vars(cls) and "__weakref__" not in vars(cls)


@pytest.mark.parametrize("cls", CLASSES, ids=NAMES)
def test_not_subclassable(cls):
    with pytest.raises(TypeError, match=f"type 'chronexa.{cls.__name__}' is not an acceptable base type"):
        type("Sub", (cls,), {})


@pytest.mark.parametrize("cls", [c for c in CLASSES if c.__name__ not in CONSTRUCTIBLE],
                         ids=[n for n in NAMES if n not in CONSTRUCTIBLE])
def test_not_instantiable(cls):
    message = f"^cannot create 'chronexa.{cls.__name__}' instances$"
    with pytest.raises(TypeError, match=message):
        cls()
    with pytest.raises(TypeError, match=message):
        cls(1, 2)


@pytest.mark.parametrize("cls", CLASSES, ids=NAMES)
def test_class_attributes_can_be_added(cls):
    cls.extra_attribute = 1
    try:
        assert cls.extra_attribute == 1
    finally:
        del cls.extra_attribute
    assert not hasattr(cls, "extra_attribute")


@pytest.mark.parametrize("make", SAMPLES)
def test_instances_are_closed(make):
    obj = make()
    assert not hasattr(obj, "__dict__")
    assert not gc.is_tracked(obj)
    with pytest.raises(TypeError, match="cannot create weak reference to"):
        weakref.ref(obj)
    with pytest.raises(AttributeError):
        obj.anything = 5
    with pytest.raises(AttributeError):
        del obj.anything


def test_properties_are_read_only():
    d = Date(2024, 1, 5)
    for name in ("year", "month", "day"):
        with pytest.raises(AttributeError, match=f"attribute '{name}' of 'chronexa.Date' objects is not writable"):
            setattr(d, name, 5)
        with pytest.raises(AttributeError):
            delattr(d, name)
    assert (d.year, d.month, d.day) == (2024, 1, 5)


# ---- no pickling or copying ----


@pytest.mark.parametrize("make", SAMPLES)
@pytest.mark.parametrize("protocol", range(pickle.HIGHEST_PROTOCOL + 1))
def test_pickling_refused(make, protocol):
    obj = make()
    message = f"^cannot pickle 'chronexa.{type(obj).__name__}' object$"
    with pytest.raises(TypeError, match=message):
        pickle.dumps(obj, protocol=protocol)
    with pytest.raises(TypeError, match=message):
        obj.__reduce_ex__(protocol)


@pytest.mark.parametrize("make", SAMPLES)
@pytest.mark.parametrize("copier", [copy.copy, copy.deepcopy])
def test_copying_refused(make, copier):
    obj = make()
    with pytest.raises(TypeError, match=f"^cannot pickle 'chronexa.{type(obj).__name__}' object$"):
        copier(obj)
    with pytest.raises(TypeError):
        copy.deepcopy([obj])  # also inside a container


@pytest.mark.parametrize("cls", CLASSES, ids=NAMES)
def test_every_class_refuses_reduction(cls):
    assert "__reduce_ex__" in vars(cls)


def test_classes_themselves_pickle_by_name():
    for cls in CLASSES:
        assert pickle.loads(pickle.dumps(cls)) is cls


# ---- re-import and subinterpreters ----


def test_reimport_gives_identical_classes():
    old = sys.modules.pop("chronexa")
    try:
        new = importlib.import_module("chronexa")
        assert new is not old
        assert new.__all__ == NAMES and new.__all__ is not old.__all__
        for name in NAMES:
            assert getattr(new, name) is getattr(old, name)
        for member in ("MONDAY", "SUNDAY"):
            assert getattr(new.Weekday, member) is getattr(old.Weekday, member)
        assert new.Date(2024, 1, 1) == old.Date(2024, 1, 1)
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
        # the interpreter stays usable
        interp.exec("import sys")
    finally:
        interp.close()
    assert Date(2024, 1, 1).weekday() is Weekday.MONDAY  # and so does ours


# ---- executing the module definition into fresh module objects ----


def execute_fresh(**attributes):
    spec = chronexa.__spec__
    module = importlib.util.module_from_spec(spec)
    for name, value in attributes.items():
        setattr(module, name, value)
    spec.loader.exec_module(module)
    return module


class ListSubclass(list):
    pass


@pytest.mark.parametrize(("existing", "expected"), [
    (ListSubclass(), NAMES),
    (["first"], ["first", *NAMES]),
])
def test_execution_appends_to_an_existing_list(existing, expected):
    module = execute_fresh(__all__=existing)
    assert module.__all__ is existing and existing == expected
    assert [getattr(module, n) for n in NAMES] == CLASSES


@pytest.mark.parametrize(("existing", "message"), [
    ("x", "'str' object is not an instance of 'list'"),
    ((), "'tuple' object is not an instance of 'list'"),
    (None, "'None' is not an instance of 'list'"),
])
def test_execution_refuses_a_non_list_all(existing, message):
    with pytest.raises(TypeError) as info:
        execute_fresh(__all__=existing)
    assert info.value.args == (message,)


def test_execution_into_a_fresh_module():
    module = execute_fresh()
    assert module is not chronexa and module.__all__ == NAMES
    assert [getattr(module, n) for n in NAMES] == CLASSES
