#!/usr/bin/env bash
# Redraws data/icons/NxN/apps/pelmora.png from the program icon's own drawing
# (src/gui/icons.cpp). data/icons/scalable/apps/pelmora.svg is kept by hand
# from the same drawing: change both together.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# shellcheck disable=SC2046
g++ -std=c++20 -O1 -fPIC -I"$root/src" "$root/tools/export_icons.cpp" "$root/src/gui/icons.cpp" \
  $(pkg-config --cflags --libs Qt6Gui) -o "$work/export-icons"
QT_QPA_PLATFORM=offscreen "$work/export-icons" "$root/data/icons"
