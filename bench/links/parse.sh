#!/usr/bin/env bash
# Prints how fast the HTML link parser reads pages fed in 8 KB blocks:
# generated pages of 5, 25 and 50 MB side by side (the time per byte must
# stay flat), a page of 100,000 new links and a 10 MB tag that never ends,
# and, when Debian's cppreference-doc-en-html is installed, every page of
# that site read into one project (dense markup: the cost per tag), without
# plugins and with the css plugin handed every tag and text, as in a run.
# The copies are written below $TMPDIR, /dev/shm when there is one.
# Usage: bench/links/parse.sh [build-dir]   (default: build)
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${1:-$root/build}"
bench="$build/bench/links/html_parser_bench"
if [ ! -x "$bench" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$build" -j2 --target html_parser_bench >/dev/null
fi

[ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && export TMPDIR=/dev/shm
run() { "$bench" --benchmark_filter="$1" --benchmark_format=csv 2>/dev/null | tail -n +2; }

echo "Generated pages (about 24 links per 4 KB, CPU time):"
printf '  %-8s %6s %10s %9s %9s %8s %9s\n' mode MB ms MB/s ns/byte links peak_MB
for mode in Offline Mirror; do
  run "BM_Parse$mode/" | awk -F, -v mode="$mode" '
    { gsub(/"/, ""); split($1, part, "/"); mb = part[2]; ms = $4;
      printf "  %-8s %6d %10.0f %9.1f %9.1f %8d %9.0f\n", mode, mb, ms, mb * 1000 / ms,
             ms * 1e6 / (mb * 1048576), $11, $13;
      if (first == 0) { first = ms / mb } last = ms / mb }
    END { printf "  %-8s time per MB at 50 MB / at 5 MB: %.2f (1.00 = linear)\n", mode, last / first }'
done

echo "Hostile pages:"
run "BM_ManyNewLinks/" | awk -F, '{ gsub(/"/, ""); split($1, part, "/");
  printf "  %7d new links: %8.0f ms, %.2f us per link, peak %0.f MB\n", part[2], $4,
         $4 * 1000 / part[2], $12 }'
run "BM_UnendedTag/" | awk -F, '{ gsub(/"/, ""); split($1, part, "/");
  printf "  %3d MB tag without \">\": %8.1f ms (%.0f MB/s)\n", part[2], $4, part[2] * 1000 / $4 }'
echo "Real site:"
run "BM_ParseRealSite" | awk -F, '{ gsub(/"/, "");
  if ($9 != "") { print "  skipped: " $10; next }
  split($1, part, "/"); hooks = part[2] == 1 ? "with the css plugin" : "without plugins";
  printf "  C++ reference, %d pages, %-19s: %8.0f ms CPU, %.1f MB/s, %.1f ns/byte\n", $12, hooks, $4, $6 / 1048576, $11 * 1e9 }'
