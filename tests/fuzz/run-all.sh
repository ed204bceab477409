#!/usr/bin/env bash
# Builds every fuzz target as a libFuzzer program with clang (the libraries
# instrumented for coverage too) and runs each in turn for a while over a
# copy of its seed corpus, then prints its executions. Crashes land in
# build-fuzz/ as crash-* files: add each to the target's corpus once fixed,
# where the normal build's replay tests keep it.
# Usage: tests/fuzz/run-all.sh [seconds-per-target]
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
seconds="${1:-60}"
build="$root/build-fuzz"
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORLIN_FUZZ=ON \
  -DVORLIN_TESTS=ON -DVORLIN_BENCH=OFF -DVORLIN_DESKTOP=OFF >/dev/null
targets="html_parser_fuzzer:links/corpus/html javascript_parser_fuzzer:links/corpus/js net_http_fuzzer:net/corpus
plugins_pak_fuzzer:plugins/corpus/pak plugins_css_fuzzer:plugins/corpus/css project_file_fuzzer:project/corpus/project
link_data_fuzzer:project/corpus/links password_list_fuzzer:project/corpus/passwords mask_fuzzer:rules/corpus/mask
rules_file_fuzzer:rules/corpus/rules"
names=""
for t in $targets; do names="$names ${t%%:*}"; done
# shellcheck disable=SC2086
cmake --build "$build" -j2 --target $names >/dev/null
cd "$build"
for t in $targets; do
  name="${t%%:*}" seeds="$root/tests/fuzz/${t#*:}"
  program="$(find "$build/tests/fuzz" -name "$name" -type f -perm -u+x | head -1)"
  work="$build/corpus-$name"
  mkdir -p "$work"
  if "$program" -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=2048 -print_final_stats=1 \
       "$work" "$seeds" >"$build/$name.log" 2>&1; then
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$build/$name.log" | grep -o '[0-9]*$')
    echo "$name: $runs executions in $seconds s, no failure"
  else
    echo "$name: FAILED, see $build/$name.log"; tail -30 "$build/$name.log"
  fi
done
