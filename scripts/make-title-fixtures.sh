#!/usr/bin/env bash
# Regenerates the automatic-title fixtures in tests/data/titles from the Flat
# ODF sources in tests/data/titles/src and the layouts in
# tests/data/titles/layouts (turned into Flat ODF by scripts/layout-to-fodt.py):
# every source as .doc (Word 97) and .docx, a few also as RTF and HTML. Needs LibreOffice Writer without GUI
# (apt-get install libreoffice-writer-nogui); CI uses the committed files.
# The titles a person would pick are in tests/data/titles/expected.tsv.
#
# Each source says in its comment what stands before its title: empty lines,
# a logo, letterheads with document numbers and red rules, attachment labels,
# contract numbers, secrecy and urgency marks, date and department lines,
# covers, thesis labels, forms, a journal paper, an English memo, letter and
# report, plain and untitled text. The fmt_* sources can be told apart from
# their first line only by formatting (size, bold, the Title style, red).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
src="$here/tests/data/titles/src"
out="$here/tests/data/titles"
profile=$(mktemp -d)
trap 'rm -rf "$profile"' EXIT

command -v soffice >/dev/null || { echo "soffice not found: apt-get install libreoffice-writer-nogui" >&2; exit 1; }

convert() {  # filter files...
  local filter=$1
  shift
  soffice -env:UserInstallation="file://$profile" --headless --norestore --convert-to "$filter" --outdir "$out" "$@" >/dev/null
}
convert 'doc:MS Word 97' "$src"/*.fodt
convert 'docx:MS Word 2007 XML' "$src"/*.fodt
# One layout kind to a file; each layout says in its comment what it shows.
laid="$profile/layouts"
mkdir -p "$laid"
for layout in "$here"/tests/data/titles/layouts/*.layout; do
  python3 "$here/scripts/layout-to-fodt.py" "$layout" "$laid/$(basename "$layout" .layout).fodt"
done
convert 'doc:MS Word 97' "$laid"/*.fodt
convert 'docx:MS Word 2007 XML' "$laid"/*.fodt
few=(notice_split cover thesis memo form_first_row fmt_red_letterhead)
convert 'rtf:Rich Text Format' $(printf "$src/%s.fodt " "${few[@]}")
convert 'html:HTML (StarWriter)' $(printf "$src/%s.fodt " "${few[@]}")
echo "fixtures written to $out"
