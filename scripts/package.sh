#!/usr/bin/env bash
# Builds the Debian package build/pelmora_2.0-1_amd64.deb (or under
# $PELMORA_BUILD_DIR) and checks it: the desktop entry, the AppStream
# metainfo and lintian must report no errors.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
PELMORA_PACKAGE=1 "$root/scripts/deps.sh"
build=${PELMORA_BUILD_DIR:-$root/build}
if [[ ! -f "$build/CMakeCache.txt" ]]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake -S "$root" -B "$build" >/dev/null  # picks up changed manual pages
cmake --build "$build" -j "${PELMORA_JOBS:-2}" --target pelmora pelmora-titles
(cd "$build" && cpack -G DEB --config CPackConfig.cmake)

deb=$(ls "$build"/pelmora_*_amd64.deb)
echo "== $deb"
dpkg-deb --info "$deb" | sed -n '/Package:/,$p'
desktop-file-validate "$root/data/org.pelmora.Pelmora.desktop"
appstreamcli validate --no-net "$root/data/org.pelmora.Pelmora.metainfo.xml"
# lintian exits non-zero on errors only (warnings are printed).
lintian --fail-on error --info "$deb"
echo "== $deb: no errors"
