# SPDX-License-Identifier: MIT
import copy
import multiprocessing
import os
import pickle
import pickletools
import subprocess
import sys
from collections.abc import Iterator
from concurrent.futures import ProcessPoolExecutor

import pytest
from adapter_values import SAMPLES, WEEKDAYS, any_value
from hypothesis import given

from chronexa import Date, DateTime, Duration, OffsetDateTime, Time, UtcOffset, Weekday
from chronexa_adapters import pickle as chronexa_pickle


@pytest.fixture
def registered() -> Iterator[None]:
    chronexa_pickle.register()
    yield
    chronexa_pickle.unregister()


def test_refused_without_registration() -> None:
    for value in SAMPLES:
        with pytest.raises(TypeError, match="cannot pickle"):
            pickle.dumps(value)
        with pytest.raises(TypeError):
            copy.deepcopy(value)


@pytest.mark.usefixtures("registered")
@pytest.mark.parametrize("protocol", range(pickle.HIGHEST_PROTOCOL + 1))
def test_every_protocol_round_trips(protocol: int) -> None:
    for value in SAMPLES:
        loaded = pickle.loads(pickle.dumps(value, protocol))
        assert type(loaded) is type(value) and loaded == value
        assert repr(loaded) == repr(value)
    for day in WEEKDAYS:
        assert pickle.loads(pickle.dumps(day, protocol)) is day


@pytest.mark.usefixtures("registered")
@given(any_value)
def test_any_value_round_trips(value: object) -> None:
    for loaded in (pickle.loads(pickle.dumps(value)), copy.copy(value), copy.deepcopy([value])[0]):
        assert type(loaded) is type(value) and repr(loaded) == repr(value)


# The documented form: each value names only chronexa's own callables.
STABLE_FORMS = [
    (Date(2024, 2, 29), "Date", None, (2024, 2, 29)),
    (Time(1, 2, 3, 4), "Time", None, (1, 2, 3, 4)),
    (DateTime.parse("1969-12-31T23:59:59.5Z"), "DateTime", "from_unix_timestamp", (-1, 500_000_000)),
    (Duration.nanoseconds(-(2**100)), "Duration", "nanoseconds", (-(2**100),)),
    (UtcOffset.from_seconds(-3661), "UtcOffset", "from_seconds", (-3661,)),
]


@pytest.mark.usefixtures("registered")
@pytest.mark.parametrize(("value", "cls", "method", "args"), STABLE_FORMS)
def test_stable_form(value: object, cls: str, method: str | None, args: tuple[int, ...]) -> None:
    func, got = _reduce(value)
    expected = getattr(sys.modules["chronexa"], cls)
    assert (func == getattr(expected, method) if method else func is expected)
    assert got == args
    ops = {op.name for op, _, _ in pickletools.genops(pickle.dumps(value, 0))}
    assert "GLOBAL" in ops  # by reference, not by value


def _reduce(value: object) -> tuple[object, tuple[object, ...]]:
    import copyreg
    return copyreg.dispatch_table[type(value)](value)  # type: ignore[return-value]


@pytest.mark.usefixtures("registered")
def test_offset_and_weekday_forms() -> None:
    odt = OffsetDateTime.parse("2024-01-02T03:04:05+05:30")
    assert _reduce(odt) == (OffsetDateTime.from_utc, (odt.utc, odt.offset))
    assert _reduce(Weekday.SUNDAY) == (getattr, (Weekday, "SUNDAY"))


LOAD_IN_FRESH_PROCESS = """
import pickle, sys
values = pickle.loads(sys.stdin.buffer.read())
assert "chronexa_adapters" not in sys.modules
print(repr(values))
"""


@pytest.mark.usefixtures("registered")
@pytest.mark.parametrize("protocol", [0, 2, 5])
def test_loading_needs_only_chronexa(protocol: int) -> None:
    data = pickle.dumps(SAMPLES, protocol)
    out = subprocess.run([sys.executable, "-c", LOAD_IN_FRESH_PROCESS], input=data,
                         capture_output=True, check=True, env=os.environ).stdout
    assert out.decode().strip() == repr(SAMPLES)


def _shift(args: tuple[DateTime, Duration]) -> DateTime:
    return args[0].add_duration(args[1])


JOBS = [(DateTime.parse("2024-01-02T03:04:05Z"), Duration.nanoseconds(n)) for n in (1, -(10**18), 10**12)]


@pytest.mark.usefixtures("registered")
@pytest.mark.parametrize("method", ["fork", "spawn"])
def test_multiprocessing(method: str) -> None:
    ctx = multiprocessing.get_context(method)
    # A spawned child starts afresh: it registers to send results back.
    with ctx.Pool(2, initializer=chronexa_pickle.register) as pool:
        assert pool.map(_shift, JOBS) == [_shift(job) for job in JOBS]
        assert pool.starmap(DateTime.add_duration, JOBS) == [_shift(job) for job in JOBS]


@pytest.mark.usefixtures("registered")
def test_process_pool_executor() -> None:
    ctx = multiprocessing.get_context("spawn")
    with ProcessPoolExecutor(2, mp_context=ctx, initializer=chronexa_pickle.register) as ex:
        assert list(ex.map(copy.copy, SAMPLES)) == SAMPLES
        assert ex.submit(max, [Date(2024, 1, 1), Date(-5, 1, 1)]).result() == Date(2024, 1, 1)


@pytest.mark.usefixtures("registered")
def test_dask_local_cluster() -> None:
    distributed = pytest.importorskip("distributed")
    with (distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                                   dashboard_address=None, silence_logs=40) as cluster,
          distributed.Client(cluster, timeout=60) as client):
        client.run(chronexa_pickle.register)
        futures = client.map(DateTime.add_duration, [j[0] for j in JOBS], [j[1] for j in JOBS])
        assert client.gather(futures, asynchronous=False) == [_shift(job) for job in JOBS]
        assert client.submit(copy.copy, SAMPLES, pure=False).result(timeout=60) == SAMPLES
