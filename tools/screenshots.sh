#!/usr/bin/env bash
# Pictures of the desktop program at work: HTTPVorlin runs under Xvfb on a
# sample program directory made here, mirrors tools/sample-site (served by a
# loopback nginx), and saves PNGs of the main window during and after the
# download (in English, as the program starts), the settings dialog, every
# page of the project options dialog and a rule dialog, the statistics
# dialog, the template dialog and the target directory question of a
# project from a template, the bookmark menus with their settings pages,
# the debug log window, the language menu, and the window and settings
# dialog switched to German; then every dialog with sample data (dialogs/).
# and the patcher's window. Prints the folder that holds them.
#   tools/screenshots.sh [OUTPUT_DIR]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
tools/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target HTTPVorlin updater dialog_screenshots >/dev/null

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
# The tour's update check asks a closed loopback port, not the makers' server.
export HTTPVORLIN_UPDATE_HOST="http://127.0.0.1:1/"
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 0700 -p "$XDG_RUNTIME_DIR"
HOME="$browsers" xvfb-run -a -s "-screen 0 1280x800x24" timeout 120 build/bin/HTTPVorlin --home "$home" >"$work/tour.log" 2>&1 || {
  echo "HTTPVorlin did not finish its tour:" >&2
  cat "$work/tour.log" >&2
  exit 1
}
grep '^screenshot ' "$work/tour.log" || true
# Every dialog with sample data, among them each page of the project options
# and the rule and condition dialogs.
QT_QPA_PLATFORM=offscreen QT_QPA_FONTDIR=/usr/share/fonts/truetype/dejavu \
  build/tests/app_dialogs/dialog_screenshots "$out/dialogs" | sed 's/^/screenshot /'
echo "Screenshots are in $out"

# Connection control: the menu "Dail-Up" and the page "Internet Connection"
# with the profiles of a NetworkManager stand-in (python3-dbusmock) on a
# private bus; the program's "system bus" is that bus, never the machine's.
if /usr/bin/python3 -c 'import dbusmock' 2>/dev/null; then
  conn="$work/connection"
  mkdir -p "$conn/home"
  bus="unix:path=$conn/bus"
  dbus-daemon --session --nofork --address="$bus" >/dev/null 2>&1 &
  daemon=$!
  for _ in $(seq 50); do [ -S "$conn/bus" ] && break; sleep 0.1; done
  DBUS_SESSION_BUS_ADDRESS="$bus" DBUS_SYSTEM_BUS_ADDRESS="$bus" \
    /usr/bin/python3 -m dbusmock --session --template networkmanager >/dev/null 2>&1 &
  mock=$!
  call() { DBUS_SESSION_BUS_ADDRESS="$bus" dbus-send --session --print-reply --dest=org.freedesktop.NetworkManager "$@" >/dev/null; }
  for _ in $(seq 100); do
    call /org/freedesktop/NetworkManager org.freedesktop.DBus.Properties.Get string:org.freedesktop.NetworkManager string:Version 2>/dev/null && break
    sleep 0.1
  done
  for profile in "DSL Telekom" "Mobilfunk (LTE)" "Büro-VPN"; do
    /usr/bin/python3 - "$bus" "$profile" <<'PY'
import sys, dbus
bus = dbus.bus.BusConnection(sys.argv[1])
settings = bus.get_object('org.freedesktop.NetworkManager', '/org/freedesktop/NetworkManager/Settings')
settings.AddConnection({'connection': {'id': sys.argv[2], 'type': 'pppoe'}},
                       dbus_interface='org.freedesktop.NetworkManager.Settings')
PY
  done
  printf '[Dial-Up]\nConnType=1\nEntry=Mobilfunk (LTE)\nUserName=anna\n' >"$conn/home/HttpVorlin.ini"
  DBUS_SYSTEM_BUS_ADDRESS="$bus" HTTPVORLIN_TOUR=connection \
    xvfb-run -a -s "-screen 0 1280x800x24" timeout 60 build/bin/HTTPVorlin --home "$conn/home" >"$work/connection.log" 2>&1 || {
    echo "HTTPVorlin did not finish the connection pictures:" >&2
    cat "$work/connection.log" >&2
  }
  kill "$mock" "$daemon" 2>/dev/null || true
  wait "$mock" "$daemon" 2>/dev/null || true
  grep '^screenshot ' "$work/connection.log" || true
else
  echo "python3-dbusmock is missing: no pictures of connection control" >&2
fi

# The patcher's window at work (it saves the picture itself and ends).
HTTPVORLIN_SCREENSHOTS="$out" xvfb-run -a -s "-screen 0 1280x800x24" timeout 30 build/bin/updater \
  >"$work/patcher.log" 2>&1 || {
  echo "updater did not save its picture:" >&2
  cat "$work/patcher.log" >&2
}
grep '^screenshot ' "$work/patcher.log" || true
