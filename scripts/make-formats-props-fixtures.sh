#!/usr/bin/env bash
# Regenerates the formatting fixtures in tests/data/formats-props (.docx, .rtf
# and .html from the Flat ODF sources in tests/data/formats-props/src, by
# LibreOffice Writer without GUI). The hand-written pages and RTF files there
# (hand-*.html, hand-*.rtf) and the damaged variants are kept as they are.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
src="$here/tests/data/formats-props/src"
out="$here/tests/data/formats-props"
profile=$(mktemp -d)
trap 'rm -rf "$profile"' EXIT

convert() {  # filter files...
  local filter=$1
  shift
  soffice -env:UserInstallation="file://$profile" --headless --convert-to "$filter" --outdir "$out" "$@" >/dev/null
}
convert 'docx:MS Word 2007 XML' "$src"/*.fodt
convert 'rtf:Rich Text Format' "$src"/*.fodt
convert 'html:HTML (StarWriter)' "$src"/*.fodt
convert 'xml:MS Word 2003 XML' "$src"/*.fodt
echo "fixtures written to $out"
