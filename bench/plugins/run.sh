#!/usr/bin/env bash
# Builds and runs the plugin benchmarks and prints their figures:
#   VotesThroughFilterPlugins/N  one before-request vote on a link with N filter plugins
#   ScanLargeStyleSheet          the style-sheet plugin's scan of a 1 MB sheet
#   ReplaceAndCompactArchiveEntry/N  one entry replaced in an archive of N 1 KB entries
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${BUILD_DIR:-$root/build}"
cmake -S "$root" -B "$build" >/dev/null
cmake --build "$build" -j2 --target plugin_bench >/dev/null
"$build/bench/plugins/plugin_bench" --benchmark_min_time=0.2 --benchmark_counters_tabular=true
