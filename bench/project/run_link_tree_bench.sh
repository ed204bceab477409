#!/usr/bin/env bash
# Runs the link-list benchmark at 100k and 1M links, each size in a process
# of its own so that its peak memory is its own, and prints per phase the
# CPU times, the 1M/100k ratio (10 is linear; n log n gives about 12) and the
# memory per link. CPU time, not wall time, and the best of REPEATS runs
# (default 3): the machine is shared.
# Usage: [REPEATS=n] bench/project/run_link_tree_bench.sh [build-dir]
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${1:-$root/build}"
bin="$build/bench/project/link_tree_bench"
[ -x "$bin" ] || { echo "build $bin first (cmake --build $build)" >&2; exit 1; }

repeats="${REPEATS:-3}"

# size -> lines "phase,cpu_ms,bytes_per_link,peak_rss_per_link,file_bytes_per_link":
# the fastest repetition's time, the largest memory figures (later
# repetitions reuse the memory the first one freed).
run() {
  "$bin" --benchmark_filter="/$1/" --benchmark_repetitions="$repeats" --benchmark_format=csv 2>/dev/null |
    awk -F, -v OFS=, '
      NR == 1 { for (i = 1; i <= NF; i++) { n = $i; gsub(/"/, "", n); col[n] = i }; next }
      $1 ~ /_(mean|median|stddev|cv)"?$/ { next }
      { name = $1; gsub(/"/, "", name); sub(/\/.*/, "", name); sub(/^BM_/, "", name)
        if (!(name in best)) { order[++count] = name; best[name] = $col["cpu_time"] }
        if ($col["cpu_time"] < best[name]) best[name] = $col["cpu_time"]
        if ($col["bytes_per_link"] > held[name]) held[name] = $col["bytes_per_link"]
        if ($col["peak_rss_per_link"] > peak[name]) peak[name] = $col["peak_rss_per_link"]
        file[name] = $col["file_bytes_per_link"] }
      END { for (i = 1; i <= count; i++) { n = order[i]; print n, best[n], held[n], peak[n], file[n] } }'
}

small="$(run 100000)"
large="$(run 1000000)"
printf "%-20s %12s %12s %8s\n" phase "100k cpu ms" "1M cpu ms" "1M/100k"
paste -d, <(echo "$small") <(echo "$large") |
  awk -F, '{ printf "%-20s %12.1f %12.1f %8.2f\n", $1, $2, $7, ($2 > 0 ? $7 / $2 : 0) }'
for size in 100k 1M; do
  data="$small"; [ "$size" = 1M ] && data="$large"
  echo "$data" | awk -F, -v size="$size" '
    $1 == "Crawl" { held = $3 }
    { if ($4 > peak) peak = $4; if ($5 > 0) file = $5 }
    END { printf "%s links: %.0f bytes per link held by the list, %.0f bytes per link peak RSS, %.1f bytes per link in the data file\n", size, held, peak, file }'
done
