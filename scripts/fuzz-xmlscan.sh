#!/usr/bin/env bash
# Fuzzes the fast XML scanner against expat (xmlscan_fuzz) for SECONDS
# (default 60): where both take an input they must give the same tags, and
# the same text too when the scanner is fed in pieces and stopped early.
# Seeds: the styles and document parts of the .docx fixtures. Layout and
# needs: scripts/lib/fuzz.sh.
#
# Usage: scripts/fuzz-xmlscan.sh [SECONDS]
#        scripts/fuzz-xmlscan.sh --run FILE...
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/lib/fuzz.sh"
fuzz_build
if [[ "${1:-}" == --run ]]; then shift; fuzz_replay xmlscan_fuzz "$@"; exit; fi
seconds=${1:-60}

seeds=$(fuzz_seeds xmlscan_fuzz)
while IFS= read -r -d '' f; do
  for part in word/styles.xml word/document.xml; do
    unzip -p "$f" "$part" >"$seeds/$(basename "$f").$(basename "$part")" 2>/dev/null || true
  done
done < <(find "$root/tests/data" -name '*.docx' -print0)
fuzz_run xmlscan_fuzz "$seconds" 65536 -- "$seeds"
