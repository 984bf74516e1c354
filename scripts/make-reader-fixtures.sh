#!/usr/bin/env bash
# Regenerates the reader's text-box and first-page-header fixtures in
# tests/data/reader from the layouts in tests/data/reader/layouts and the
# title layout header_first_page (tests/data/titles/layouts), through
# scripts/layout-to-fodt.py: each as .doc (Word 97), .docx, RTF, OpenDocument
# and Word 2003 XML. Needs LibreOffice Writer without GUI (apt-get install
# libreoffice-writer-nogui); CI uses the committed files.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
out="$here/tests/data/reader"
source "$here/scripts/lib/soffice.sh"
soffice_start
laid="$soffice_dir/layouts"
mkdir -p "$laid"
for layout in "$out"/layouts/*.layout "$here/tests/data/titles/layouts/header_first_page.layout"; do
  python3 "$here/scripts/layout-to-fodt.py" "$layout" "$laid/$(basename "$layout" .layout).fodt"
done
soffice_convert_all 'doc:MS Word 97' "$out" "$laid"/*.fodt
soffice_convert_all 'docx:MS Word 2007 XML' "$out" "$laid"/*.fodt
soffice_convert_all 'rtf:Rich Text Format' "$out" "$laid"/*.fodt
soffice_convert_all 'odt:writer8' "$out" "$laid"/*.fodt
soffice_convert_all 'xml:MS Word 2003 XML' "$out" "$laid"/*.fodt
echo "fixtures written to $out"
