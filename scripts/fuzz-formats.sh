#!/usr/bin/env bash
# Fuzzes the .docx, Word 2003 XML, RTF and web-page readers with libFuzzer (clang, ASan,
# UBSan) for SECONDS (default 60). Seeds: the fixtures in tests/data/formats
# and, for the XML reader, the document parts of the .docx fixtures.
# Needs: PELMORA_FUZZ=1 scripts/deps.sh (clang, libclang-rt-14-dev).
set -euo pipefail
seconds=${1:-60}
here=$(cd "$(dirname "$0")/.." && pwd)
out=${PELMORA_FUZZ_DIR:-$here/build-fuzz-formats}
mkdir -p "$out/corpus" "$out/findings"
# Built by the CMake fuzz build in build-fuzz/, with the reader's other target.
"$here/scripts/fuzz.sh" --build-only
bin="$here/build-fuzz/fuzz/fuzz_formats"
data="$here/tests/data/formats"
for f in "$data"/*.docx "$data"/*.rtf "$data"/*.html "$data"/*.htm "$data"/*.mht "$data"/*.xml; do
  [[ $(stat -c %s "$f") -lt 65536 ]] && cp "$f" "$out/corpus/"
done
for f in "$data"/*.docx; do
  unzip -p "$f" word/document.xml > "$out/corpus/$(basename "$f").document.xml" 2>/dev/null || true
done
cd "$out/findings"
"$bin" -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=2048 -timeout=10 \
  -print_final_stats=1 "$out/corpus"
