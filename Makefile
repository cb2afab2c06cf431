# SPDX-License-Identifier: MIT
#
#   make test    build everything, run the C++ core tests and the Python tests
#   make demo    build the module and run examples/quickstart.py
#   make bench   build the module and print chronexa beside its floor and peers
#   make bench-columns   chronexa_columns beside pyarrow, polars, DuckDB, pandas, numpy
#                        (ROWS="10000 10000000" for other row counts)
#   make bench-workloads   whole workloads at 10^4 to 10^6 items (about 2 minutes)
#   make docs    build the documentation site (MkDocs, strict) into $(BUILD)/docs
#   make wheel   build the manylinux wheels, x86_64 and aarch64 (zig, glibc 2.17), into dist/
#   make wheel-check   install dist/'s x86_64 wheel into a fresh venv, run the tests
#   make wheel-check-aarch64   the aarch64 wheel's tests in an arm64 root, emulated
#   make bench-wheel   the benchmarks against the installed wheel (ROWS="str parse")
#   make sdist   build the sdist into dist/ and check that it installs
#
# The project's own checks (DEVELOPERS.md describes them):
#   make sanitize       core tests and the whole Python suite with ASan + UBSan
#   make leaks          reference and memory-block leak loop, allocation-failure sweep
#                       (every call and import), under python3.14d
#   make fuzz           every libFuzzer target for FUZZ_SECONDS each (default 180)
#   make fuzz-coverage  line coverage of src/core reached by the fuzz corpus
#   make format-check   fail on any difference from .clang-format
#   make check-free-threaded   compile the module with Py_GIL_DISABLED (not linked)
#
# Without PYTHON, these run inside the development root (tools/devroot.sh),
# which is built on first use. With PYTHON=/path/to/python3.14 (an interpreter
# with its headers; cmake, a C++23 compiler and GoogleTest on the PATH) they
# use that interpreter directly and provision nothing.

PYTHON ?=
TARGETS := test demo bench bench-columns bench-workloads build package-check docs wheel wheel-x86_64 \
  wheel-aarch64 wheel-check bench-wheel sdist
CHECKS := sanitize leaks fuzz fuzz-coverage format-check check-free-threaded
FUZZ_SECONDS ?= 180

.PHONY: $(TARGETS) $(CHECKS) wheel-venv wheel-site-aarch64 wheel-check-aarch64 aarch64-include clean devroot

ifeq ($(strip $(PYTHON)),)

$(TARGETS):
	tools/devroot.sh run make --no-print-directory PYTHON=/usr/bin/python3 BUILD=build/devroot \
	  $(if $(ROWS),ROWS="$(ROWS)") $@

$(CHECKS):
	tools/devroot.sh run make --no-print-directory PYTHON=/usr/bin/python3 BUILD=build/devroot \
	  FUZZ_SECONDS=$(FUZZ_SECONDS) $@

devroot:
	tools/devroot.sh ensure

# The aarch64 wheel is compiled against the arm64 root's pyconfig.h, copied
# where the development root sees it.
wheel wheel-aarch64: aarch64-include
aarch64-include:
	tools/armroot.sh pyconfig build/devroot/aarch64-include

# The aarch64 wheel unpacked into a directory (the development root's pip),
# and the whole Python suite run against it by the arm64 root's CPython under
# qemu-aarch64 (about 90 s). The root holds pytest and hypothesis only: tests
# that need another package (mypy, numpy, pyarrow) skip themselves, and -rs
# names them. CI=1 fixes hypothesis's examples, so the verdict repeats.
AARCH64_SITE := $(CURDIR)/build/devroot/site-aarch64
wheel-check-aarch64: aarch64-include
	tools/devroot.sh run make --no-print-directory PYTHON=/usr/bin/python3 BUILD=build/devroot wheel-site-aarch64
	CI=1 tools/armroot.sh run env CHRONEXA_INSTALLED_IN=$(AARCH64_SITE) PYTHONPATH=$(AARCH64_SITE) \
	  python3 -c 'import platform, chronexa; print("wheel-check-aarch64:", platform.machine(), chronexa.__file__)'
	CI=1 tools/armroot.sh run env CHRONEXA_INSTALLED_IN=$(AARCH64_SITE) PYTHONPATH=$(AARCH64_SITE) \
	  python3 -m pytest -q -rs -p no:cacheprovider tests/python

else

BUILD ?= build/local
VERSION := $(shell sed -n 's/^version = "\(.*\)"/\1/p' pyproject.toml)
GENERATOR := $(shell command -v ninja >/dev/null 2>&1 && echo "-G Ninja")
MODULE_PATH := PYTHONPATH=$(CURDIR)/$(BUILD):$(CURDIR)/python$${PYTHONPATH:+:$$PYTHONPATH}

