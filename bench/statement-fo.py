#!/usr/bin/env python3
"""Writes an XSL-FO document of N statement pages to standard output: running
text in three families and sizes, with underlined, coloured and turned
passages. Usage: statement-fo.py PAGES"""
import sys

pages = int(sys.argv[1])
words = ("invoice statement account balance payment reference customer order "
         "delivery amount total period service charge").split()
out = ['<?xml version="1.0" encoding="UTF-8"?>',
       '<fo:root xmlns:fo="http://www.w3.org/1999/XSL/Format">',
       '<fo:layout-master-set><fo:simple-page-master master-name="a4" page-width="210mm" '
       'page-height="297mm" margin="15mm"><fo:region-body/></fo:simple-page-master></fo:layout-master-set>',
       '<fo:page-sequence master-reference="a4"><fo:flow flow-name="xsl-region-body" font-family="Helvetica" font-size="10pt">']
for p in range(pages):
    brk = ' break-before="page"' if p else ''
    out.append(f'<fo:block{brk} font-size="14pt" font-weight="bold">Statement page {p + 1}</fo:block>')
    for line in range(40):
        text = ' '.join(words[(p + line + k) % len(words)] for k in range(12))
        family = ('Helvetica', 'Times', 'Courier')[line % 3]
        deco = ' text-decoration="underline"' if line % 10 == 0 else ''
        colour = ' color="#C00000"' if line % 7 == 0 else ''
        out.append(f'<fo:block font-family="{family}"{deco}{colour}>{line + 1:02d} {text} {p * 40 + line:08d}</fo:block>')
    out.append('<fo:block-container reference-orientation="90" width="30mm" height="20mm">'
               f'<fo:block>Turned note {p + 1}</fo:block></fo:block-container>')
out.append('</fo:flow></fo:page-sequence></fo:root>')
print('\n'.join(out))
