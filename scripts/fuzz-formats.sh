#!/usr/bin/env bash
# Fuzzes the .docx, OpenDocument, Word 2003 XML, RTF and web-page readers
# (fuzz_formats) for SECONDS (default 60). Seeds: the fixtures in
# tests/data/formats, formats-props, reader and odt under 64 KiB and, for the XML
# readers, the document and styles parts of their .docx files and the
# content and styles parts of the .odt files. Layout and needs:
# scripts/lib/fuzz.sh.
#
# Usage: scripts/fuzz-formats.sh [SECONDS]
#        scripts/fuzz-formats.sh --run FILE...
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/lib/fuzz.sh"
fuzz_build
if [[ "${1:-}" == --run ]]; then shift; fuzz_replay fuzz_formats "$@"; exit; fi
seconds=${1:-60}

seeds=$(fuzz_seeds fuzz_formats)
data=$root/tests/data/formats
for f in "$data"/*.docx "$data"/*.rtf "$data"/*.html "$data"/*.htm "$data"/*.mht "$data"/*.xml \
  "$data"-props/*.docx "$data"-props/*.rtf "$data"-props/*.html "$data"-props/*.xml \
  "$root"/tests/data/reader/*.docx "$root"/tests/data/reader/*.rtf "$root"/tests/data/reader/*.xml; do
  [[ -f "$f" && $(stat -c %s "$f") -lt 65536 ]] && cp "$f" "$seeds/"
done
for f in "$data"/*.docx "$data"-props/*.docx "$root"/tests/data/reader/*.docx; do
  unzip -p "$f" word/document.xml >"$seeds/$(basename "$f").document.xml" 2>/dev/null || true
  unzip -p "$f" word/styles.xml >"$seeds/$(basename "$f").styles.xml" 2>/dev/null || true
done
for f in "$root"/tests/data/odt/*.odt "$root"/tests/data/odt/*/*.odt "$root"/tests/data/odt/*/*.ott \
  "$root"/tests/data/reader/*.odt; do
  [[ -f "$f" && $(stat -c %s "$f") -lt 65536 ]] || continue
  name=$(basename "$(dirname "$f")")_$(basename "$f")
  cp "$f" "$seeds/$name"
  unzip -p "$f" content.xml >"$seeds/$name.content.xml" 2>/dev/null || true
  unzip -p "$f" styles.xml >"$seeds/$name.styles.xml" 2>/dev/null || true
done
fuzz_run fuzz_formats "$seconds" 65536 -- "$seeds"