build:
	cmake -S . -B $(BUILD) $(GENERATOR) -DPython_EXECUTABLE=$(PYTHON) -DCHRONEXA_BENCH=$(BENCH) -DCHRONEXA_WERROR=ON $(CMAKE_ARGS) >/dev/null
	cmake --build $(BUILD) $(if $(ONLY),--target $(ONLY))

test: build
	$(BUILD)/core_tests --gtest_brief=1
	$(MODULE_PATH) CHRONEXA_EMBED_TEST=$(CURDIR)/$(BUILD)/embed_test MYPY_CACHE_DIR=$(CURDIR)/$(BUILD)/mypy-cache \
	  $(PYTHON) -m pytest -q -p no:cacheprovider tests/python

demo: ONLY := chronexa
demo: build
	$(MODULE_PATH) $(PYTHON) examples/quickstart.py

bench: BENCH := ON
bench: ONLY := chronexa core_bench chronexa_floor
bench: build
	$(BUILD)/core_bench --benchmark_min_time=0.2s 2>/dev/null || true
	$(MODULE_PATH) $(PYTHON) bench/bench.py

# One polars thread, as the other libraries use one.
bench-columns: ONLY := chronexa chronexa_columns
bench-columns: build
	$(MODULE_PATH) POLARS_MAX_THREADS=1 $(PYTHON) bench/columns.py $(ROWS)

bench-workloads: ONLY := chronexa
bench-workloads: build
	$(MODULE_PATH) $(PYTHON) bench/workloads.py

docs:
	$(PYTHON) -m mkdocs build --strict -d $(CURDIR)/$(BUILD)/docs
	$(PYTHON) tools/check_site.py $(BUILD)/docs

