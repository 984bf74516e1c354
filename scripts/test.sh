#!/usr/bin/env bash
# Installs what is missing, checks the format (every file on CI), builds
# with warnings as errors and runs every test; then builds and runs the
# widget-free tests and the fuzz targets' replays in a build without Qt
# Widgets (build-nogui/), as a machine without them would.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
# The tree is formatted as a whole: on CI, where a fresh clone has no
# changes of its own, check every file; elsewhere the changed ones.
if [[ "${CI:-}" == true ]]; then
  (cd "$root" && git ls-files -z -- '*.cpp' '*.h' | xargs -0 "$root/scripts/check-format.sh")
else
  "$root/scripts/check-format.sh"
fi

# Every include runs down the layers of src/.
"$root/scripts/include-graph.sh" --check

# Both builds share one compiler cache: the same sources compile once.
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$root} CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-1}
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
jobs=${PELMORA_JOBS:-2}

build=${PELMORA_BUILD_DIR:-$root/build}
PELMORA_BUILD_DIR=$build "$root/scripts/build.sh" -DPELMORA_WERROR=ON
(cd "$build" && ctest --output-on-failure -j "$jobs" --timeout 300)

nogui=${PELMORA_NOGUI_BUILD_DIR:-$root/build-nogui}
PELMORA_BUILD_DIR=$nogui "$root/scripts/build.sh" -DPELMORA_WERROR=ON -DPELMORA_BUILD_GUI=OFF \
  -DPELMORA_BUILD_BENCH=OFF -DPELMORA_BUILD_FUZZ=ON
(cd "$nogui" && ctest --output-on-failure -j "$jobs" --timeout 300)
