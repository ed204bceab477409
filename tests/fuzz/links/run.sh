#!/usr/bin/env bash
# Builds the fuzz targets of links/ with clang (the libraries instrumented
# for coverage too) and runs each for a while over its seed corpus, then
# prints the executions. Usage: tests/fuzz/links/run.sh [seconds-per-target]
# Crashes land in build-fuzz/ as crash-* files: add them to corpus/ once fixed.
set -euo pipefail
root="$(cd "$(dirname "$0")/../../.." && pwd)"
seconds="${1:-60}"
build="$root/build-fuzz"
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVORLIN_FUZZ=ON -DVORLIN_TESTS=ON -DVORLIN_BENCH=OFF \
  -DCMAKE_C_FLAGS="-fsanitize=fuzzer-no-link,address,undefined" \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined" >/dev/null
cmake --build "$build" -j2 --target html_parser_fuzzer javascript_parser_fuzzer >/dev/null
cd "$build"
for target in html_parser_fuzzer:html javascript_parser_fuzzer:js; do
  name="${target%%:*}" corpus="$root/tests/fuzz/links/corpus/${target##*:}"
  work="$build/corpus-${target##*:}"
  mkdir -p "$work"
  "$build/tests/fuzz/links/$name" -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=2048 \
    -print_final_stats=1 "$work" "$corpus" 2>"$build/$name.log" || { tail -40 "$build/$name.log"; exit 1; }
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$build/$name.log" | grep -o '[0-9]*$')
  echo "$name: $runs executions in $seconds s, no failure"
done
