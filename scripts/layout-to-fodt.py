#!/usr/bin/env python3
"""Writes a Flat ODF text document from a small layout description, so the
title fixtures can say in a few lines how a page looks.

    layout-to-fodt.py IN.layout OUT.fodt

A layout is one instruction per line ('#' starts a comment line):

    header TEXT               the page header of every page
    first-header TEXT         a header on the first page only (a page style
                              of its own), the others get `header`
    footer TEXT               the page footer
    property title TEXT       the document's Title property
    p [OPTIONS] : TEXT        a paragraph
    empty                     an empty paragraph
    pagebreak                 the next paragraph starts a new page
    table                     a table; each following `row` line is a row,
    row CELL | CELL | ...     its cells separated by ' | ' (each cell one
    end                       paragraph; a cell may be empty)
    box [OPTIONS] : TEXT      a text box anchored in the next paragraph

OPTIONS: center, right, bold, red, size=N (points), style=NAME (Title,
Subtitle, Heading 1..3, List Paragraph, Contents Heading, Contents 1).
In TEXT, '\\n' is a manual line break and '\\t' a tab; [[PIC]] is a small
picture drawn as a frame.
"""
import html
import re
import sys

NS = ('xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" '
      'xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0" '
      'xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" '
      'xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" '
      'xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0" '
      'xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0" '
      'xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0" '
      'xmlns:dc="http://purl.org/dc/elements/1.1/" '
      'xmlns:meta="urn:oasis:names:tc:opendocument:xmlns:meta:1.0" '
      'xmlns:xlink="http://www.w3.org/1999/xlink"')

NAMED = {
    'Title': ('Title', 'center', 26, True, None),
    'Subtitle': ('Subtitle', 'center', 16, False, None),
    'Heading 1': ('Heading_20_1', None, 16, True, 1),
    'Heading 2': ('Heading_20_2', None, 14, True, 2),
    'Heading 3': ('Heading_20_3', None, 13, True, 3),
    'List Paragraph': ('List_20_Paragraph', None, None, False, None),
    'Contents Heading': ('Contents_20_Heading', None, 16, True, None),
    'Contents 1': ('Contents_20_1', None, None, False, None),
}


def fail(msg):
    sys.exit('layout-to-fodt: ' + msg)


def parse_options(opts):
    o = {'align': None, 'bold': False, 'red': False, 'size': None, 'style': None}
    for tok in re.findall(r'style=[^=]+?(?=\s+\w+=|\s+(?:center|right|bold|red)\b|$)|\S+', opts.strip()):
        if tok in ('center', 'right'):
            o['align'] = tok
        elif tok == 'bold':
            o['bold'] = True
        elif tok == 'red':
            o['red'] = True
        elif tok.startswith('size='):
            o['size'] = float(tok[5:])
        elif tok.startswith('style='):
            name = tok[6:].strip()
            if name not in NAMED:
                fail('unknown style ' + name)
            o['style'] = name
        else:
            fail('unknown option ' + tok)
    return o


class Doc:
    def __init__(self):
        self.auto = []      # automatic paragraph styles
        self.keys = {}
        self.body = []
        self.header = self.first_header = self.footer = None
        self.title = None
        self.pending_break = False
        self.pending_boxes = []
        self.frames = 0
        self.first_par = True

    def pstyle(self, o, brk):
        parent = NAMED[o['style']][0] if o['style'] else 'Standard'
        master = 'First_20_Page' if self.first_par and self.first_header is not None else None
        key = (parent, o['align'], o['bold'], o['red'], o['size'], brk, master)
        if key in self.keys:
            return self.keys[key]
        name = 'P%d' % (len(self.auto) + 1)
        pp = []
        if o['align']:
            pp.append('fo:text-align="%s"' % o['align'])
        if brk:
            pp.append('fo:break-before="page"')
        tp = []
        if o['size']:
            tp.append('fo:font-size="%gpt" style:font-size-asian="%gpt"' % (o['size'], o['size']))
        if o['bold']:
            tp.append('fo:font-weight="bold" style:font-weight-asian="bold"')
        if o['red']:
            tp.append('fo:color="#ff0000"')
        s = '<style:style style:name="%s" style:family="paragraph" style:parent-style-name="%s"%s>' % (
            name, parent, ' style:master-page-name="%s"' % master if master else '')
        if pp:
            s += '<style:paragraph-properties %s/>' % ' '.join(pp)
        if tp:
            s += '<style:text-properties %s/>' % ' '.join(tp)
        s += '</style:style>'
        self.auto.append(s)
        self.keys[key] = name
        return name

    def inline(self, text):
        out = []
        for part in re.split(r'(\\n|\\t|\[\[PIC\]\])', text):
            if part == '\\n':
                out.append('<text:line-break/>')
            elif part == '\\t':
                out.append('<text:tab/>')
            elif part == '[[PIC]]':
                self.frames += 1
                out.append('<draw:frame draw:name="Pic%d" text:anchor-type="as-char" svg:width="1cm" '
                           'svg:height="1cm"><draw:text-box><text:p/></draw:text-box></draw:frame>'
                           % self.frames)
            else:
                out.append(html.escape(part, quote=False))
        return ''.join(out)

    def boxes(self):
        out = []
        for o, text in self.pending_boxes:
            self.frames += 1
            style = self.pstyle(o, False)
            out.append('<draw:frame draw:name="Box%d" text:anchor-type="paragraph" svg:x="2cm" '
                       'svg:y="%dcm" svg:width="12cm" svg:height="2cm"><draw:text-box>'
                       '<text:p text:style-name="%s">%s</text:p></draw:text-box></draw:frame>'
                       % (self.frames, 1 + 3 * (self.frames - 1), style, self.inline(text)))
        self.pending_boxes = []
        return ''.join(out)

    def para(self, o, text, tag=None):
        style = self.pstyle(o, self.pending_break)
        self.pending_break = False
        self.first_par = False
        content = self.boxes() + self.inline(text)
        level = NAMED[o['style']][4] if o['style'] else None
        if level:
            return '<text:h text:style-name="%s" text:outline-level="%d">%s</text:h>' % (style, level, content)
        return '<text:p text:style-name="%s">%s</text:p>' % (style, content)


