#!/usr/bin/env bash
# Pictures of the desktop program at work: HTTPVorlin runs under Xvfb on a
# sample program directory made here, mirrors tools/sample-site (served by a
# loopback nginx), and saves PNGs of the main window during and after the
# download, the settings dialog, the statistics dialog, the bookmark menus
# with their settings pages and the debug log window. Prints the folder that holds them.
#   tools/screenshots.sh [OUTPUT_DIR]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
tools/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target HTTPVorlin >/dev/null

out="${1:-$root/build/screenshots}"
rm -rf "$out"
mkdir -p "$out"
work="$(mktemp -d /tmp/vorlin-screenshots-XXXXXX)"
state="$work/nginx"
trap 'tools/loopback-nginx.sh stop "$state"; rm -rf "$work"' EXIT
port=$(tools/loopback-nginx.sh start tools/sample-site "$state")

home="$work/home"
mkdir -p "$home"
# A made-up user with bookmarks in every browser the import reads.
browsers="$work/user"
tools/sample-bookmarks.sh "$browsers"
export HTTPVORLIN_SCREENSHOTS="$out"
export HTTPVORLIN_TOUR_URL="http://127.0.0.1:$port/"
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 0700 -p "$XDG_RUNTIME_DIR"
HOME="$browsers" xvfb-run -a -s "-screen 0 1280x800x24" timeout 120 build/bin/HTTPVorlin --home "$home" >"$work/tour.log" 2>&1 || {
  echo "HTTPVorlin did not finish its tour:" >&2
  cat "$work/tour.log" >&2
  exit 1
}
grep '^screenshot ' "$work/tour.log" || true
echo "Screenshots are in $out"
