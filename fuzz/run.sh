#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
#
# The libFuzzer targets of the calendar core (see `make fuzz`).
#
#   fuzz/run.sh fuzz SECONDS [TARGET...]   build with ASan + UBSan, fuzz each target
#   fuzz/run.sh coverage                  line coverage of src/core reached by the seeds
#   fuzz/run.sh merge [TARGET...]          fold what fuzzing found into the seeds, minimised
#
# The seed corpus is one committed archive, fuzz/corpus.tar.gz, holding a
# folder per target (a thousand small files would otherwise dominate the
# tree); it is unpacked into build/fuzz/seeds/. Each target starts from its
# seeds and keeps what it finds in build/fuzz/corpus/<target>; a failing input is saved
# as build/fuzz/crash-* and the run fails. Needs clang with the libFuzzer and
# sanitizer runtimes and, for coverage, llvm-profdata and llvm-cov.
set -euo pipefail
cd "$(dirname "$0")/.."

CXX=${FUZZ_CXX:-clang++}
out=build/fuzz
all=(date_parse time_parse date_time_parse rfc3339_parse arithmetic columns_parse)
mode=${1:?usage: fuzz/run.sh fuzz SECONDS | coverage | merge [TARGET...]}
shift
if [ "$mode" = fuzz ]; then
  seconds=${1:?seconds}
  shift
fi
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=("${all[@]}")
# The column kernels are linked into every target (columns_parse uses them).
core=(src/core/*.cpp src/columns/kernels.cpp)
flags=(-std=c++23 -O1 -g -fno-omit-frame-pointer -Isrc/core -Isrc/columns -Wall -Wextra)
archive=fuzz/corpus.tar.gz
seeds=$out/seeds

# Unpack the archive when it is newer than the unpacked seeds.
unpack() {
  if [ ! -f "$seeds/.unpacked" ] || [ "$archive" -nt "$seeds/.unpacked" ]; then
    rm -rf "$seeds"
    mkdir -p "$seeds"
    tar -xzf "$archive" -C "$seeds"
    touch "$seeds/.unpacked"
  fi
}

# Repack the seeds reproducibly: sorted names, no owners or times.
pack() {
  tar --sort=name --mtime=@0 --owner=0 --group=0 --numeric-owner -C "$seeds" \
    --exclude=.unpacked -cf - "${all[@]}" | gzip -n -9 >"$archive"
  touch "$seeds/.unpacked"
}
unpack

# build KIND TARGET: build/fuzz/KIND/TARGET, rebuilt when any source is newer.
build() {
  local kind=$1 t=$2 bin=$out/$1/$2
  mkdir -p "$out/$kind"
  if [ ! -x "$bin" ] || [ -n "$(find fuzz src/core src/columns -newer "$bin" -name '*.[ch]pp' | head -n 1)" ]; then
    case $kind in
      asan) "$CXX" "${flags[@]}" -fsanitize=fuzzer,address,undefined \
              -fno-sanitize-recover=undefined "fuzz/$t.cpp" "${core[@]}" -o "$bin" ;;
    esac
  fi
}

case $mode in
  fuzz)
    for t in "${targets[@]}"; do build asan "$t"; done
    for t in "${targets[@]}"; do
      mkdir -p "$out/corpus/$t" "$seeds/$t"
      log=$out/$t.log
      if ! ASAN_OPTIONS=detect_leaks=1 "$out/asan/$t" -max_total_time="$seconds" \
          -print_final_stats=1 -artifact_prefix="$out/crash-$t-" -timeout=10 \
          "$out/corpus/$t" "$seeds/$t" >"$log" 2>&1; then
        tail -n 40 "$log"
        echo "fuzz: $t FAILED (log: $log)" >&2
        exit 1
      fi
      runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
      cov=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1)
      echo "fuzz: $t: $runs executions in ${seconds}s, $cov edges, corpus $(ls "$out/corpus/$t" | wc -l) new + $(ls "$seeds/$t" | wc -l) seeds"
    done
    ;;
  merge)
    for t in "${targets[@]}"; do
      build asan "$t"
      mkdir -p "$out/corpus/$t" "$out/merged/$t"
      rm -f "$out/merged/$t"/*
      "$out/asan/$t" -merge=1 "$out/merged/$t" "$seeds/$t" "$out/corpus/$t" >/dev/null 2>&1
      rm -f "$seeds/$t"/*
      cp "$out/merged/$t"/* "$seeds/$t"/
      echo "merge: $t: $(ls "$seeds/$t" | wc -l) inputs"
    done
    pack
    ;;
  coverage)
    # One binary holding every target (entry points renamed), so that each
    # core function has one profile.
    rm -rf "$out/cov" "$out/coverage"
    mkdir -p "$out/cov"
    cov=(-fprofile-instr-generate -fcoverage-mapping)
    runs=()
    for t in "${all[@]}"; do
      "$CXX" "${flags[@]}" "${cov[@]}" -DLLVMFuzzerTestOneInput="fuzz_$t" -c "fuzz/$t.cpp" \
        -o "$out/cov/$t.o"
      runs+=("$t=$seeds/$t")
    done
    "$CXX" "${flags[@]}" "${cov[@]}" fuzz/coverage_main.cpp "$out"/cov/*.o \
      "${core[@]}" -o "$out/cov/coverage_main"
    LLVM_PROFILE_FILE="$out/cov/corpus.profraw" "$out/cov/coverage_main" "${runs[@]}" 2>/dev/null
    llvm-profdata merge -sparse "$out/cov/corpus.profraw" -o "$out/cov/corpus.profdata"
    llvm-cov report "$out/cov/coverage_main" -instr-profile="$out/cov/corpus.profdata" \
      -show-region-summary=false -show-branch-summary=false src/core
    llvm-cov show "$out/cov/coverage_main" -instr-profile="$out/cov/corpus.profdata" \
      -format=html -output-dir="$out/coverage" src/core
    echo "coverage: per-line report in $out/coverage/index.html"
    ;;
  *)
    echo "fuzz/run.sh: unknown mode $mode" >&2
    exit 2
    ;;
esac
