#!/usr/bin/env bash
# Regenerates the automatic-title fixtures in tests/data/titles from the Flat
# ODF sources in tests/data/titles/src: every source as .doc (Word 97) and
# .docx, a few also as RTF and HTML. Needs LibreOffice Writer without GUI
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
source "$here/scripts/lib/soffice.sh"
soffice_start
soffice_convert_all 'doc:MS Word 97' "$out" "$src"/*.fodt
soffice_convert_all 'docx:MS Word 2007 XML' "$out" "$src"/*.fodt
few=(notice_split cover thesis memo form_first_row fmt_red_letterhead)
for n in "${few[@]}"; do
  soffice_convert 'rtf:Rich Text Format' "$out" "$src/$n.fodt" >/dev/null
  soffice_convert 'html:HTML (StarWriter)' "$out" "$src/$n.fodt" >/dev/null
done
echo "fixtures written to $out"