def cell_options(cell):
    """A cell is TEXT or OPTIONS : TEXT."""
    head, sep, text = cell.partition(' : ')
    words = head.split()
    if sep and words and all(w in ('center', 'right', 'bold', 'red') or w.startswith(('size=', 'style='))
                             for w in words):
        return parse_options(head), text.strip()
    return parse_options(''), cell.strip()


def convert(lines):
    d = Doc()
    for raw in lines:
        if raw.startswith('header '):
            d.header = raw[7:]
        elif raw.startswith('first-header '):
            d.first_header = raw[13:]
        elif raw.startswith('footer '):
            d.footer = raw[7:]
        elif raw.startswith('property title '):
            d.title = raw[15:]
    table = None
    for n, raw in enumerate(lines, 1):
        line = raw.rstrip('\n')
        if not line.strip() or line.lstrip().startswith('#'):
            continue
        if line.startswith(('header ', 'first-header ', 'footer ', 'property ')):
            continue
        if table is not None:
            if line.startswith('row'):
                cells = line[3:].strip().split(' | ')
                table.append(cells)
                continue
            if line.strip() == 'end':
                width = max(len(r) for r in table)
                x = ['<table:table table:name="T%d">' % n,
                     '<table:table-column table:number-columns-repeated="%d"/>' % width]
                for r in table:
                    x.append('<table:table-row>')
                    for c in r + [''] * (width - len(r)):
                        o, text = cell_options(c)
                        x.append('<table:table-cell office:value-type="string">%s</table:table-cell>'
                                 % d.para(o, text))
                    x.append('</table:table-row>')
                x.append('</table:table>')
                d.body.append(''.join(x))
                table = None
                continue
            fail('line %d: inside a table only row and end' % n)
        word = line.split()[0]
        if word == 'empty':
            d.body.append(d.para(parse_options(''), ''))
        elif word == 'pagebreak':
            d.pending_break = True
        elif word == 'table':
            table = []
        elif word in ('p', 'box'):
            if ':' not in line:
                fail('line %d: %s needs " : TEXT"' % (n, word))
            opts, text = line[len(word):].split(':', 1)
            o = parse_options(opts)
            text = text[1:] if text.startswith(' ') else text
            if word == 'box':
                d.pending_boxes.append((o, text))
            else:
                d.body.append(d.para(o, text))
        else:
            fail('line %d: unknown instruction %s' % (n, word))
    if d.pending_boxes:
        d.body.append(d.para(parse_options(''), ''))

    named = []
    for key, (sname, align, size, bold, level) in NAMED.items():
        s = '<style:style style:name="%s" style:display-name="%s" style:family="paragraph" ' \
            'style:parent-style-name="Standard"%s>' % (
                sname, key, ' style:default-outline-level="%d"' % level if level else '')
        if align:
            s += '<style:paragraph-properties fo:text-align="%s"/>' % align
        tp = []
        if size:
            tp.append('fo:font-size="%gpt" style:font-size-asian="%gpt"' % (size, size))
        if bold:
            tp.append('fo:font-weight="bold" style:font-weight-asian="bold"')
        if tp:
            s += '<style:text-properties %s/>' % ' '.join(tp)
        named.append(s + '</style:style>')

    def hf(tag, text):
        return '<style:%s><text:p>%s</text:p></style:%s>' % (tag, d.inline(text), tag) if text is not None else ''

    masters = ['<style:master-page style:name="Standard" style:page-layout-name="pm1">%s%s</style:master-page>'
               % (hf('header', d.header), hf('footer', d.footer))]
    if d.first_header is not None:
        masters.append('<style:master-page style:name="First_20_Page" style:display-name="First Page" '
                       'style:page-layout-name="pm1" style:next-style-name="Standard">%s%s</style:master-page>'
                       % (hf('header', d.first_header), hf('footer', d.footer)))
    meta = '<office:meta><dc:title>%s</dc:title></office:meta>' % html.escape(d.title) if d.title else ''
    return ('<?xml version="1.0" encoding="UTF-8"?>\n<office:document %s office:version="1.3" '
            'office:mimetype="application/vnd.oasis.opendocument.text">\n%s'
            '<office:styles><style:default-style style:family="paragraph"><style:text-properties '
            'fo:font-size="12pt" style:font-size-asian="12pt"/></style:default-style>'
            '<style:style style:name="Standard" style:family="paragraph" style:class="text"/>%s</office:styles>\n'
            '<office:automatic-styles>%s<style:page-layout style:name="pm1"/></office:automatic-styles>\n'
            '<office:master-styles>%s</office:master-styles>\n'
            '<office:body><office:text>\n%s\n</office:text></office:body></office:document>\n'
            % (NS, meta, ''.join(named), ''.join(d.auto), ''.join(masters), '\n'.join(d.body)))


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    with open(sys.argv[1], encoding='utf-8') as f:
        lines = f.read().split('\n')
    out = convert(lines)
    with open(sys.argv[2], 'w', encoding='utf-8') as f:
        f.write(out)


if __name__ == '__main__':
    main()
