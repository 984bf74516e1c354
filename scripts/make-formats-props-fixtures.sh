#!/usr/bin/env bash
# Regenerates the formatting fixtures in tests/data/formats-props (.docx, .rtf
# and .html from the Flat ODF sources in tests/data/formats-props/src, by
# LibreOffice Writer without GUI). The hand-written pages and RTF files there
# (hand-*.html, hand-*.rtf) and the damaged variants are kept as they are.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
src="$here/tests/data/formats-props/src"
out="$here/tests/data/formats-props"
source "$here/scripts/lib/soffice.sh"
soffice_start
soffice_convert_formats "$out" "$src"/*.fodt
echo "fixtures written to $out"
