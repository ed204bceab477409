#!/usr/bin/env bash
# Installs every Debian package that building, testing and benchmarking need.
# Idempotent: installs only what is missing and says nothing when all is there.
set -euo pipefail

packages=(
  build-essential cmake pkg-config g++ clang libclang-rt-14-dev
  zlib1g-dev nettle-dev
  # The link data file is compressed by libdeflate (zlib format, best level).
  libdeflate-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  nginx apache2-utils curl wget wget2 httrack time
  # The manual page vorlin(1): checked with groff, read with man.
  groff-base man-db
  # The desktop program and its tests: Qt 6 (Widgets, D-Bus, Test), a
  # display server for screenshots, a private D-Bus for the connection tests.
  qt6-base-dev qt6-base-dev-tools libgl-dev fonts-dejavu-core
  xvfb xauth dbus python3-dbusmock
  # Closing the dialler's window on X11: libxcb's headers (the library is loaded at run time).
  libxcb1-dev
  # TLS, bookmarks (Firefox places.sqlite, Chromium's JSON), translations.
  libssl-dev openssl libsqlite3-dev nlohmann-json3-dev gettext
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "setup: installing ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq || true
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
