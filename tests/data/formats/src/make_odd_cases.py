#!/usr/bin/env python3
"""Writes the hand-made odd and broken .docx packages next to the exports."""
import os
import struct
import sys
import zipfile
import zlib

out = sys.argv[1]
W = 'xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main" ' \
    'xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships" ' \
    'xmlns:mc="http://schemas.openxmlformats.org/markup-compatibility/2006" ' \
    'xmlns:wp="http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing" ' \
    'xmlns:m="http://schemas.openxmlformats.org/officeDocument/2006/math"'
CT = '<?xml version="1.0" encoding="UTF-8"?><Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">' \
     '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>' \
     '<Default Extension="xml" ContentType="application/xml"/></Types>'


def rels(main):
    return ('<?xml version="1.0" encoding="UTF-8"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
            f'<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="{main}"/>'
            '</Relationships>')


def docrels(items):
    s = '<?xml version="1.0" encoding="UTF-8"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
    for rid, kind, target in items:
        s += f'<Relationship Id="{rid}" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/{kind}" Target="{target}"/>'
    return s + '</Relationships>'


def story(root, body):
    return f'<?xml version="1.0" encoding="UTF-8" standalone="yes"?><w:{root} {W}>{body}</w:{root}>'


def p(*runs, ppr=''):
    return f'<w:p>{ppr}{"".join(runs)}</w:p>'


def r(text):
    return f'<w:r><w:t xml:space="preserve">{text}</w:t></w:r>'


def write(name, parts, compression=zipfile.ZIP_DEFLATED):
    with zipfile.ZipFile(os.path.join(out, name), 'w', compression) as z:
        for part, data in parts:
            # A fixed time keeps the output identical from run to run.
            z.writestr(zipfile.ZipInfo(part, date_time=(2020, 1, 1, 0, 0, 0)), data, compress_type=compression)


# Everything a body can hold, in a package whose main part has an unusual name.
odd_body = (
    '<w:body>'
    # 1: complex fields nested in a result and in a code, simple field, sym, hyphens
    + p(r('A'),
        '<w:r><w:fldChar w:fldCharType="begin"/></w:r><w:r><w:instrText>REF x</w:instrText></w:r>'
        '<w:r><w:fldChar w:fldCharType="begin"/></w:r><w:r><w:instrText>QUOTE</w:instrText></w:r>'
        '<w:r><w:fldChar w:fldCharType="separate"/></w:r>' + r('code-hidden') +
        '<w:r><w:fldChar w:fldCharType="end"/></w:r>'
        '<w:r><w:fldChar w:fldCharType="separate"/></w:r>' + r('B') +
        '<w:r><w:fldChar w:fldCharType="begin"/></w:r><w:r><w:instrText>PAGE</w:instrText></w:r>'
        '<w:r><w:fldChar w:fldCharType="separate"/></w:r>' + r('7') +
        '<w:r><w:fldChar w:fldCharType="end"/></w:r>'
        '<w:r><w:fldChar w:fldCharType="end"/></w:r>',
        '<w:fldSimple w:instr=" AUTHOR "><w:r><w:t>C</w:t></w:r></w:fldSimple>',
        '<w:r><w:noBreakHyphen/><w:softHyphen/><w:sym w:font="Wingdings" w:char="F04A"/><w:cr/></w:r>',
        ppr='<w:pPr><w:tabs><w:tab w:val="left" w:pos="720"/></w:tabs></w:pPr>')
    # 2: tracked changes, structured document tag, smart tag, text box, alternate content
    + p(r('keep'), '<w:ins w:id="1"><w:r><w:t>+ins</w:t></w:r></w:ins>',
        '<w:del w:id="2"><w:r><w:delText>-del</w:delText></w:r></w:del>',
        '<w:sdt><w:sdtPr><w:alias w:val="not text"/></w:sdtPr><w:sdtContent><w:r><w:t>+sdt</w:t></w:r></w:sdtContent></w:sdt>',
        '<w:smartTag w:element="x"><w:r><w:t>+tag</w:t></w:r></w:smartTag>',
        '<w:r><mc:AlternateContent><mc:Choice Requires="wps"><w:drawing><wp:anchor><w:txbxContent><w:p><w:r><w:t>boxed</w:t></w:r></w:p></w:txbxContent></wp:anchor></w:drawing></mc:Choice>'
        '<mc:Fallback><w:pict><w:txbxContent><w:p><w:r><w:t>boxed</w:t></w:r></w:p></w:txbxContent></w:pict></mc:Fallback></mc:AlternateContent></w:r>',
        '<w:r><w:br w:type="page"/><w:t>x</w:t><w:br/></w:r>')
    # 3+4: a deleted paragraph mark joins two paragraphs
    + p(r('joined '), ppr='<w:pPr><w:rPr><w:del w:id="3"/></w:rPr></w:pPr>')
    + p(r('paragraph'))
    # a table whose second cell holds a nested table
    + '<w:tbl><w:tblPr><w:tblStyle w:val="x"/></w:tblPr><w:tblGrid><w:gridCol/></w:tblGrid>'
      '<w:tr><w:tc><w:tcPr/>' + p(r('outer 1')) + '</w:tc>'
      '<w:tc>' + p(r('before inner'))
    + '<w:tbl><w:tr><w:tc>' + p(r('inner')) + '</w:tc></w:tr></w:tbl>'
    + p() + '</w:tc></w:tr></w:tbl>'
    + p('<m:oMath><m:r><m:t>x=1</m:t></m:r></m:oMath>')
    + p(r('section one ends'), ppr='<w:pPr><w:sectPr><w:headerReference w:type="first" r:id="rIdH2"/>'
        '<w:headerReference w:type="default" r:id="rIdH1"/><w:titlePg/></w:sectPr></w:pPr>')
    + p(r('last'))
    + '<w:sectPr><w:footerReference w:type="default" r:id="rIdF1"/><w:headerReference w:type="even" r:id="rIdMissing"/></w:sectPr>'
    '</w:body>')
