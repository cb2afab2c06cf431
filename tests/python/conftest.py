# SPDX-License-Identifier: MIT
import os

from hypothesis import settings

# No per-example deadline: a loaded machine must not turn a slow example into
# a failure. CI runs a fixed sequence of examples, so its verdict repeats;
# local runs explore new ones each time.
settings.register_profile("local", deadline=None, print_blob=True)
settings.register_profile("ci", deadline=None, print_blob=True, derandomize=True)
settings.load_profile("ci" if os.environ.get("CI") else "local")

# `make wheel-check` runs these tests against the installed wheel: make sure
# that is the copy imported.
if installed := os.environ.get("CHRONEXA_INSTALLED_IN"):
    import chronexa

    assert chronexa.__file__.startswith(installed + "/"), chronexa.__file__
