#!/usr/bin/env bash
# What an update of an unchanged copy prints and costs: mirrors a generated
# site (bench/mirror/SiteGenerator.cpp, N pages) with `vorlin get`, then runs
# the same `vorlin get` again, which finds the project of the address and
# updates it, and prints for that second run:
#   wall time, lines on standard output, the files the server answered "not
#   modified" (each one a line of its own before they were folded into the
#   summary), and the summary line itself.
# nginx serves the site from a free 127.0.0.1 port (tools/loopback-nginx.sh)
# and is stopped at the end.
#
# Usage: bench/update_output.sh [--pages N] [--build DIR]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build"
pages=700
while [ $# -gt 0 ]; do
  case "$1" in
    --pages) pages="${2:-}"; shift 2 ;;
    --build) build="${2:-}"; shift 2 ;;
    *) echo "update_output.sh: unknown argument $1 (--pages N, --build DIR)" >&2; exit 2 ;;
  esac
done
[[ "$pages" =~ ^[1-9][0-9]*$ ]] || { echo "update_output.sh: --pages wants a positive number" >&2; exit 2; }

generator="$build/bench/mirror/mirror_site_generator"
vorlin="$build/bin/vorlin"
if [ ! -x "$generator" ] || [ ! -x "$vorlin" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$build" -j2 --target mirror_site_generator vorlin >/dev/null
fi

work="$(mktemp -d /tmp/vorlin-update-XXXXXX)"
nginx_state=""
cleanup() {
  if [ -n "$nginx_state" ]; then "$root/tools/loopback-nginx.sh" stop "$nginx_state"; fi
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

"$generator" --pages "$pages" "$work/www" "$work/site.lst" >/dev/null
chmod 755 "$work"
chmod -R a+rX "$work/www"
port="$("$root/tools/loopback-nginx.sh" start "$work/www" "$work/nginx" --workers 2 --bench)"
nginx_state="$work/nginx"
get=("$vorlin" get --home "$work/home" -c 8 -s server "http://127.0.0.1:$port/index.html" "$work/copy")

"${get[@]}" >"$work/first.out" 2>"$work/first.err"
start=$(date +%s.%N)
"${get[@]}" >"$work/second.out" 2>"$work/second.err"
end=$(date +%s.%N)

echo "site: $(wc -l < "$work/site.lst") files, $pages pages"
echo "update wall time: $(awk -v s="$start" -v e="$end" 'BEGIN { printf "%.2f s", e - s }')"
echo "update output: $(wc -l < "$work/second.out") lines on standard output, $(wc -l < "$work/second.err") on standard error"
echo "update summary: $(grep -E '^(Done|Stopped): ' "$work/second.out")"
echo "projects made: $(find "$work/home/Projects" -name '*.prj' | wc -l)"
