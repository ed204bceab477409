#!/usr/bin/env bash
# Mirrors one generated site with vorlin and with three peers, side by side
# in one invocation, and prints what each cost:
#   vorlin get -c 8 (offline browsing, whole server, no depth limit)
#   wget2 -r -l inf -np -p --max-threads=8
#   httrack -c8 -%! -%c0 -A0 (without -%! and -A0 it throttles itself)
#   wget -r -l inf -np -p
# The site (bench/mirror/SiteGenerator.cpp) has N pages, each linking 10
# pages and 5 shared images of 2-50 KB, and four 1 MB files. nginx serves it
# from a free 127.0.0.1 port (tools/loopback-nginx.sh) and is stopped at the
# end. Every run
# writes into a fresh directory; afterwards the script counts which site
# files are missing or shorter than served (pages excepted, as a tool may
# rewrite their links).
# Figures per tool: wall time and user+sys CPU time (best of K runs), the
# CPU time nginx spent serving it (best of K), peak
# RSS (highest of K), files in the mirrored tree, CPU ms per link (each site
# file is one link), and
# the ratio peer/vorlin for wall and CPU time.
# Last, the protocol's floor: ApacheBench fetching one page as many times as
# the site has files, with a new connection per request and with kept ones.
#
# With --site cppreference the site is Debian's C++ reference
# (cppreference-doc-en-html, about 4,500 files), served as installed and
# mirrored from en/index.html: a real site with style sheets (vorlin's css
# plugin takes part). Without the package that case is skipped. Its files
# are not listed in advance: "missing" and "short" then count against what
# wget2 fetched (when wget2 ran).
# With --keep-alive vorlin runs with persistent connections (its
# --keep-alive option) and nginx keeps connections as usual.
#
# Usage: bench/mirror.sh [--pages N] [--site generated|cppreference]
#                        [--only TOOL[,TOOL...]] [--repeat K]
#                        [--keep-alive] [--build DIR] [--keep]
#   TOOL is vorlin, wget2, httrack or wget (the default: all four), or
#   vorlin-bare: vorlin run from a copy of the program without the plugins
#   folder beside it, which shows what the default plugins cost.
#   --keep leaves the work directory.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build"
pages=2000
only="vorlin,wget2,httrack,wget"
repeat=1
keep=0
site=generated
keep_alive=0
cppreference_root=/usr/share/cppreference/doc/html

usage() { sed -n '/^# Usage:/,/^#   --keep/p' "$0" | sed 's/^# \{0,1\}//'; exit 2; }
while [ $# -gt 0 ]; do
  case "$1" in
    --pages) pages="${2:-}"; shift 2 ;;
    --site) site="${2:-}"; shift 2 ;;
    --keep-alive) keep_alive=1; shift ;;
    --only) only="${2:-}"; shift 2 ;;
    --repeat) repeat="${2:-}"; shift 2 ;;
    --build) build="${2:-}"; shift 2 ;;
    --keep) keep=1; shift ;;
    -h|--help) usage ;;
    *) echo "mirror.sh: unknown argument $1" >&2; usage ;;
  esac
done
[[ "$pages" =~ ^[1-9][0-9]*$ ]] || { echo "mirror.sh: --pages wants a positive number" >&2; exit 2; }
[[ "$repeat" =~ ^[1-9][0-9]*$ ]] || { echo "mirror.sh: --repeat wants a positive number" >&2; exit 2; }
case "$site" in
  generated) ;;
  cppreference)
    if [ ! -f "$cppreference_root/en/index.html" ]; then
      echo "mirror.sh: cppreference-doc-en-html is not installed: the cppreference case is skipped"
      exit 0
    fi ;;
  *) echo "mirror.sh: --site wants generated or cppreference" >&2; exit 2 ;;
esac
IFS=, read -r -a tools <<< "$only"
for tool in "${tools[@]}"; do
  case "$tool" in
    vorlin|vorlin-bare|wget2|httrack|wget) ;;
    *) echo "mirror.sh: unknown tool $tool (vorlin, vorlin-bare, wget2, httrack, wget)" >&2; exit 2 ;;
  esac