# Build the wheel as `pip install .` would, install it into a scratch
# directory and import the module from there.
package-check:
	rm -rf $(BUILD)/wheel $(BUILD)/site
	$(PYTHON) -m pip wheel -q --no-build-isolation --no-deps -w $(BUILD)/wheel .
	$(PYTHON) -m pip install -q --root-user-action=ignore --no-deps --no-index --target $(BUILD)/site $(BUILD)/wheel/*.whl
	cd / && PYTHONPATH=$(CURDIR)/$(BUILD)/site $(PYTHON) -c \
	  'import chronexa; assert chronexa.Date(2024, 1, 1).weekday() is chronexa.Weekday.MONDAY; print("package-check: wheel imports:", chronexa.__file__)'
	cd / && PYTHONPATH=$(CURDIR)/$(BUILD)/site $(PYTHON) -c \
	  'import importlib.metadata as m, chronexa_datetime, chronexa_adapters.json; v = m.version("chronexa"); assert v == "$(VERSION)", v; print("package-check: version", v)'
	cd / && PYTHONPATH=$(CURDIR)/$(BUILD)/site $(PYTHON) -c \
	  'import chronexa_columns as cc; assert cc.parse_dates(["2024-01-05"]).to_pylist()[0].day == 5; print("package-check: wheel imports:", cc.__file__)'
	cd / && PYTHONPATH=$(CURDIR)/$(BUILD)/site $(PYTHON) -m mypy.stubtest chronexa chronexa_columns
	cd / && PYTHONPATH=$(CURDIR)/$(BUILD)/site $(PYTHON) $(CURDIR)/tools/verify_types.py chronexa chronexa_datetime chronexa_adapters

# The checks. `sanitize` runs the `test` recipe in its own build directory
# with every target instrumented (by the default compiler, GCC, whose ASan
# runtime this finds); the interpreter itself is not, so that runtime is
# preloaded into it, with the system allocator (PYTHONMALLOC) so that ASan
# sees every allocation, and no leak report for the interpreter's own objects
# at exit. The C++ runtime is preloaded after it: the interpreter is a C
# program, and ASan's __cxa_throw interceptor resolves the real one when it
# loads, so without libstdc++ already in the process the module's first throw
# (an internal fault) dies in ASan's own CHECK instead of reaching Python.
SANITIZE_BUILD := $(BUILD)-sanitize
SANITIZE_RUNTIME ?= $(shell c++ -print-file-name=libasan.so) libstdc++.so.6

sanitize: export ASAN_OPTIONS := detect_leaks=0:strict_init_order=1:check_initialization_order=1
sanitize: export UBSAN_OPTIONS := print_stacktrace=1:halt_on_error=1
sanitize:
	$(MAKE) --no-print-directory test BUILD=$(SANITIZE_BUILD) CMAKE_ARGS=-DCHRONEXA_SANITIZE=ON \
	  'MODULE_PATH=LD_PRELOAD="$(SANITIZE_RUNTIME)" PYTHONMALLOC=malloc PYTHONPATH=$(CURDIR)/$(SANITIZE_BUILD):$(CURDIR)/python'

# The module built for Debian's debug interpreter; the build refuses release
# headers (CHRONEXA_DEBUG_PYTHON), and the check refuses a release interpreter.
DEBUG_PYTHON ?= /usr/bin/python3.14d
LEAKS_BUILD := $(BUILD)-debug

leaks:
	$(MAKE) --no-print-directory build BUILD=$(LEAKS_BUILD) PYTHON=$(DEBUG_PYTHON) ONLY=chronexa \
	  'CMAKE_ARGS=-DCHRONEXA_DEBUG_PYTHON=ON -DCHRONEXA_TESTS=OFF'
	PYTHONPATH=$(CURDIR)/$(LEAKS_BUILD) $(DEBUG_PYTHON) tests/leaks/leak_check.py
	PYTHONPATH=$(CURDIR)/$(LEAKS_BUILD) $(DEBUG_PYTHON) tests/leaks/nomemory.py

fuzz:
	fuzz/run.sh fuzz $(FUZZ_SECONDS)

fuzz-coverage:
	fuzz/run.sh coverage

FORMAT_FILES = $(shell find src tests bench fuzz examples -name '*.cpp' -o -name '*.hpp' | sort)

format-check:
	clang-format --dry-run -Werror $(FORMAT_FILES)

# The free-threaded interpreter's branches of the module, compiled and never
# run: no free-threaded CPython 3.14 is at hand, but its headers are the
# release ones with Py_GIL_DISABLED defined (pyconfig.h alone differs). Every
# unit is compiled with it, warnings as errors, and a probe proves that the
# module's own free-threaded configuration was the one compiled.
FT_SOURCES := $(filter-out src/extension/debug_build.cpp,$(wildcard src/extension/*.cpp)) \
  $(wildcard src/columns/*.cpp)
FT_FLAGS = -std=c++23 -O2 -fPIC -fvisibility=hidden -Wall -Wextra -Wpedantic -Wconversion -Wshadow -Werror \
  -DPy_GIL_DISABLED=1 -Isrc/core -Isrc/extension \
  -I$(shell $(PYTHON) -c 'import sysconfig; print(sysconfig.get_path("include"))')
check-free-threaded:
	rm -rf $(BUILD)/free-threaded && mkdir -p $(BUILD)/free-threaded
	printf '#include "instance.hpp"\nstatic_assert(!CHRONEXA_FREE_LISTS && sizeof(PyObject) > 16);\n' | \
	  $(CXX) $(FT_FLAGS) -x c++ -fsyntax-only -
	$(foreach f,$(FT_SOURCES),$(CXX) $(FT_FLAGS) -c $(f) -o $(BUILD)/free-threaded/$(subst /,_,$(f:.cpp=.o)) &&) true
	@echo "check-free-threaded: $(words $(FT_SOURCES)) units compiled with Py_GIL_DISABLED"

# The wheels users install: zig's clang (tools/zig-toolchain.cmake) against
# glibc 2.17 with libc++ linked in, for x86_64 and for aarch64; then
# auditwheel checks the symbols and gives each file its manylinux tag. PYTHON
# needs the ziglang and auditwheel packages (the root has them). The aarch64
# build needs that architecture's pyconfig.h under AARCH64_INCLUDE (from the
# host, `make wheel` copies it out of the arm64 root, tools/armroot.sh), and
# the builder's extension suffix and platform tag are set to aarch64's.
AARCH64_INCLUDE ?= $(BUILD)/aarch64-include
EXT_SUFFIX = $(shell $(PYTHON) -c 'import sysconfig; print(sysconfig.get_config_var("EXT_SUFFIX"))')
WHEEL_ENV_aarch64 = CHRONEXA_PYCONFIG_ROOT=$(abspath $(AARCH64_INCLUDE)) _PYTHON_HOST_PLATFORM=linux-aarch64 \
  SETUPTOOLS_EXT_SUFFIX=$(subst x86_64,aarch64,$(EXT_SUFFIX))

# auditwheel offers --plat names of the machine's own architecture only; for
# the other it reads the architecture from the wheel's name and, with auto,
# the glibc version from its symbols, and the recipe checks that 2.17 came out.
WHEEL_PLAT_x86_64 := manylinux_2_17_x86_64
WHEEL_PLAT_aarch64 := auto

wheel: wheel-x86_64 wheel-aarch64

wheel-x86_64 wheel-aarch64: wheel-%:
	$(if $(filter aarch64,$*),@test -f $(AARCH64_INCLUDE)/aarch64-linux-gnu/python3.14/pyconfig.h || \
	  { echo "wheel-aarch64: no aarch64 pyconfig.h under $(AARCH64_INCLUDE) (make wheel from the host copies it)" >&2; exit 1; })
	rm -rf $(BUILD)/wheel-raw-$* $(BUILD)/wheel-zig-$*
	rm -f dist/chronexa-*_$*.whl
	CHRONEXA_PYTHON=$(PYTHON) CHRONEXA_ZIG_TARGET=$*-linux-gnu $(WHEEL_ENV_$*) \
	  $(PYTHON) -m pip wheel -q --no-build-isolation --no-deps -w $(BUILD)/wheel-raw-$* \
	  -C cmake.define.CMAKE_TOOLCHAIN_FILE=$(CURDIR)/tools/zig-toolchain.cmake \
	  -C build-dir=$(BUILD)/wheel-zig-$* .
	$(PYTHON) -m auditwheel repair --plat $(WHEEL_PLAT_$*) --only-plat -w dist $(BUILD)/wheel-raw-$*/*.whl
	$(PYTHON) -m auditwheel show dist/chronexa-*_$*.whl
	@ls dist/chronexa-*manylinux_2_17_$*.whl >/dev/null

