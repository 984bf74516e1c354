#!/usr/bin/env bash
# Builds Pelmora and saves pictures of its main window, options dialog and
# about dialog under a virtual X server: build/screenshots/*.png by default,
# or the folder given as the first argument.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
build=${PELMORA_BUILD_DIR:-$root/build}
if [[ ! -f "$build/CMakeCache.txt" ]]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$build" -j "${PELMORA_JOBS:-2}" --target pelmora-screenshot
out=${1:-$build/screenshots}
mkdir -p "$out"
out=$(cd "$out" && pwd)
unset QT_QPA_PLATFORM
exec xvfb-run -a -s "-screen 0 1280x1024x24" "$build/pelmora-screenshot" "$out"
