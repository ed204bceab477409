#!/usr/bin/env bash
# Installs what is missing, builds, and runs the main job: the sample site
# in tools/sample-site is served by a loopback nginx started here, mirrored
# for offline browsing with `vorlin get`, and the copy is summed up.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
tools/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"

home="$root/build/demo-home"
copy="$root/build/demo-copy"
state="$(mktemp -d /tmp/vorlin-demo-nginx-XXXXXX)"
trap 'tools/loopback-nginx.sh stop "$state"' EXIT
port=$(tools/loopback-nginx.sh start tools/sample-site "$state")
url="http://127.0.0.1:$port/"

# A fresh copy each time, so the figures below are those of one whole run.
rm -rf "$home" "$copy"
echo "== vorlin get --home $home $url $copy"
build/bin/vorlin get --home "$home" "$url" "$copy"

files=$(find "$copy" -type f | wc -l)
echo
echo "The offline copy is in $copy ($files files); open $copy/127.0.0.1+$port/index.html in a browser."
echo "The manual page of vorlin: man -l build/share/man/man1/vorlin.1"
