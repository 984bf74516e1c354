#!/usr/bin/env bash
# Regenerates the .docx, .rtf, .html and Word 2003 .xml fixtures in tests/data/formats from
# the hand-written Flat ODF sources in tests/data/formats/src (LibreOffice
# Writer without GUI: apt-get install libreoffice-writer-nogui), and writes
# the hand-made odd cases (broken packages, ZIP bombs) with python3.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
src="$here/tests/data/formats/src"
out="$here/tests/data/formats"
source "$here/scripts/lib/soffice.sh"
soffice_start
soffice_convert_formats "$out" "$src"/*.fodt

python3 "$src/make_odd_cases.py" "$out"
echo "fixtures written to $out"
