#!/usr/bin/env bash
# Regenerates the formatting test documents tests/data/props/*.doc from
# tests/data/props/src/*.fodt. Needs LibreOffice (libreoffice-writer-nogui);
# CI does not run this: the .doc files are committed.
#
# Every size and weight is given for Western and Asian text alike: the
# converter writes a run's size and bold from the properties of its script.
#
#   styles      Title, Subtitle, Heading 1 and 2, a user style named 标题,
#               bold switched off over the Title style, body text; a Title
#               document property
#   letterhead  red centred bold 22 pt letterhead, a document number, a
#               centred bold 22 pt title with a line break, small, hidden,
#               blue and character-style bold runs
#   cover       cover page (organisation, empty paragraph, big title, date),
#               a Heading 1, then a paragraph with a page break before it
#   table       a table whose first row (one merged cell) holds the title
#   picture     an empty paragraph, a picture, then a Heading 1
#
# Usage: scripts/make-props-fixtures.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
data=$root/tests/data/props
src=$data/src

source "$root/scripts/lib/soffice.sh"
soffice_start

names=(styles letterhead cover table picture)
for n in "${names[@]}"; do
  soffice_convert "doc:MS Word 97" "$data" "$src/$n.fodt" >/dev/null
done
echo "wrote ${#names[@]} documents to $data"