done

generator="$build/bench/mirror/mirror_site_generator"
vorlin="$build/bin/vorlin"
if [ ! -x "$generator" ] || [ ! -x "$vorlin" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$build" -j2 --target mirror_site_generator vorlin >/dev/null
fi
for tool in /usr/sbin/nginx /usr/bin/time python3 "${tools[@]}"; do
  [[ "$tool" = vorlin* ]] && tool="$vorlin"
  command -v "$tool" >/dev/null || { echo "mirror.sh: missing $tool: run tools/setup.sh" >&2; exit 1; }
done

# The mirrors go to memory when there is room, so that the figures are the
# tools', not the disk's.
base=/tmp
if [ -d /dev/shm ] && [ "$(df --output=avail -k /dev/shm | tail -1)" -gt $((pages * 40 * 5 + 2000000)) ]; then
  base=/dev/shm
fi
work="$(mktemp -d "$base/vorlin-mirror-XXXXXX")"
nginx_state=""
cleanup() {
  if [ -n "$nginx_state" ]; then "$root/tools/loopback-nginx.sh" stop "$nginx_state"; fi
  if [ "$keep" = 1 ]; then echo "work directory kept: $work"; else rm -rf "$work"; fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

mkdir -p "$work/logs" "$work/runs" "$work/bare"
cp "$vorlin" "$work/bare/vorlin"
chmod 755 "$work"
if [ "$site" = generated ]; then
  "$generator" --pages "$pages" "$work/www" "$work/site.lst" | sed 's/^/site: /'
  sort "$work/site.lst" > "$work/site.sorted"
  # Binary files must arrive whole; pages only need to be there.
  (cd "$work/www" && find . -type f ! -name '*.html' -printf '%P %s\n' | sort) > "$work/sizes.sorted"
  site_files="$(wc -l < "$work/site.lst")"
  chmod -R a+rX "$work/www"
  site_root_dir="$work/www"
  start_path=index.html
  marker_path=pages/d000/p00000.html
else
  site_root_dir="$cppreference_root"
  start_path=en/index.html
  marker_path=en/index.html
  : > "$work/site.sorted"
  : > "$work/sizes.sorted"
  site_files="$(find "$site_root_dir" -type f | wc -l)"
  echo "site: cppreference ($site_files files installed, not all of them linked)"
fi

port="$("$root/tools/loopback-nginx.sh" start "$site_root_dir" "$work/nginx" --workers 2 --bench)"
nginx_state="$work/nginx"

# CPU seconds nginx's workers have used so far: the server shares the
# machine's cores with the tool, and a new connection per request costs it
# more than kept ones.
server_cpu() {
  local master ticks=0 pid
  master="$(cat "$work/nginx/nginx.pid")"
  for pid in $(pgrep -P "$master"); do
    [ -r "/proc/$pid/stat" ] || continue
    ticks=$((ticks + $(awk '{print $14 + $15}' "/proc/$pid/stat")))
  done
  awk -v t="$ticks" -v hz="$(getconf CLK_TCK)" 'BEGIN { printf "%.2f", t / hz }'
}
url="http://127.0.0.1:$port/$start_path"

vorlin_extra=()
[ "$keep_alive" = 1 ] && vorlin_extra+=(--keep-alive)

# The command line that mirrors the site with tool $1 into the fresh
# directory $2, left in the array "command".
tool_command() {
  local tool="$1" out="$2"
  case "$tool" in
    vorlin)
      command=("$vorlin" get -q --home "$out.home" -c 8 -m offline -s server -l 0 --max-files 0
        --max-file-size 0 --max-total 0 "${vorlin_extra[@]}" "$url" "$out") ;;
    vorlin-bare)
      command=("$work/bare/vorlin" get -q --home "$out.home" -c 8 -m offline -s server -l 0
        --max-files 0 --max-file-size 0 --max-total 0 "${vorlin_extra[@]}" "$url" "$out") ;;
    wget2)
      command=(wget2 -q -r -l inf -np -p --max-threads=8 -nH -P "$out" "$url") ;;
    httrack)
      command=(httrack -c8 -%! -%c0 -A0 -q -%v0 -s0 -I0 -O "$out" "$url") ;;
    wget)
      command=(wget -q -r -l inf -np -p -nH -P "$out" "$url") ;;
  esac
}

