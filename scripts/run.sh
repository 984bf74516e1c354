#!/usr/bin/env bash
# Installs what is missing, builds, and starts Pelmora.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
"$root/scripts/build.sh"
build=${PELMORA_BUILD_DIR:-$root/build}
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" && -z "${QT_QPA_PLATFORM:-}" ]]; then
  echo "Pelmora needs a graphical display: run it from a desktop session, or under a virtual one with 'xvfb-run scripts/run.sh'." >&2
  exit 1
fi
exec "$build/pelmora"
