#!/usr/bin/env bash
# Whether this machine's fusefat damages files by itself, with no program of
# ours involved: on a FAT16 and a FAT32 image, 150 files of 4 KB under long
# names in one folder, every other one removed and the rest renamed with mv,
# then remounted and compared. Needs root, /dev/fuse, fusefat and dosfstools.
#   scripts/fusefat-check.sh
set -euo pipefail
for tool in fusefat mkfs.vfat; do
  command -v $tool >/dev/null || { echo "missing: $tool"; exit 2; }
done
[[ $(id -u) == 0 && -e /dev/fuse ]] || { echo "needs root and /dev/fuse"; exit 2; }
work=$(mktemp -d)
trap 'umount "$work/m" 2>/dev/null || true; rm -rf "$work"' EXIT
mkdir "$work/m" "$work/src"
for i in $(seq 1 150); do head -c 4096 /dev/urandom >"$work/src/$i"; done

unmount() {
  umount "$work/m"
  # fusefat writes the volume out after the unmount returns.
  for _ in $(seq 1 100); do pgrep -x fusefat >/dev/null || return 0; sleep 0.1; done
}

damaged=0
for kind in "16 32" "32 64"; do
  read -r bits megabytes <<<"$kind"
  rm -f "$work/img"
  truncate -s "${megabytes}M" "$work/img"
  mkfs.vfat -F "$bits" -s 1 "$work/img" >/dev/null
  fusefat -o rw+ "$work/img" "$work/m" >/dev/null 2>&1
  mkdir "$work/m/d"
  for i in $(seq 1 150); do cp "$work/src/$i" "$work/m/d/Scanned office document number $i.doc"; done
  for i in $(seq 1 2 150); do rm "$work/m/d/Scanned office document number $i.doc"; done
  for i in $(seq 2 2 150); do
    mv "$work/m/d/Scanned office document number $i.doc" "$work/m/d/Renamed after its title $i.doc"
  done
  unmount
  fusefat -o rw+ "$work/img" "$work/m" >/dev/null 2>&1
  bad=0
  for i in $(seq 2 2 150); do
    cmp -s "$work/src/$i" "$work/m/d/Renamed after its title $i.doc" || bad=$((bad + 1))
  done
  stray=$(find "$work/m/d" -type f ! -name 'Renamed after its title *' | wc -l)
  unmount
  echo "FAT$bits: $bad of 75 renamed files damaged, $stray names nobody made"
  ((bad + stray == 0)) || damaged=1
done
exit $damaged