# The directory of a mirrored tree that corresponds to the site's root: a
# tool may add a folder named after the host.
site_root() {
  local out="$1" marker
  marker="$(find "$out" -type f -path "*/$marker_path" -print -quit)"
  if [ -n "$marker" ]; then echo "${marker%/"$marker_path"}"; else echo "$out"; fi
}

declare -A best_wall best_cpu best_server peak_rss files_seen missing_worst short_worst status_seen
for tool in "${tools[@]}"; do
  best_wall[$tool]=""; best_cpu[$tool]=""; best_server[$tool]=""; peak_rss[$tool]=0
  files_seen[$tool]=0; missing_worst[$tool]=0; short_worst[$tool]=0; status_seen[$tool]=0
done

for ((round = 1; round <= repeat; round++)); do
  for tool in "${tools[@]}"; do
    out="$work/runs/$tool"
    rm -rf "$out" "$out.home"
    mkdir -p "$out.home"
    tool_command "$tool" "$out"
    server_before="$(server_cpu)"
    set +e
    /usr/bin/time -f "%e %U %S %M" -o "$work/time.txt" "${command[@]}" \
      > "$work/logs/$tool.$round.log" 2>&1 < /dev/null
    status=$?
    set -e
    server="$(awk -v a="$(server_cpu)" -v b="$server_before" 'BEGIN { printf "%.2f", a - b }')"
    read -r wall user sys rss < <(tail -1 "$work/time.txt")
    cpu="$(awk -v u="$user" -v s="$sys" 'BEGIN { printf "%.2f", u + s }')"
    tree="$(site_root "$out")"
    (cd "$tree" && find . -type f -printf '%P\n' | sort) > "$work/got.sorted"
    (cd "$tree" && find . -type f ! -name '*.html' -printf '%P %s\n' | sort) > "$work/got-sizes.sorted"
    files="$(wc -l < "$work/got.sorted")"
    # The real site's reference set is known once wget2 has run: each
    # tool's last tree is kept and compared at the end.
    cp "$work/got.sorted" "$work/got-$tool.sorted"
    cp "$work/got-sizes.sorted" "$work/got-sizes-$tool.sorted"
    missing="$(comm -23 "$work/site.sorted" "$work/got.sorted" | wc -l)"
    # Present but not the served size: a body that broke off.
    short="$(join "$work/sizes.sorted" "$work/got-sizes.sorted" | awk '$2 != $3' | wc -l)"
    printf '  round %d %-12s wall %7.2f s  cpu %7.2f s  server cpu %5.2f s  rss %7d KB  files %6d  missing %d  short %d  exit %d\n' \
      "$round" "$tool" "$wall" "$cpu" "$server" "$rss" "$files" "$missing" "$short" "$status"
    if [ -z "${best_wall[$tool]}" ] || awk -v a="$wall" -v b="${best_wall[$tool]}" 'BEGIN { exit !(a < b) }'; then
      best_wall[$tool]="$wall"
    fi
    if [ -z "${best_cpu[$tool]}" ] || awk -v a="$cpu" -v b="${best_cpu[$tool]}" 'BEGIN { exit !(a < b) }'; then
      best_cpu[$tool]="$cpu"
    fi
    if [ -z "${best_server[$tool]}" ] || awk -v a="$server" -v b="${best_server[$tool]}" 'BEGIN { exit !(a < b) }'; then
      best_server[$tool]="$server"
    fi
    [ "$rss" -gt "${peak_rss[$tool]}" ] && peak_rss[$tool]="$rss"
    [ "$missing" -gt "${missing_worst[$tool]}" ] && missing_worst[$tool]="$missing"
    [ "$short" -gt "${short_worst[$tool]}" ] && short_worst[$tool]="$short"
    [ "$status" -ne 0 ] && status_seen[$tool]="$status"
    files_seen[$tool]="$files"
    if [ "$missing" -gt 0 ]; then
      comm -23 "$work/site.sorted" "$work/got.sorted" | head -5 | sed "s/^/    missing: /"
    fi
    rm -rf "$out" "$out.home"
  done
