// SPDX-License-Identifier: MIT
//
// Runs every fuzz target over its corpus in one process, for a line-coverage
// measurement of the core with a single profile: each target is compiled with
// its entry point renamed to fuzz_<target> (see run.sh).
//
//   coverage_main TARGET=DIR...
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#define TARGETS(X) \
  X(date_parse) X(time_parse) X(date_time_parse) X(rfc3339_parse) X(arithmetic) X(columns_parse)

#define DECLARE(t) extern "C" int fuzz_##t(const std::uint8_t*, std::size_t);
TARGETS(DECLARE)

namespace {

struct Target {
  std::string_view name;
  int (*run)(const std::uint8_t*, std::size_t);
};
#define ENTRY(t) Target{#t, fuzz_##t},
constexpr Target targets[] = {TARGETS(ENTRY)};

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    const std::size_t eq = arg.find('=');
    const Target* target = nullptr;
    for (const Target& t : targets)
      if (t.name == arg.substr(0, eq)) target = &t;
    if (eq == std::string_view::npos || target == nullptr) {
      std::fprintf(stderr, "usage: coverage_main TARGET=DIR...\n");
      return 2;
    }
    std::size_t count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(std::string(arg.substr(eq + 1)))) {
      std::ifstream in(entry.path(), std::ios::binary);
      const std::vector<char> bytes{std::istreambuf_iterator<char>(in), {}};
      target->run(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
      ++count;
    }
    std::printf("%s: %zu inputs\n", argv[i], count);
  }
  return 0;
}
