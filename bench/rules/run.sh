#!/usr/bin/env bash
# Builds and runs the rule engine benchmarks and prints their figures:
# mask matches per second, the rule walk per link and phase, rules-file load.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${VORLIN_BUILD:-$root/build}"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORLIN_BENCH=ON >/dev/null
cmake --build "$build" -j2 --target rules_bench >/dev/null
"$build/bench/rules/rules_bench" --benchmark_min_time=0.2 "$@"
