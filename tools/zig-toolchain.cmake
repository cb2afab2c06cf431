# SPDX-License-Identifier: MIT
# The manylinux wheel's compiler: zig's clang through tools/zig/ (selected by
# `make wheel`). The wrappers pin the target glibc; zig brings the matching
# headers and links its libc++ and compiler runtime statically.
set(CMAKE_CXX_COMPILER "${CMAKE_CURRENT_LIST_DIR}/zig/c++")
set(CMAKE_AR "${CMAKE_CURRENT_LIST_DIR}/zig/ar" CACHE FILEPATH "")
set(CMAKE_RANLIB "${CMAKE_CURRENT_LIST_DIR}/zig/ranlib" CACHE FILEPATH "")

# zig reads -O3 as its ReleaseFast mode, which hands clang -O2 and keeps frame
# pointers and debug information; -Xclang -O3 restores the optimisation level
# the development build uses.
set(CMAKE_CXX_FLAGS_INIT "-fomit-frame-pointer -g0")
set(CMAKE_CXX_FLAGS_RELEASE_INIT "-O3 -DNDEBUG -Xclang -O3")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-s")

# Debian's pyconfig.h includes <x86_64-linux-gnu/python3.X/pyconfig.h>. zig
# does not search the host's multiarch directory, and must not (its glibc
# headers would be mixed with the host's), so the Python part alone is
# reached through a directory of links.
set(_multiarch "${CMAKE_BINARY_DIR}/zig-include/x86_64-linux-gnu")
file(GLOB _python_dirs LIST_DIRECTORIES true "/usr/include/x86_64-linux-gnu/python3*")
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
