#!/usr/bin/env bash
# Builds and runs the dialog benchmarks and prints their figures: the file
# selection's tree over 10,000 and 100,000 links (time, memory kept), ticking
# all of it, and one message and one WM_COPYDATA to another program's window.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${VORLIN_BUILD:-$root/build}"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORLIN_BENCH=ON >/dev/null
cmake --build "$build" -j2 --target dialogs_bench >/dev/null
QT_QPA_PLATFORM=offscreen "$build/bench/dialogs/dialogs_bench" --benchmark_min_time=0.2 "$@"
