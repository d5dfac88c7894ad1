#!/bin/sh
# Builds the named targets in the Release tree the benchmark scripts take their
# programs from (build/release, clang), after the project's packages are in place.
#   bench/release-tree.sh TARGET...
set -eu
cd "$(dirname "$0")/.."
scripts/deps
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build build/release --target "$@" >/dev/null
