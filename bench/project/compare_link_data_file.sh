#!/usr/bin/env bash
# Runs two builds of link_data_file_bench side by side (a kept copy of an
# older build against the current one): per size each binary runs in a
# process of its own, so that its memory per link is its own, the two
# alternating ROUNDS times (default 3) so that both meet the same load of a
# shared machine. Prints per size the best wall and CPU times of save, load
# and the autosave stall, and the memory per link, of both.
# Usage: [ROUNDS=n] [SIZES="20000 100000"] bench/project/compare_link_data_file.sh OLD_BIN [NEW_BIN]
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
old="${1:?usage: compare_link_data_file.sh OLD_BIN [NEW_BIN]}"
new="${2:-$root/build/bench/project/link_data_file_bench}"
for bin in "$old" "$new"; do [ -x "$bin" ] || { echo "no program $bin" >&2; exit 1; }; done
rounds="${ROUNDS:-3}"
sizes="${SIZES:-20000 100000}"

# One line of figures per run: which,pages,links,save_s,save_cpu,load_s,load_cpu,stall_ms,stall_cpu,autosave_s,file,mem
runs="$(
  for size in $sizes; do
    for round in $(seq "$rounds"); do
      for which in old new; do
        bin="$old"; [ "$which" = new ] && bin="$new"
        "$bin" --sizes "$size" --repeat 1 | awk -v w="$which" 'NR == 2 { $1 = $1; gsub(/ /, ","); print w "," $0 }'
      done
    done
  done
)"

printf "%8s %8s | %15s | %15s | %15s | %15s | %13s\n" pages links "save_s old new" "save_cpu" "load_s" "stall_ms" "mem_B/link"
echo "$runs" | awk -F, '
  function low(k, v) { if (!(k in best) || v < best[k]) best[k] = v }
  { key = $2; if (!(key in seen)) { seen[key] = 1; order[++n] = key; links[key] = $3 }
    low($1 "s" key, $4); low($1 "c" key, $5); low($1 "l" key, $6); low($1 "t" key, $8)
    if ($12 > mem[$1 key]) mem[$1 key] = $12 }
  END { for (i = 1; i <= n; i++) { k = order[i]
    printf "%8s %8s | %7.3f %7.3f | %7.3f %7.3f | %7.3f %7.3f | %7.1f %7.1f | %6.0f %6.0f\n", k, links[k],
      best["olds" k], best["news" k], best["oldc" k], best["newc" k], best["oldl" k], best["newl" k],
      best["oldt" k], best["newt" k], mem["old" k], mem["new" k] } }'
