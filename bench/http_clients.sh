#!/usr/bin/env bash
# HTTP client benchmarks against nginx on 127.0.0.1 (tools/loopback-nginx.sh:
# a free port, its own temporary configuration, stopped at the end):
#   1. 32 clients on one thread fetch 50,000 small files (1-10 KB), one
#      connection per request, side by side with ApacheBench (ab -c 32).
#   2. One 1 GiB body through one client into a file, side by side with
#      curl -o: throughput and peak resident memory. The body goes to
#      /dev/shm when it is there, so the figure is the client's, not the disk's.
# The machine is shared: each figure is the best of ROUNDS runs (default 3),
# ours and theirs taking turns.
# Usage: bench/http_clients.sh [BUILD_DIR] (default: build). Prints figures.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
requests="${REQUESTS:-50000}"
rounds="${ROUNDS:-3}"
clients=32
files=1000
bench="$build/bench/net/http_clients_bench"
vorlin="$build/bin/vorlin"
for tool in "$bench" "$vorlin"; do
  [ -x "$tool" ] || { echo "missing $tool: build first (cmake --build $build)"; exit 1; }
done
for tool in nginx ab curl /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "missing $tool: run tools/setup.sh"; exit 1; }
done

work="$(mktemp -d /tmp/vorlin-bench-XXXXXX)"
nginx_state=""
cleanup() {
  if [ -n "$nginx_state" ]; then "$root/tools/loopback-nginx.sh" stop "$nginx_state"; fi
  rm -rf "$work" "$out"
}
trap cleanup EXIT

mkdir -p "$work/www/files" "$work/logs"
out="$work/out"
if [ -d /dev/shm ] && [ "$(df --output=avail -k /dev/shm | tail -1)" -gt 3000000 ]; then
  out="$(mktemp -d /dev/shm/vorlin-bench-XXXXXX)"
fi
mkdir -p "$out"
# Small files of 1 to 10 KB, spread evenly.
for ((i = 0; i < files; i++)); do
  head -c $((1024 + (i * 7919) % 9217)) /dev/urandom > "$work/www/files/f$i.bin"
done
head -c 5632 /dev/urandom > "$work/www/files/median.bin"
head -c 1024 /dev/urandom > "$work/www/tiny.bin"
truncate -s 1G "$work/www/big.bin"
# nginx workers run as an unprivileged user.
chmod 755 "$work"
chmod -R a+rX "$work/www"

port="$("$root/tools/loopback-nginx.sh" start "$work/www" "$work/nginx" --bench --no-keepalive)"
nginx_state="$work/nginx"
for _ in $(seq 50); do
  curl -s -o /dev/null "http://127.0.0.1:$port/tiny.bin" && break
  sleep 0.1
done

echo "== $requests requests, $clients connections at a time, one connection per request"
"$bench" 127.0.0.1 "$port" "$files" 2000 "$clients" >/dev/null  # warm-up
best_ours=0
best_ab=0
for ((r = 0; r < rounds; r++)); do
  ours="$("$bench" 127.0.0.1 "$port" "$files" "$requests" "$clients")"
  echo "  THttpCli x$clients: $ours"
  rate="$(echo "$ours" | awk '{print $NF}')"
  best_ours="$(awk -v a="$best_ours" -v b="$rate" 'BEGIN { print (b > a ? b : a) }')"
  ab_out="$(ab -q -n "$requests" -c "$clients" "http://127.0.0.1:$port/files/median.bin" 2>&1)"
  rate="$(echo "$ab_out" | awk '/Requests per second/ {print $4}')"
  echo "  ab -c $clients (5.5 KB file): rate $rate failed $(echo "$ab_out" | awk '/Failed requests/ {print $3}')"
  best_ab="$(awk -v a="$best_ab" -v b="$rate" 'BEGIN { print (b > a ? b : a) }')"
done
echo "best THttpCli: $best_ours requests/s"
echo "best ab:       $best_ab requests/s"
awk -v a="$best_ours" -v b="$best_ab" 'BEGIN { printf "ratio ours/ab: %.2f (target at least 0.90)\n", a / b }'

echo "== one 1 GiB body into a file ($out)"
timed() {  # prints "seconds maxrss_kb"
  /usr/bin/time -f "%e %M" -o "$work/time.txt" "$@" >/dev/null 2>"$work/cmd.err" || { cat "$work/cmd.err"; exit 1; }
  cat "$work/time.txt"
}
read -r tiny_s tiny_rss < <(timed "$vorlin" fetch -o "$out/tiny.bin" "http://127.0.0.1:$port/tiny.bin")
our_s=999999; our_rss=0; curl_s=999999; curl_rss=0
for ((r = 0; r < rounds; r++)); do
  read -r s rss < <(timed "$vorlin" fetch -o "$out/ours.bin" "http://127.0.0.1:$port/big.bin")
  rm -f "$out/ours.bin"
  echo "  vorlin fetch: $s s, peak RSS $rss KB"
  our_s="$(awk -v a="$our_s" -v b="$s" 'BEGIN { print (b < a ? b : a) }')"
  our_rss="$(awk -v a="$our_rss" -v b="$rss" 'BEGIN { print (b > a ? b : a) }')"
  read -r s rss < <(timed curl -s -o "$out/curl.bin" "http://127.0.0.1:$port/big.bin")
  rm -f "$out/curl.bin"
  echo "  curl -o:      $s s, peak RSS $rss KB"
  curl_s="$(awk -v a="$curl_s" -v b="$s" 'BEGIN { print (b < a ? b : a) }')"
  curl_rss="$(awk -v a="$curl_rss" -v b="$rss" 'BEGIN { print (b > a ? b : a) }')"
done
awk -v s="$our_s" -v r="$our_rss" -v t="$tiny_rss" 'BEGIN { printf "best vorlin fetch: %.2f s, %.0f MiB/s, peak RSS %d KB (%d KB for a 1 KB file)\n", s, 1024 / s, r, t }'
awk -v s="$curl_s" -v r="$curl_rss" 'BEGIN { printf "best curl -o:      %.2f s, %.0f MiB/s, peak RSS %d KB\n", s, 1024 / s, r }'
awk -v a="$our_s" -v b="$curl_s" 'BEGIN { printf "throughput ratio ours/curl: %.2f (target at least 0.90)\n", b / a }'
