#!/usr/bin/env bash
# Mirrors a real documentation site served by a loopback nginx with one or
# more builds of `vorlin`, opens the offline copies from disk in headless
# Chromium and prints, side by side, what failed: references to missing
# files, failed loads, style sheets not applied, images not shown (see
# tools/browser_check.py). A check run by hand, not part of tools/test.sh.
#
#   tools/browser-check.sh [--site python|mkdocs|DIR] [--pages N] [--examples]
#                          [--keep DIR] VORLIN [VORLIN...]
#
#   --site     python: /usr/share/doc/python3.11/html (package python3.11-doc)
#              mkdocs: /usr/share/doc/mkdocs/html (package mkdocs-doc)
#              DIR:    any directory with an index.html
#   --pages N  pages opened in Chromium per copy (default 40; 0: walk only)
#   --examples print a few of each kind of failure (to standard error)
#   --keep DIR keep the copies below DIR (default: removed at the end)
# Each VORLIN is a `vorlin` binary (with its Plugins/ beside it), for
# instance build/bin/vorlin and the same of a build of main.
# The documentation packages are installed for the check by hand, e.g.
#   apt-get install --no-install-recommends python3.11-doc mkdocs-doc
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

site=python pages=40 keep="" examples=""
binaries=()
while [ $# -gt 0 ]; do
  case "$1" in
    --site) site=$2; shift 2 ;;
    --pages) pages=$2; shift 2 ;;
    --keep) keep=$2; shift 2 ;;
    --examples) examples=--examples; shift ;;
    -h|--help) sed -n '2,20p' "$0"; exit 0 ;;
    *) binaries+=("$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"); shift ;;
  esac
done
[ ${#binaries[@]} -gt 0 ] || { echo "usage: $0 [--site python|mkdocs|DIR] [--pages N] VORLIN [VORLIN...]" >&2; exit 2; }
case "$site" in
  python) served=/usr/share/doc/python3.11/html ;;
  mkdocs) served=/usr/share/doc/mkdocs/html ;;
  *) served=$site ;;
esac
[ -f "$served/index.html" ] || { echo "$0: no site in $served (install its documentation package)" >&2; exit 1; }
[ -x /usr/bin/chromium ] || [ "$pages" = 0 ] || { echo "$0: /usr/bin/chromium is not installed" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/vorlin-browser-check-XXXXXX")
state="$work/nginx"
cleanup() {
  "$root/tools/loopback-nginx.sh" stop "$state" || true
  if [ -n "$keep" ]; then mkdir -p "$keep" && cp -a "$work"/copy-* "$keep"/ 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
port=$("$root/tools/loopback-nginx.sh" start "$served" "$state")
url="http://127.0.0.1:$port/"
echo "site: $served as $url"

columns=()
for i in "${!binaries[@]}"; do
  bin=${binaries[$i]}
  copy="$work/copy-$i"
  start=$EPOCHREALTIME
  "$bin" get -q --home "$work/home-$i" -c 4 --tries 1 "$url" "$copy" >"$work/get-$i.log" 2>&1 || true
  seconds=$(awk "BEGIN { print $EPOCHREALTIME - $start }")
  # The start page is the host directory's index, whatever its port form.
  hostdir=$(find "$copy" -mindepth 1 -maxdepth 1 -type d | head -1)
  {
    echo "files stored: $(find "$copy" -type f | wc -l)"
    printf "seconds to mirror: %.1f\n" "$seconds"
    python3 "$root/tools/browser_check.py" "$copy" "$hostdir/index.html" --pages "$pages" $examples
  } >"$work/figures-$i.txt"
  columns+=("$work/figures-$i.txt")
done

# Side by side: the figure's text, then one value per binary.
for i in "${!binaries[@]}"; do echo "[$((i + 1))] ${binaries[$i]}"; done
printf "%-48s" "figure"
for i in "${!binaries[@]}"; do printf " %8s" "[$((i + 1))]"; done
echo
paste -d '\t' "${columns[@]}" | while IFS=$'\t' read -r -a fields; do
  printf "%-48s" "${fields[0]%%:*}"
  for field in "${fields[@]}"; do printf " %8s" "${field##*: }"; done
  echo
done
