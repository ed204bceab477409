#!/usr/bin/env bash
# The scheduler's cost per claimed link at 10,000, 100,000 and 1,000,000
# links (a simulated crawl, no network). Prints nanoseconds per link; the
# figure must not grow much with the size of the site.
# Usage: bench/engine/claims.sh [BUILD_DIR] (default: build).
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${1:-$root/build}"
bench="$build/bench/engine/claim_bench"
[ -x "$bench" ] || { echo "missing $bench: build first (cmake --build $build)"; exit 1; }
"$bench" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true --benchmark_format=csv 2>/dev/null |
  awk -F, '/_median/ {
    split($1, name, "/"); gsub(/"/, "", name[1]); n = name[2] + 0
    # real time is in ms per iteration of n links
    t[name[1], n] = $3 * 1e6 / n; sizes[n] = 1
  }
  END {
    printf "%9s %18s %18s %18s\n", "links", "crawl ns/link", "list only ns/link", "scheduler ns/link"
    for (n = 10000; n <= 1000000; n *= 10)
      if (n in sizes)
        printf "%9d %18.1f %18.1f %18.1f\n", n, t["BM_CrawlClaims", n], t["BM_CrawlListOnly", n],
               t["BM_CrawlClaims", n] - t["BM_CrawlListOnly", n]
  }'
