#!/usr/bin/env bash
# Regenerates the .docx, .rtf, .html and Word 2003 .xml fixtures in tests/data/formats from
# the hand-written Flat ODF sources in tests/data/formats/src (LibreOffice
# Writer without GUI: apt-get install libreoffice-writer-nogui), and writes
# the hand-made odd cases (broken packages, ZIP bombs) with python3.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
src="$here/tests/data/formats/src"
out="$here/tests/data/formats"
profile=$(mktemp -d)
trap 'rm -rf "$profile"' EXIT

convert() {  # filter outdir files...
  local filter=$1 dir=$2
  shift 2
  soffice -env:UserInstallation="file://$profile" --headless --convert-to "$filter" --outdir "$dir" "$@" >/dev/null
}
convert 'docx:MS Word 2007 XML' "$out" "$src"/*.fodt
convert 'rtf:Rich Text Format' "$out" "$src"/*.fodt
convert 'html:HTML (StarWriter)' "$out" "$src"/*.fodt
convert 'xml:MS Word 2003 XML' "$out" "$src"/*.fodt

python3 "$src/make_odd_cases.py" "$out"
echo "fixtures written to $out"
