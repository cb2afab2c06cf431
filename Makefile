# SPDX-License-Identifier: MIT
#
#   make test    build everything, run the C++ core tests and the Python tests
#   make demo    build the module and run examples/quickstart.py
#   make bench   build the module and print chronexa beside its floor and peers
#   make bench-workloads   whole workloads at 10^4 to 10^6 items (about 2 minutes)
#
# Without PYTHON, these run inside the development root (tools/devroot.sh),
# which is built on first use. With PYTHON=/path/to/python3.14 (an interpreter
# with its headers; cmake, a C++23 compiler and GoogleTest on the PATH) they
# use that interpreter directly and provision nothing.

PYTHON ?=
TARGETS := test demo bench bench-workloads build package-check

.PHONY: $(TARGETS) clean devroot

ifeq ($(strip $(PYTHON)),)

$(TARGETS):
	tools/devroot.sh run make --no-print-directory PYTHON=/usr/bin/python3 BUILD=build/devroot $@

devroot:
	tools/devroot.sh ensure

else

BUILD ?= build/local
GENERATOR := $(shell command -v ninja >/dev/null 2>&1 && echo "-G Ninja")
MODULE_PATH := PYTHONPATH=$(CURDIR)/$(BUILD)$${PYTHONPATH:+:$$PYTHONPATH}

build:
	cmake -S . -B $(BUILD) $(GENERATOR) -DPython_EXECUTABLE=$(PYTHON) -DCHRONEXA_BENCH=$(BENCH) >/dev/null
	cmake --build $(BUILD) $(if $(ONLY),--target $(ONLY))

test: build
	$(BUILD)/core_tests --gtest_brief=1
	$(MODULE_PATH) $(PYTHON) -m pytest -q -p no:cacheprovider tests/python

demo: ONLY := chronexa
demo: build
	$(MODULE_PATH) $(PYTHON) examples/quickstart.py

bench: BENCH := ON
bench: ONLY := chronexa core_bench chronexa_floor
bench: build
	$(BUILD)/core_bench --benchmark_min_time=0.2s 2>/dev/null || true
	$(MODULE_PATH) $(PYTHON) bench/bench.py

bench-workloads: ONLY := chronexa
bench-workloads: build
	$(MODULE_PATH) $(PYTHON) bench/workloads.py

# Build the wheel as `pip install .` would, install it into a scratch
# directory and import the module from there.
package-check:
	rm -rf $(BUILD)/wheel $(BUILD)/site
	$(PYTHON) -m pip wheel -q --no-build-isolation --no-deps -w $(BUILD)/wheel .
	$(PYTHON) -m pip install -q --root-user-action=ignore --no-deps --no-index --target $(BUILD)/site $(BUILD)/wheel/*.whl
	cd / && PYTHONPATH=$(CURDIR)/$(BUILD)/site $(PYTHON) -c \
	  'import chronexa; assert chronexa.Date(2024, 1, 1).weekday() is chronexa.Weekday.MONDAY; print("package-check: wheel imports:", chronexa.__file__)'

endif

BENCH ?= OFF

clean:
	rm -rf build
