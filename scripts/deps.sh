#!/usr/bin/env bash
# Installs the Debian packages Pelmora needs to build, run and test, when any
# is missing. With everything present it installs nothing.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-noto-cjk xvfb xauth
  libzip-dev libexpat1-dev
  ccache clang-format
  fusefat dosfstools ntfs-3g
  xdg-utils desktop-file-utils qt6-translations-l10n
)
# Extra tools for fuzzing (clang with libFuzzer and sanitizers).
if [[ "${PELMORA_FUZZ:-0}" == 1 ]]; then
  PACKAGES+=(clang libclang-rt-14-dev)
fi
# Extra tools for making and checking the Debian package.
if [[ "${PELMORA_PACKAGE:-0}" == 1 ]]; then
  PACKAGES+=(desktop-file-utils appstream lintian file fakeroot dpkg-dev)
fi

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
if ((${#missing[@]} == 0)); then
  exit 0
fi

echo "Installing: ${missing[*]}"
SUDO=""
if [[ $(id -u) -ne 0 ]]; then
  if command -v sudo >/dev/null; then SUDO=sudo; else
    echo "Missing packages (${missing[*]}) and not root: install them as root." >&2
    exit 1
  fi
fi
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
