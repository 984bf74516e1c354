#!/usr/bin/env bash
# Regenerates the test documents tests/data/*.doc from tests/data/src/.
# Needs LibreOffice (libreoffice-writer-nogui) and python3-uno; CI does not
# run this: the .doc files are committed.
#
# The converter ("MS Word 97" filter) writes every text as UTF-16 pieces, so
# no fixture holds 8-bit text; the reader's own synthetic tests cover that.
#
# Readable documents (source tests/data/src/NAME.fodt):
#   zh_first      Chinese first paragraph, Chinese header and footer, six
#                 paragraphs (paragraph 5 known)
#   en_first      English first paragraph with blanks around it, no header or
#                 footer, exactly five paragraphs
#   long_first    first paragraph over 255 characters; header and footer that
#                 exist but hold one empty paragraph
#   empty_first   empty first paragraph; footer only
#   table_first   a 2x2 table before any paragraph (cell ends, row ends, an
#                 empty cell, a cell of two paragraphs); header only
#   fields        hyperlink, fixed date and page number in the first
#                 paragraph; hyperlink in the header; page number and page
#                 count in the footer
#   line_break    line break inside the first paragraph; two-paragraph
#                 header; tab and backslash in the footer
#   first_page    different first page: first-page and primary headers/footers
#   even_odd      different even and odd pages (Chinese odd header)
#   two_sections  two sections with their own headers and footers
#   short         three paragraphs: asking for paragraph 5 fails
#   latin1        Western accented text, quotes, dash, euro sign
#   footnote      a footnote, so the header stories start after the notes
#   specials      tab, no-break space, soft hyphen, non-breaking hyphen
#   picture_first an inline picture before the first paragraph's text
#   astral        characters beyond U+FFFF (surrogate pairs) in the title
#   lone_surrogate  astral.doc with its header's first character patched into
#                 an unpaired high surrogate (U+D800)
# Files that are no Word document or that cannot be read:
#   empty         zero bytes
#   rtf           RTF (from zh_first) named .doc
#   docx          a .docx (from zh_first) named .doc: a ZIP
#   html          tests/data/src/page.html named .doc
#   text          tests/data/src/plain.txt named .doc
#   random        4 KiB of pseudo-random bytes (fixed seed)
#   truncated     the first half of zh_first.doc
#   damaged       zh_first.doc with its second 512-byte block overwritten
#   encrypted     short.fodt saved with the password "secret"
#
# Usage: scripts/make-fixtures.sh              regenerate tests/data/*.doc
#        scripts/make-fixtures.sh --large FILE  also write a large document
#                                               (about 20 MB, for benchmarks)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
data=$root/tests/data
src=$data/src

large=""
if [[ "${1:-}" == --large ]]; then
  large=${2:?"--large needs a file name"}
fi

source "$root/scripts/lib/soffice.sh"
soffice_start
work=$soffice_dir

readable=(zh_first en_first long_first empty_first table_first fields line_break
          first_page even_odd two_sections short latin1 footnote specials picture_first astral)
for n in "${readable[@]}"; do
  out=$(soffice_convert "doc:MS Word 97" "$work/doc" "$src/$n.fodt")
  cp "$out" "$data/$n.doc"
done

# "X lone" in UTF-16 becomes U+D800 " lone"; the length is unchanged.
perl -0777 -pe 's/X\x00 \x00l\x00o\x00n\x00e\x00/\x00\xD8 \x00l\x00o\x00n\x00e\x00/ or die "no X lone\n"' \
  "$data/astral.doc" >"$data/lone_surrogate.doc"

: >"$data/empty.doc"
out=$(soffice_convert rtf "$work/rtf" "$src/zh_first.fodt")
cp "$out" "$data/rtf.doc"
out=$(soffice_convert "docx:MS Word 2007 XML" "$work/docx" "$src/zh_first.fodt")
cp "$out" "$data/docx.doc"
cp "$src/page.html" "$data/html.doc"
cp "$src/plain.txt" "$data/text.doc"
perl -e 'srand(20261208); print chr(int(rand(256))) for 1 .. 4096' >"$data/random.doc"
size=$(stat -c %s "$data/zh_first.doc")
head -c $((size / 2)) "$data/zh_first.doc" >"$data/truncated.doc"
cp "$data/zh_first.doc" "$data/damaged.doc"
dd if="$data/random.doc" of="$data/damaged.doc" bs=512 seek=1 count=1 conv=notrunc status=none

# The command line converter cannot set a password: save through UNO.
pipe="pelmora_fixtures_$$"
soffice "$soffice_profile" --headless --invisible --norestore "--accept=pipe,name=$pipe;urp;" >/dev/null 2>&1 &
office=$!
/usr/bin/python3 "$src/save_encrypted.py" "$src/short.fodt" "$data/encrypted.doc" "$pipe" secret
wait "$office" || true

if [[ -n "$large" ]]; then
  # About 200,000 paragraphs of 50 characters: some 20 MB of UTF-16 text.
  {
    sed -n '1,/<office:text>/p' "$src/short.fodt"
    echo '  <text:p>Large document</text:p>'
    for ((i = 0; i < 2000; i++)); do
      for ((j = 0; j < 100; j++)); do
        echo "  <text:p>大文件段落 $i-$j: the quick brown fox jumps over the dog.</text:p>"
      done
    done
    sed -n '/<\/office:text>/,$p' "$src/short.fodt"
  } >"$work/large.fodt"
  out=$(soffice_convert "doc:MS Word 97" "$work/large" "$work/large.fodt")
  cp "$out" "$large"
  echo "wrote $large ($(stat -c %s "$large") bytes)"
fi

ls -l "$data"/*.doc
