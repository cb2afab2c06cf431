// SPDX-License-Identifier: MIT
//
// Compiled into the module by CHRONEXA_DEBUG_PYTHON=ON (`make leaks`). Debian's
// python3.14d include folder links back to the release headers, so a build
// pointed at the debug interpreter can still pick up the release pyconfig.h;
// every instance would then look like a leaked reference. Refuse that build.
#include <Python.h>

#ifndef Py_REF_DEBUG
#error "CHRONEXA_DEBUG_PYTHON: the Python headers are not a debug build's (no Py_REF_DEBUG)"
#endif
#ifndef Py_DEBUG
#error "CHRONEXA_DEBUG_PYTHON: the Python headers are not a debug build's (no Py_DEBUG)"
#endif
