"""Writes the odd OpenDocument packages: damaged, hostile, or of another kind.

make_odd_cases.py OUTDIR GOOD.odt
"""
import sys
import zipfile

out, good = sys.argv[1], sys.argv[2]
import os
os.makedirs(out, exist_ok=True)

with zipfile.ZipFile(good) as z:
    parts = {n: z.read(n) for n in z.namelist()}

ODT = b"application/vnd.oasis.opendocument.text"


def package(name, entries, mimetype=ODT, first=True, stored=True):
    """A package with `entries` (name -> bytes); mimetype first and stored
    as the format asks, unless told otherwise."""
    with zipfile.ZipFile(f"{out}/{name}", "w", zipfile.ZIP_DEFLATED) as z:
        items = list(entries.items())
        if mimetype is not None:
            m = ("mimetype", mimetype)
            items = [m] + items if first else items + [m]
        for n, data in items:
            kind = zipfile.ZIP_STORED if (n == "mimetype" and stored) else zipfile.ZIP_DEFLATED
            z.writestr(n, data, compress_type=kind)


rest = {n: d for n, d in parts.items() if n != "mimetype"}
# LibreOffice opens these; so does the reader.
package("mimetype-last.odt", rest, first=False, stored=False)
package("no-styles.odt", {n: d for n, d in rest.items() if n != "styles.xml"})
package("no-meta.odt", {n: d for n, d in rest.items() if n != "meta.xml"})
# Not text documents, or not documents at all.
package("spreadsheet.ods", rest, mimetype=b"application/vnd.oasis.opendocument.spreadsheet")
package("no-content.odt", {n: d for n, d in rest.items() if n != "content.xml"})
package("content-not-xml.odt", dict(rest, **{"content.xml": b"\x00\x01 not xml"}))
package("content-cut.odt", dict(rest, **{"content.xml": parts["content.xml"][:600]}))
package("content-dtd.odt", dict(rest, **{"content.xml":
    b'<?xml version="1.0"?><!DOCTYPE a [<!ENTITY x "xxxxxxxxxx">]><a>&x;</a>'}))
# An encrypted package: the parts are ciphertext, the manifest says so.
manifest = parts["META-INF/manifest.xml"].replace(
    b'manifest:full-path="content.xml"',
    b'manifest:full-path="content.xml" manifest:size="1000"><manifest:encryption-data '
    b'manifest:checksum-type="SHA1/1K" manifest:checksum="AAAA"/></manifest:file-entry'
    b'><manifest:file-entry manifest:media-type="" manifest:full-path="x"', 1)
package("encrypted.odt", dict(rest, **{"META-INF/manifest.xml": manifest,
                                      "content.xml": bytes(range(256)) * 4}))
# A ZIP bomb: content.xml inflates far past the cap on one part.
with zipfile.ZipFile(f"{out}/bomb.odt", "w", zipfile.ZIP_DEFLATED) as z:
    z.writestr("mimetype", ODT, compress_type=zipfile.ZIP_STORED)
    head = b'<?xml version="1.0"?><office:document-content xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"><office:body><office:text>'
    with z.open("content.xml", "w", force_zip64=True) as f:
        f.write(head)
        block = b" " * (1 << 20)
        for _ in range(80):
            f.write(block)
# Deep nesting and a flood of repeated cells.
deep = (b'<?xml version="1.0"?><office:document-content '
        b'xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" '
        b'xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"><office:body><office:text>'
        + b"<text:span>" * 5000 + b"</text:span>" * 5000 + b"</office:text></office:body></office:document-content>")
package("deep.odt", dict(rest, **{"content.xml": deep}))
cells = (b'<?xml version="1.0"?><office:document-content '
         b'xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" '
         b'xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" '
         b'xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"><office:body><office:text>'
         b'<table:table><table:table-row table:number-rows-repeated="1000000">'
         b'<table:table-cell table:number-columns-repeated="1000000"><text:p>x</text:p>'
         b'</table:table-cell></table:table-row></table:table>'
         b'<text:p>After the table</text:p></office:text></office:body></office:document-content>')
package("repeated.odt", dict(rest, **{"content.xml": cells}))
