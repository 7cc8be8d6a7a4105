#!/usr/bin/env bash
# Line and branch coverage of the whole test suite, with clang's source-based
# coverage: builds the release configuration with instrumentation in its own
# directory, runs every CTest test there, merges the profiles of every process
# and prints the totals for the project's own sources (not its tests, ROMs or
# benchmarks) as two lines:
#   coverage: lines NN.NN%
#   coverage: branches NN.NN%
# The per-file report is left in <build>/coverage-report.txt.
#
# Usage: tools/coverage.sh [build directory] [extra cmake options...]
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$root/build/coverage}")
shift || true
jobs=${JOBS:-2}

# Counters are relocated at run time so that each process's counters live in
# its profile file from the start (%c below): processes that are killed or
# replace themselves with exec keep what they ran. (Links see the compile
# options too: the counter option is unused there.)
flags="-fprofile-instr-generate -fcoverage-mapping -mllvm -runtime-counter-relocation -Wno-unused-command-line-argument"
# The release build's options; fuzzing off (its instrumentation and the
# sanitizers it needs have no place here), whatever an older cache says.
# Files are compiled one by one and linked by the system's linker: in
# batches, a header's functions got other coverage hashes in different
# objects, and llvm-cov dropped their counts; in lld's links it found no
# mapping for the gdb stub's files at all.
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DBEVOREL_FUZZ=OFF -DBEVOREL_SANITIZE= \
  -DBEVOREL_BENCH=OFF -DBEVOREL_UNITY=OFF -DBEVOREL_LLD=OFF "-DCMAKE_C_FLAGS=$flags" "-DCMAKE_CXX_FLAGS=$flags" "$@"

# The build runs test programs to list their tests: those profiles are not the suite's.
LLVM_PROFILE_FILE="$build/discovery-profiles/%p-%m.profraw" cmake --build "$build" -j "$jobs"

profiles=$build/profiles
rm -rf "$profiles" "$build/discovery-profiles"
mkdir -p "$profiles"
# One file per process (%p) and per instrumented module (%m: a program and the
# libretro core it loads each write their own), kept up to date as it runs (%c).
# Child processes and programs that scripts start inherit the variable.
status=0
LLVM_PROFILE_FILE="$profiles/%p-%m%c.profraw" ctest --test-dir "$build" -j "$jobs" --output-on-failure -LE "package|web" || status=$?

llvm-profdata merge -sparse -o "$build/coverage.profdata" "$profiles"
rm -rf "$profiles"  # gigabytes; the merged profile holds what they said

# Every instrumented program and shared object of the build.
objects=()
while IFS= read -r file; do
  if llvm-readelf -S "$file" 2>/dev/null | grep -q '__llvm_covmap'; then objects+=("-object=$file"); fi
done < <(find "$build" -type f \( -perm -u+x -o -name '*.so' \) -not -path '*/CMakeFiles/*' | sort)
if [ ${#objects[@]} -eq 0 ]; then
  echo "coverage: no instrumented program in $build" >&2
  exit 1
fi

# The project's own sources: everything but the system's headers and the
# tests, ROM programs and benchmarks. (llvm-cov's directory arguments do not
# filter: the objects name sources relative to their build directory, as in
# BUILD/tests/tools/../../../../tests/tools/x.cpp, so the rest is ignored by
# the top-level folder after the last "..".)
ignore="^/usr/|(^$root|/\.\.)/(tests|roms|bench)/"
# The first object is named without -object: llvm-cov takes its first plain
# argument for one.
llvm-cov report -instr-profile="$build/coverage.profdata" -ignore-filename-regex="$ignore" \
  "${objects[0]#-object=}" "${objects[@]:1}" > "$build/coverage-report.txt"

if [ "$status" -ne 0 ]; then
  echo "some tests failed: the figures below count only what ran" >&2
fi
# TOTAL  regions missed cover  functions missed executed  lines missed cover  branches missed cover
awk '$1 == "TOTAL" { print "coverage: lines " $10; print "coverage: branches " $13 }' "$build/coverage-report.txt"
exit "$status"
