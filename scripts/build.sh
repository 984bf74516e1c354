#!/usr/bin/env bash
# Configures and builds Pelmora into build/ (or $PELMORA_BUILD_DIR). Options
# given (-DNAME=VALUE ...) go to CMake on every call, not only the first;
# ccache is used when it is installed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${PELMORA_BUILD_DIR:-$root/build}
if [[ ! -f "$build/CMakeCache.txt" ]]; then
  launcher=()
  command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" "$@"
elif (($#)); then
  cmake -S "$root" -B "$build" "$@"
fi
cmake --build "$build" -j "${PELMORA_JOBS:-2}"
