#!/usr/bin/env bash
# Fuzzes the fast tag scanner against expat with libFuzzer for SECONDS
# (default 60): where both take an input they must give the same tags.
# Seeds: the styles and document parts of the .docx fixtures.
# Needs: PELMORA_FUZZ=1 scripts/deps.sh (clang, libclang-rt-14-dev).
set -euo pipefail
seconds=${1:-60}
here=$(cd "$(dirname "$0")/.." && pwd)
out=${PELMORA_FUZZ_DIR:-$here/build-fuzz-xmlscan}
mkdir -p "$out/corpus" "$out/findings"
"$here/scripts/fuzz.sh" --build-only
for f in $(find "$here/tests/data" -name '*.docx'); do
  for part in word/styles.xml word/document.xml; do
    unzip -p "$f" "$part" > "$out/corpus/$(basename "$f").$(basename "$part")" 2>/dev/null || true
  done
done
find "$out/corpus" -size 0 -delete
cd "$out/findings"
"$here/build-fuzz/fuzz/xmlscan_fuzz" -max_total_time="$seconds" -max_len=65536 \
  -rss_limit_mb=2048 -timeout=10 -print_final_stats=1 "$out/corpus"
