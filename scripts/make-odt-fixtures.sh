#!/usr/bin/env bash
# Regenerates the OpenDocument fixtures in tests/data/odt with LibreOffice
# Writer (apt-get install libreoffice-writer-nogui, scripts/lib/soffice.sh);
# CI uses the committed files. The reader's tests compare what it reads in them with what the
# other readers read in LibreOffice's .doc and .docx of the same sources:
#   odt/*.odt          tests/data/src/*.fodt (beside the tests/data/*.doc)
#   odt/formats/*.odt  tests/data/formats/src/*.fodt (beside formats/*.docx)
#   odt/titles/*.odt   tests/data/titles/src/*.fodt (beside titles/*.docx)
#   odt/props/*.odt    tests/data/formats-props/src/*.fodt
#   odt/hand/*         the sources in tests/data/odt/src, as .odt, .ott and
#                      .docx (structure, page styles, style inheritance)
# and writes the odd packages (damaged, bombs, other OpenDocument kinds)
# with python3 into odt/odd/.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
data="$here/tests/data"
out="$data/odt"
source "$here/scripts/lib/soffice.sh"
soffice_start

convert() {  # filter outdir files...
  soffice_convert_all "$@"
}

convert 'odt:writer8' "$out" "$data"/src/*.fodt
convert 'odt:writer8' "$out/formats" "$data"/formats/src/*.fodt
convert 'odt:writer8' "$out/titles" "$data"/titles/src/*.fodt
convert 'odt:writer8' "$out/props" "$data"/formats-props/src/*.fodt
convert 'odt:writer8' "$out/hand" "$out"/src/*.fodt
convert 'ott:writer8_template' "$out/hand" "$out"/src/*.fodt
convert 'docx:MS Word 2007 XML' "$out/hand" "$out"/src/*.fodt

python3 "$out/src/make_odd_cases.py" "$out/odd" "$out/hand/structure.odt"
echo "fixtures written to $out"
