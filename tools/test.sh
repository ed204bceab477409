#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: first the normal
# build, then (unless VORLIN_NO_SANITIZE=1) the unit tests again under
# AddressSanitizer and UndefinedBehaviorSanitizer. Exits non-zero on any failure.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
tools/setup.sh
jobs="$(nproc)"

# Line tables are enough for profiles and stack traces, and cost a quarter
# less compile time than full debug information.
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" >/dev/null
cmake --build build -j"$jobs"
(cd build && ctest --output-on-failure -j"$jobs" --timeout 600)

if [ "${VORLIN_NO_SANITIZE:-0}" != "1" ]; then
  cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DVORLIN_SANITIZE=ON -DVORLIN_BENCH=OFF \
    -DVORLIN_E2E_TESTS=OFF >/dev/null
  # End-to-end runs are covered by the normal build; the sanitizer pass
  # builds and runs the unit tests, which exercise the same code on hostile input.
  cmake --build build-asan -j"$jobs"
  (cd build-asan && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
     UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
     ctest --output-on-failure -j"$jobs" --timeout 600 -LE e2e)
fi
echo "all tests passed"
