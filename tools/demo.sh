#!/usr/bin/env bash
# Installs what is missing, builds, and runs the main job. Until the download
# engine arrives, the main job writes a sample project and shows its project
# file and link data with the inspection commands.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
tools/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"

demo="$root/build/demo"
rm -rf "$demo"
build/tools/vorlin-sample-project "$demo" >/dev/null
echo "== vorlin show-project $demo/sample.prj"
build/cli/vorlin show-project "$demo/sample.prj"
echo
echo "== vorlin show-links $demo/sample.dat"
build/cli/vorlin show-links "$demo/sample.dat"
echo
echo "== vorlin show-links --json $demo/sample.dat"
build/cli/vorlin show-links --json "$demo/sample.dat"
