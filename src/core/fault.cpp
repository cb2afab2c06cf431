// SPDX-License-Identifier: MIT
#include "fault.hpp"

#include <pthread.h>

#include <cstdio>

namespace chronexa {

void fault(const char* message, std::source_location where) {
  char name[64] = "<unnamed>";
  pthread_getname_np(pthread_self(), name, sizeof name);
  std::fprintf(stderr, "thread '%s' faulted at %s:%u:\n%s\n", name, where.file_name(),
               static_cast<unsigned>(where.line()), message);
  throw InternalFault{message};
}

}  // namespace chronexa
