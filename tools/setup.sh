#!/usr/bin/env bash
# Installs every Debian package that building, testing and benchmarking need.
# Idempotent: installs only what is missing and says nothing when all is there.
set -euo pipefail

packages=(
  build-essential cmake pkg-config g++ clang libclang-rt-14-dev
  zlib1g-dev nettle-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  nginx apache2-utils curl wget wget2 httrack time
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
