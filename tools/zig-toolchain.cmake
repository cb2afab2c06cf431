# SPDX-License-Identifier: MIT
# The manylinux wheel's compiler: zig's clang through tools/zig/ (selected by
# `make wheel`). The wrappers pin the target glibc; zig brings the matching
# headers and links its libc++ and compiler runtime statically.
set(CMAKE_CXX_COMPILER "${CMAKE_CURRENT_LIST_DIR}/zig/c++")
set(CMAKE_AR "${CMAKE_CURRENT_LIST_DIR}/zig/ar" CACHE FILEPATH "")
set(CMAKE_RANLIB "${CMAKE_CURRENT_LIST_DIR}/zig/ranlib" CACHE FILEPATH "")

# Speed, measured against the GCC development build:
# - zig reads -O3 as its ReleaseFast mode, which hands clang -O2 with frame
#   pointers and debug information; -Xclang -O3 restores -O3.
# - clang treats a call reached only after several early returns (the end of
#   each parser's fast path) as cold and will not inline even a six-line
#   constructor such as Date::from_ymd there, where GCC does.
# - ThinLTO inlines the core's text writers into the module (full LTO made
#   OffsetDateTime.parse 7% slower).
set(CMAKE_CXX_FLAGS_INIT "-fomit-frame-pointer -g0 -mllvm -inline-cold-callsite-threshold=250 -flto=thin")
set(CMAKE_CXX_FLAGS_RELEASE_INIT "-O3 -DNDEBUG -Xclang -O3")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-s")

# Debian's pyconfig.h includes <TRIPLE/python3.X/pyconfig.h> for the
# architecture being compiled for. zig does not search the host's multiarch
# directory, and must not (its glibc headers would be mixed with the host's),
# so the Python part alone is reached through a directory of links. The
# target's triple is CHRONEXA_ZIG_TARGET's (tools/zig/c++); for another
# architecture than the host's, CHRONEXA_PYCONFIG_ROOT names a directory that
# holds that architecture's TRIPLE/python3.X/pyconfig.h (the one header that
# differs between architectures).
set(_triple "$ENV{CHRONEXA_ZIG_TARGET}")
if(NOT _triple)
  set(_triple "x86_64-linux-gnu")
endif()
set(_pyconfig_root "$ENV{CHRONEXA_PYCONFIG_ROOT}")
if(NOT _pyconfig_root)
  set(_pyconfig_root "/usr/include")
endif()
set(_multiarch "${CMAKE_BINARY_DIR}/zig-include/${_triple}")
file(GLOB _python_dirs LIST_DIRECTORIES true "${_pyconfig_root}/${_triple}/python3*")
if(_python_dirs)
  file(MAKE_DIRECTORY "${_multiarch}")
  foreach(_dir IN LISTS _python_dirs)
    get_filename_component(_name "${_dir}" NAME)
    if(NOT EXISTS "${_multiarch}/${_name}")
      file(CREATE_LINK "${_dir}" "${_multiarch}/${_name}" SYMBOLIC)
    endif()
  endforeach()
  set(CMAKE_CXX_STANDARD_INCLUDE_DIRECTORIES "${CMAKE_BINARY_DIR}/zig-include")
endif()
