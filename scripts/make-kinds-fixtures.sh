#!/usr/bin/env bash
# Regenerates tests/data/kinds: the documents of every kind Pelmora lists,
# made by LibreOffice Writer (apt-get install libreoffice-writer-nogui) from
# the Flat ODF sources in tests/data/kinds/src, two old WPS files written
# here, and expected.tsv with the texts LibreOffice's own exports give for
# each made file: paragraphs 1 and 5 from its text export, the header and
# footer from its HTML export (the text export leaves them out). CI uses the
# committed files.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
src="$here/tests/data/kinds/src"
out="$here/tests/data/kinds"
source "$here/scripts/lib/soffice.sh"
soffice_start
work=$soffice_dir

convert() {  # filter outdir files...
  soffice_convert_all "$@"
}

rm -f "$out"/*.{odt,ott,wps,wpt,doc,dot,dotx,rtf} "$out/expected.tsv"
convert 'odt:writer8' "$out" "$src"/*.fodt
convert 'ott:writer8_template' "$out" "$src"/*.fodt
convert 'dot:MS Word 97 Vorlage' "$out" "$src"/*.fodt
convert 'dotx:MS Word 2007 XML Template' "$out" "$src"/*.fodt
convert 'rtf:Rich Text Format' "$out" "$src"/*.fodt
# WPS 2005 and later save Word 97-2003 binaries under their own names.
mkdir -p "$work/doc"
convert 'doc:MS Word 97' "$work/doc" "$src"/*.fodt
for f in "$work"/doc/*.doc; do
  b=$(basename "$f" .doc)
  cp "$f" "$out/$b.wps"
  cp "$out/$b.dot" "$out/$b.wpt"
done

python3 - "$out" <<'PY'
import sys
out = sys.argv[1]
# WPS for DOS: a 1024-byte header starting with the version (3) and 0xFF,
# then GBK text.
head = bytearray(1024)
head[0:2] = b"\x03\xff"
with open(f"{out}/old-dos.wps", "wb") as f:
    f.write(bytes(head) + "关于召开工作会议的通知\r\n".encode("gbk"))
# A WPS 2000 document as far as the reader can tell: no known signature.
with open(f"{out}/old-2000.wps", "wb") as f:
    f.write(b"\x57\x50\x53\x00\x14\x00\x00\x00" + bytes(range(256)) * 8)
PY

# LibreOffice's own reading of every made file.
mkdir -p "$work/txt" "$work/html"
made=("$out"/*.odt "$out"/*.ott "$out"/*.wps "$out"/*.wpt "$out"/*.dot "$out"/*.dotx "$out"/*.rtf)
for f in "${made[@]}"; do
  case $(basename "$f") in old-*) continue ;; esac
  # The exports are named after the file, so each kind goes in its own folder.
  ext=${f##*.}
  mkdir -p "$work/txt/$ext" "$work/html/$ext"
  convert 'txt:Text (encoded):UTF8' "$work/txt/$ext" "$f"
  convert 'html:HTML (StarWriter)' "$work/html/$ext" "$f"
done

python3 - "$out" "$work" <<'PY'
import glob, html.parser, os, re, sys
out, work = sys.argv[1], sys.argv[2]

class Parts(html.parser.HTMLParser):
    """The text of LibreOffice's <div title="header"> and "footer"."""
    def __init__(self):
        super().__init__()
        self.depth = 0
        self.part = None
        self.text = {"header": "", "footer": ""}
    def handle_starttag(self, tag, attrs):
        if tag == "div":
            title = dict(attrs).get("title")
            if self.part is None and title in self.text:
                self.part, self.depth = title, 0
            if self.part is not None:
                self.depth += 1
        elif tag == "p" and self.part and self.text[self.part]:
            self.text[self.part] += "\r"
    def handle_endtag(self, tag):
        if tag == "div" and self.part is not None:
            self.depth -= 1
            if self.depth == 0:
                self.part = None
    def handle_data(self, data):
        if self.part is not None:
            # HTML's own rule: a run of white space (the export wraps its
            # lines at blanks) reads as one blank.
            self.text[self.part] += re.sub(r"[ \t\r\n]+", " ", data)

# The title a person would pick, for the automatic mode, by source.
auto = {
    "notice": "关于召开2024年度工作会议的通知",
    "report": "Annual report: water quality in 2023",
}
rows = []
for txt in sorted(glob.glob(f"{work}/txt/*/*.txt")):
    ext = os.path.basename(os.path.dirname(txt))
    base = os.path.basename(txt)[:-4]
    lines = open(txt, encoding="utf-8-sig").read().split("\n")
    p = Parts()
    p.feed(open(f"{work}/html/{ext}/{base}.html", encoding="utf-8").read())
    rows.append([f"{base}.{ext}", lines[0], lines[4] if len(lines) > 4 else "",
                 p.text["header"].strip(), p.text["footer"].strip(), auto[base]])
with open(f"{out}/expected.tsv", "w", encoding="utf-8") as f:
    f.write("# file\tparagraph 1\tparagraph 5\theader\tfooter\tautomatic\n")
    for r in rows:
        f.write("\t".join(r) + "\n")
PY
echo "fixtures written to $out"
