#!/usr/bin/env bash
# Fuzzes the document reader as a whole (doc_fuzz: every format through
# Open, every question of the object model) for SECONDS (default 60).
# Seeds: tests/data/*.doc, the format fixtures, the kept findings and the
# .doc files of the shared corpus beside the checkout (linked, never copied
# into the tree). Layout and needs: scripts/lib/fuzz.sh.
#
# Usage: scripts/fuzz.sh [SECONDS]
#        scripts/fuzz.sh --build-only      build every fuzz target in build-fuzz/
#        scripts/fuzz.sh --run FILE...     replay inputs (e.g. a finding)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/lib/fuzz.sh"
fuzz_build

case "${1:-}" in
  --build-only) exit 0 ;;
  --run) shift; fuzz_replay doc_fuzz "$@"; exit ;;
esac
seconds=${1:-60}

seeds=$(fuzz_seeds doc_fuzz)
for f in "$root"/tests/data/*.doc "$root"/tests/data/formats/* "$root"/tests/data/reader/*.* "$root"/tests/data/fuzz/*; do
  [[ -f "$f" ]] && ln -sf "$f" "$seeds/data_$(basename "$f")"
done
corpus=$root/../shared/corpus/public
if [[ -d "$corpus" ]]; then
  i=0
  while IFS= read -r -d '' f; do
    ln -sf "$f" "$seeds/corpus_$((i++))_$(basename "$f")"
  done < <(find "$corpus" -type f -iname '*.doc' -print0)
fi
fuzz_run doc_fuzz "$seconds" 131072 -dict="$root/fuzz/doc.dict" -- "$seeds"