done

if [ "$site" = cppreference ] && [ -f "$work/got-wget2.sorted" ]; then
  # Of wget2's files, the ones another tool lacks or holds shorter (pages
  # aside, which tools rewrite).
  for tool in "${tools[@]}"; do
    missing_worst[$tool]="$(comm -23 "$work/got-wget2.sorted" "$work/got-$tool.sorted" | wc -l)"
    short_worst[$tool]="$(join "$work/got-sizes-wget2.sorted" "$work/got-sizes-$tool.sorted" |
      awk '$2 != $3' | wc -l)"
    comm -23 "$work/got-wget2.sorted" "$work/got-$tool.sorted" | head -3 | sed "s/^/  $tool lacks: /"
  done
fi

echo
if [ "$site" = cppreference ]; then
  echo "== cppreference from en/index.html, best of $repeat (wall, CPU), peak RSS highest; missing/short: against wget2's files"
else
  echo "== $pages pages, $site_files site files, best of $repeat (wall, CPU), peak RSS highest"
fi
printf '%-12s %9s %9s %9s %10s %9s %7s %7s %5s %11s %11s\n' \
  tool wall_s cpu_s server_s rss_KB files missing short exit cpu_ms/link peer/vorlin
for tool in "${tools[@]}"; do
  ratio="-"
  if [ -n "${best_wall[vorlin]:-}" ] && [ "$tool" != vorlin ]; then
    ratio="$(awk -v pw="${best_wall[$tool]}" -v pc="${best_cpu[$tool]}" \
      -v vw="${best_wall[vorlin]}" -v vc="${best_cpu[vorlin]}" \
      'BEGIN { printf "%.2f/%.2f", pw / (vw > 0 ? vw : 0.01), pc / (vc > 0 ? vc : 0.01) }')"
  fi
  printf '%-12s %9.2f %9.2f %9.2f %10d %9d %7d %7d %5d %11.3f %11s\n' "$tool" "${best_wall[$tool]}" \
    "${best_cpu[$tool]}" "${best_server[$tool]}" "${peak_rss[$tool]}" "${files_seen[$tool]}" "${missing_worst[$tool]}" \
    "${short_worst[$tool]}" "${status_seen[$tool]}" \
    "$(awk -v c="${best_cpu[$tool]}" -v n="$site_files" 'BEGIN { print c * 1000 / n }')" "$ratio"
done
echo "(peer/vorlin: wall ratio/CPU ratio; above 1 means vorlin is faster)"

# The floor of the protocol: the same number of requests for one page, by
# ApacheBench with 8 at a time, which neither parses nor stores anything.
# Without -k every request has a connection of its own, as vorlin's HTTP/1.0
# requests have; with -k the connections are kept, as wget2 keeps them.
if command -v ab >/dev/null; then
  page_url="http://127.0.0.1:$port/$marker_path"
  echo
  echo "== the protocol's floor: ab, $site_files requests of one page, 8 at a time, best of $repeat"
  for keep in "" "-k"; do
    best=""
    for ((round = 1; round <= repeat; round++)); do
      /usr/bin/time -f "%e" -o "$work/time.txt" ab -q $keep -n "$site_files" -c 8 "$page_url" \
        > "$work/logs/ab.log" 2>&1 || true
      wall="$(tail -1 "$work/time.txt")"
      if [ -z "$best" ] || awk -v a="$wall" -v b="$best" 'BEGIN { exit !(a < b) }'; then best="$wall"; fi
    done
    label="new connection per request"
    [ -n "$keep" ] && label="connections kept (-k)"
    printf '  ab %-3s %-28s wall %6.2f s\n' "$keep" "$label" "$best"
  done
fi
