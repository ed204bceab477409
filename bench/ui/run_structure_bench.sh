#!/usr/bin/env bash
# Fills the desktop program's structure view with 100,000 links (and with
# 10,000 for the ratio) and prints time to fill, update time, the longest
# batch and the memory per link.
# Usage: bench/ui/run_structure_bench.sh [build-dir]
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${1:-$root/build}"
bin="$build/bench/ui/structure_fill_bench"
[ -x "$bin" ] || { echo "build $bin first (cmake --build $build --target structure_fill_bench)" >&2; exit 1; }
"$bin" 10000
"$bin" 100000
