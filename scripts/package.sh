#!/usr/bin/env bash
# Builds the Debian package build/pelmora_2.0-1_amd64.deb (or under
# $PELMORA_BUILD_DIR) and checks it: the desktop entry, the AppStream
# metainfo and lintian must report no errors; the package depends on what
# the program needs at run time and nothing but, and apt can install it on a
# system with no package installed at all (a clean Debian of this release).
#
#   scripts/package.sh [--install]
#     --install: also installs the package here with apt, starts the
#     installed program's --version and --help, and removes it again.
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

# Needed at run time but linked by no library: fonts, Qt's translations, the
# X11 platform plugin's package, xdg-utils.
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for p in fonts-noto-cjk qt6-translations-l10n xdg-utils libqt6gui6; do
  grep -Eq "(^|, )$p( |,|$)" <<<"$depends" || { echo "FAIL: Depends lacks $p" >&2; exit 1; }
done

# A clean system, as apt sees it: an empty package status. apt must find
# every package the .deb needs, all the way down, in this release.
status=$(mktemp)
trap 'rm -f "$status"' EXIT
sim=$(apt-get install --simulate -o Dir::State::status="$status" -o Debug::NoLocking=1 \
  --no-install-recommends "$deb" 2>&1) || { echo "$sim" >&2; echo "FAIL: apt cannot install it" >&2; exit 1; }
grep -q '^Inst pelmora ' <<<"$sim" || { echo "$sim" >&2; echo "FAIL: apt would not install pelmora" >&2; exit 1; }
echo "== a clean system would install $(grep -c '^Inst ' <<<"$sim") packages for it"

if [[ "${1:-}" == --install ]]; then
  SUDO=""; [[ $(id -u) -ne 0 ]] && SUDO=sudo
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "$deb"
  [[ $(/usr/bin/pelmora --version) == "pelmora 2.0" ]] || { echo "FAIL: pelmora --version" >&2; exit 1; }
  env -u DISPLAY -u WAYLAND_DISPLAY /usr/bin/pelmora --help | grep -q '^Usage: pelmora' ||
    { echo "FAIL: pelmora --help" >&2; exit 1; }
  for f in /usr/share/qt6/translations/qtbase_zh_CN.qm /usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc \
    /usr/share/file-manager/actions/org.pelmora.Pelmora.folder.desktop; do
    [[ -e $f ]] || { echo "FAIL: $f missing after the install" >&2; exit 1; }
  done
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get remove -y -qq pelmora
  echo "== installed, started and removed"
fi
echo "== $deb: no errors"
