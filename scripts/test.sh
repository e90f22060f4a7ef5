#!/usr/bin/env bash
# Sets up, builds and runs every test: once as a normal debug build and once under
# AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

cmake -S . -B build/debug -G Ninja -DCMAKE_BUILD_TYPE=Debug > /dev/null
cmake --build build/debug -j2
ctest --test-dir build/debug -j2 --output-on-failure

cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVURKARX_SANITIZE=ON > /dev/null
cmake --build build/asan -j2
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build/asan -j2 --output-on-failure
