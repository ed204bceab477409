#!/usr/bin/env bash
# Imports 5,000 and 49,000 bookmarks (the most a menu takes is 50,000) and
# prints the time into the lists and into the Qt menus, and the memory.
# Usage: bench/app/run_bookmark_bench.sh [build-dir]
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${1:-$root/build}"
bin="$build/bench/app/bookmark_import_bench"
[ -x "$bin" ] || { echo "build $bin first (cmake --build $build --target bookmark_import_bench)" >&2; exit 1; }
"$bin" 5000
"$bin" 49000