write('odd.docx', [
    ('[Content_Types].xml', CT),
    ('_rels/.rels', rels('/word/main.xml')),
    ('word/main.xml', story('document', odd_body)),
    ('word/_rels/main.xml.rels', docrels([('rIdH1', 'header', 'header1.xml'), ('rIdH2', 'header', 'sub/../header2.xml'),
                                          ('rIdF1', 'footer', 'footer1.xml'), ('rIdMissing', 'header', 'nothere.xml')])),
    ('word/header1.xml', story('hdr', p(r('Head one')) + p(r('Head two')))),
    ('word/header2.xml', story('hdr', p(r('First page head')))),
    ('word/footer1.xml', story('ftr', '<w:tbl><w:tr><w:tc>' + p(r('F')) + '</w:tc></w:tr></w:tbl>' + p())),
])

# A ZIP that is no Word document, and one whose package points elsewhere.
write('nodocxml.docx', [('[Content_Types].xml', CT), ('readme.txt', 'just text')])
write('notword.docx', [('[Content_Types].xml', CT), ('_rels/.rels', rels('xl/workbook.xml')),
                       ('xl/workbook.xml', '<workbook/>')])
# word/document.xml whose root is something else entirely.
write('wrongroot.docx', [('word/document.xml', '<?xml version="1.0"?><html><body>x</body></html>')])

# Cut off in the middle of the second paragraph.
full = story('document', '<w:body>' + p(r('Intact first')) + p(r('Second is cut')) + '</w:body>')
write('truncated.docx', [('word/document.xml', full[:full.index('Second is') + 6])])

# A DTD with entity expansion is refused.
write('dtd.docx', [('word/document.xml',
                    '<?xml version="1.0"?><!DOCTYPE w:document [<!ENTITY a "aaaaaaaaaa"><!ENTITY b "&a;&a;&a;&a;&a;&a;&a;&a;">]>'
                    f'<w:document {W}><w:body><w:p><w:r><w:t>&b;</w:t></w:r></w:p></w:body></w:document>')])

# ZIP bombs: 80 MiB of spaces inside the body, honestly declared and with
# sizes that lie (declared 1 KiB).
big = story('document', '<w:body>' + ' ' * (80 << 20) + p(r('never reached')) + '</w:body>').encode()
write('bomb.docx', [('word/document.xml', big)])
z = zipfile.ZipFile(os.path.join(out, 'bomb.docx'))
info = z.getinfo('word/document.xml')
z.close()
data = bytearray(open(os.path.join(out, 'bomb.docx'), 'rb').read())
real = struct.pack('<I', info.file_size)
fake = struct.pack('<I', 1024)
# local header: uncompressed size at offset 22; central directory: at 24.
lh = info.header_offset
assert data[lh + 22:lh + 26] == real
data[lh + 22:lh + 26] = fake
cd = data.rfind(b'PK\x01\x02')
assert data[cd + 24:cd + 28] == real
data[cd + 24:cd + 28] = fake
open(os.path.join(out, 'bomb-lying.docx'), 'wb').write(bytes(data))


# ------------------------------------------------------------ web pages

def save(name, data):
    path = os.path.join(out, name)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    open(path, 'wb').write(data)


# A page in GBK that declares gb2312 (pages routinely do), and one that
# declares nothing.
save('gbk.html', ('<html><head><meta http-equiv="Content-Type" content="text/html; charset=gb2312">'
                  '<title>不是标题</title><script>var x = "<p>不是</p>";</script></head>'
                  '<body><h1>关于印发《管理办法》的通知</h1><p>各部门：&nbsp;现将有关事项通知如下。</p></body></html>').encode('gbk'))