# The aarch64 wheel installed by pip into a directory, for the arm64 root.
wheel-site-aarch64: wheel-aarch64
	rm -rf $(BUILD)/site-aarch64
	$(PYTHON) -m pip install -q --disable-pip-version-check --root-user-action=ignore --no-index --no-deps \
	  --only-binary=:all: --platform manylinux_2_17_aarch64 --python-version 3.14 --implementation cp \
	  --target $(BUILD)/site-aarch64 dist/chronexa-*_aarch64.whl

# A fresh venv holding dist/'s wheel (pytest, hypothesis and the benchmark
# peers come from the root's site-packages, chronexa only from the wheel).
VENV := $(CURDIR)/$(BUILD)/venv
wheel-venv: wheel-x86_64
	rm -rf $(VENV)
	$(PYTHON) -m venv --system-site-packages $(VENV)
	@t0=$$(date +%s%N); \
	$(VENV)/bin/python -m pip install -q --disable-pip-version-check --root-user-action=ignore --no-index --no-deps dist/chronexa-*_x86_64.whl; \
	echo "wheel-venv: pip install of the wheel took $$(( ($$(date +%s%N) - t0) / 1000000 )) ms"
	cd / && $(VENV)/bin/python -c 'import sys, chronexa; assert chronexa.__file__.startswith(sys.prefix + "/"), chronexa.__file__; print("wheel-venv: chronexa from", chronexa.__file__)'

wheel-check: wheel-venv
	CHRONEXA_INSTALLED_IN=$(VENV) $(VENV)/bin/python -m pytest -q -p no:cacheprovider tests/python

# The floor extension comes from the development build, alone in its own
# directory, so that `import chronexa` still finds the wheel's copy.
bench-wheel: BENCH := ON
bench-wheel: ONLY := chronexa_floor
bench-wheel: wheel-venv build
	rm -rf $(BUILD)/floor-only && mkdir -p $(BUILD)/floor-only
	cp $(BUILD)/chronexa_floor*.so $(BUILD)/floor-only/
	PYTHONPATH=$(CURDIR)/$(BUILD)/floor-only $(VENV)/bin/python bench/bench.py $(foreach r,$(ROWS),'$(r)')

# The sdist, and a check that pip builds and installs it (system compiler).
sdist:
	rm -rf $(BUILD)/sdist-site
	rm -f dist/chronexa-*.tar.gz
	$(PYTHON) -c 'from scikit_build_core.build import build_sdist; print("sdist: dist/" + build_sdist("dist"))'
	$(PYTHON) -m pip install -q --root-user-action=ignore --no-build-isolation --no-deps --no-index \
	  --target $(BUILD)/sdist-site dist/chronexa-*.tar.gz
	cd / && PYTHONPATH=$(CURDIR)/$(BUILD)/sdist-site $(PYTHON) -c \
	  'import chronexa; assert chronexa.Date(2024, 1, 1).weekday() is chronexa.Weekday.MONDAY; print("sdist: installed and imports:", chronexa.__file__)'

endif

BENCH ?= OFF

clean:
	rm -rf build