save('gbk-undeclared.html', '<html><body><p>第一章 总则</p></body></html>'.encode('gbk'))

# Word's HTML: a header and footer in a file of their own beside the page,
# list numbers behind <![if !supportLists]>, a field behind conditional comments.
WORD_CSS = ('<style><!--\n p.MsoNormal {margin:0cm;}\n'
            '@page WordSection1 {size:595.3pt 841.9pt; mso-header-margin:42.55pt; '
            'mso-header:url("{files}/header.htm") h1; mso-footer:url("{files}/header.htm") f1;}\n'
            'div.WordSection1 {page:WordSection1;}\n--></style>')
WORD_BODY = ('<body lang=ZH-CN><div class=WordSection1>'
             '<p class=MsoListParagraph><![if !supportLists]><span>1.<span>&nbsp;&nbsp; </span></span><![endif]>'
             '年度总结报告<o:p></o:p></p>'
             '<p class=MsoNormal>第<!--[if supportFields]><span style=\'mso-element:field-begin\'></span> PAGE '
             '<span style=\'mso-element:field-separator\'></span><![endif]-->3<!--[if supportFields]>'
             '<span style=\'mso-element:field-end\'></span><![endif]-->页</p>'
             '<p class=MsoNormal><o:p>&nbsp;</o:p></p></div></body>')
HEADER_FILE = ('<html><head><meta http-equiv=Content-Type content="text/html; charset=gb2312"></head><body lang=ZH-CN>'
               '<div style=\'mso-element:header\' id=h1><p class=MsoHeader>公司内部文件</p></div>'
               '<div style=\'mso-element:footer\' id=f1><p class=MsoFooter>第二行页脚</p></div></body></html>')
page = ('<html xmlns:o="urn:schemas-microsoft-com:office:office" xmlns:w="urn:schemas-microsoft-com:office:word">'
        '<head><meta http-equiv=Content-Type content="text/html; charset=gb2312">'
        + WORD_CSS.replace('{files}', 'report_files') + '</head>' + WORD_BODY + '</html>')
save('report.htm', page.encode('gbk'))
save('report_files/header.htm', HEADER_FILE.encode('gbk'))


def qp(data):
    import quopri
    return quopri.encodestring(data).decode('ascii')


mht_page = page.replace('report_files', 'report.files')
mht = ('MIME-Version: 1.0\r\n'
       'Content-Type: multipart/related; boundary="----=_NextPart_01D0000"\r\n\r\n'
       'This document is a Single File Web Page, also known as a Web Archive file.\r\n\r\n'
       '------=_NextPart_01D0000\r\nContent-Location: file:///C:/report.htm\r\n'
       'Content-Transfer-Encoding: quoted-printable\r\nContent-Type: text/html; charset="gb2312"\r\n\r\n'
       + qp(mht_page.encode('gbk')).replace('\n', '\r\n') + '\r\n\r\n'
       '------=_NextPart_01D0000\r\nContent-Location: file:///C:/report.files/header.htm\r\n'
       'Content-Transfer-Encoding: base64\r\nContent-Type: text/html; charset="gb2312"\r\n\r\n')
import base64
mht += base64.encodebytes(HEADER_FILE.encode('gbk')).decode('ascii').replace('\n', '\r\n')
mht += '\r\n------=_NextPart_01D0000--\r\n'
save('report.mht', mht.encode('ascii'))

# Imported chunks (w:altChunk), as web systems write "Word files": an MHT
# page and an RTF fragment that Word converts in place.
chunk_mht = ('MIME-Version: 1.0\r\nContent-Type: multipart/related; type="text/html"; boundary="--b--"\r\n\r\n'
             '----b--\r\nContent-Location: file:///C:/fake/document.html\r\n'
             'Content-Transfer-Encoding: base64\r\nContent-Type: text/html; charset="utf-8"\r\n\r\n'
             + base64.encodebytes('<!DOCTYPE html><html><head><title>t</title></head><body>'
                                  '<h1>导出的标题</h1><p>Chunk second</p></body></html>'.encode('utf-8')).decode('ascii')
             + '\r\n----b----\r\n')
write('altchunk.docx', [
    ('[Content_Types].xml', CT),
    ('_rels/.rels', rels('word/document.xml')),
    ('word/document.xml', story('document', '<w:body><w:altChunk r:id="htmlChunk"/><w:altChunk r:id="rtfChunk"/>'
                                + '<w:altChunk r:id="missing"/>' + p(r('after')) + '<w:sectPr/></w:body>')),
    ('word/_rels/document.xml.rels', docrels([('htmlChunk', 'aFChunk', 'afchunk.mht'),
                                              ('rtfChunk', 'aFChunk', 'chunk2.rtf')])),
    ('word/afchunk.mht', chunk_mht),
    ('word/chunk2.rtf', '{\\rtf1\\ansi RTF chunk\\par}'),
])
