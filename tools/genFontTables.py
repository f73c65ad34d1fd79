#!/usr/bin/env python3
"""Builds src/pdfwriter/PDFFontTables.c: widths, remapping tables and descriptor
values of the built-in fonts, from the metric-compatible AFM files installed by
the fonts-urw-base35 package.

Usage: tools/genFontTables.py [AFM directory] > src/pdfwriter/PDFFontTables.c
"""
import os
import sys

AFM_DIR = sys.argv[1] if len(sys.argv) > 1 else "/usr/share/fonts/type1/urw-base35"

# Positions 0..44 of the built-in font list and the AFM file that gives their metrics.
FONTS = [
    ("Helvetica", "NimbusSans-Regular"), ("Helvetica-Bold", "NimbusSans-Bold"),
    ("Helvetica-Oblique", "NimbusSans-Italic"), ("Helvetica-BoldOblique", "NimbusSans-BoldItalic"),
    ("Times-Roman", "NimbusRoman-Regular"), ("Times-Bold", "NimbusRoman-Bold"),
    ("Times-Italic", "NimbusRoman-Italic"), ("Times-BoldItalic", "NimbusRoman-BoldItalic"),
    ("Courier", "NimbusMonoPS-Regular"), ("Courier-Bold", "NimbusMonoPS-Bold"),
    ("Courier-Oblique", "NimbusMonoPS-Italic"), ("Courier-BoldOblique", "NimbusMonoPS-BoldItalic"),
    ("Symbol", "StandardSymbolsPS"), ("ZapfDingbats", "D050000L"),
    ("AvantGarde-Book", "URWGothic-Book"), ("AvantGarde-BookOblique", "URWGothic-BookOblique"),
    ("AvantGarde-Demi", "URWGothic-Demi"), ("AvantGarde-DemiOblique", "URWGothic-DemiOblique"),
    ("Bookman-Demi", "URWBookman-Demi"), ("Bookman-DemiItalic", "URWBookman-DemiItalic"),
    ("Bookman-Light", "URWBookman-Light"), ("Bookman-LightItalic", "URWBookman-LightItalic"),
    ("Helvetica-Narrow", "NimbusSansNarrow-Regular"),
    ("Helvetica-Narrow-Oblique", "NimbusSansNarrow-Oblique"),
    ("Helvetica-Narrow-Bold", "NimbusSansNarrow-Bold"),
    ("Helvetica-Narrow-BoldOblique", "NimbusSansNarrow-BoldOblique"),
    ("NewCenturySchlbk-Roman", "C059-Roman"), ("NewCenturySchlbk-Italic", "C059-Italic"),
    ("NewCenturySchlbk-Bold", "C059-Bold"), ("NewCenturySchlbk-BoldItalic", "C059-BdIta"),
    ("Palatino-Roman", "P052-Roman"), ("Palatino-Italic", "P052-Italic"),
    ("Palatino-Bold", "P052-Bold"), ("Palatino-BoldItalic", "P052-BoldItalic"),
    ("ZapfChancery-MediumItalic", "Z003-MediumItalic"),
    # Condensed rows: narrow metrics with their own space, A and a.
    ("Helvetica-Condensed", "NimbusSansNarrow-Regular"),
    ("Helvetica-Condensed-Bold", "NimbusSansNarrow-Bold"),
    ("Helvetica-Condensed-Oblique", "NimbusSansNarrow-Oblique"),
    ("Helvetica-Condensed-BoldObl", "NimbusSansNarrow-BoldOblique"),
    ("OPDF-Monospace", None), ("OPDF-SmallCap", "NimbusRoman-Regular"),
    ("Arial", "NimbusSans-Regular"), ("Arial-Bold", "NimbusSans-Bold"),
    ("Arial-Italic", "NimbusSans-Italic"), ("Arial-BoldItalic", "NimbusSans-BoldItalic"),
]

LATIN1 = ("space exclamdown cent sterling currency yen brokenbar section dieresis copyright "
          "ordfeminine guillemotleft logicalnot hyphen registered macron degree plusminus "
          "twosuperior threesuperior acute mu paragraph periodcentered cedilla onesuperior "
          "ordmasculine guillemotright onequarter onehalf threequarters questiondown Agrave "
          "Aacute Acircumflex Atilde Adieresis Aring AE Ccedilla Egrave Eacute Ecircumflex "
          "Edieresis Igrave Iacute Icircumflex Idieresis Eth Ntilde Ograve Oacute Ocircumflex "
          "Otilde Odieresis multiply Oslash Ugrave Uacute Ucircumflex Udieresis Yacute Thorn "
          "germandbls agrave aacute acircumflex atilde adieresis aring ae ccedilla egrave eacute "
          "ecircumflex edieresis igrave iacute icircumflex idieresis eth ntilde ograve oacute "
          "ocircumflex otilde odieresis divide oslash ugrave uacute ucircumflex udieresis yacute "
          "thorn ydieresis").split()
WIN_80 = ("Euro - quotesinglbase florin quotedblbase ellipsis dagger daggerdbl circumflex "
          "perthousand Scaron guilsinglleft OE - Zcaron - - quoteleft quoteright quotedblleft "
          "quotedblright bullet endash emdash tilde trademark scaron guilsinglright oe - zcaron "
          "Ydieresis").split()
MAC_80 = ("Adieresis Aring Ccedilla Eacute Ntilde Odieresis Udieresis aacute agrave acircumflex "
          "adieresis atilde aring ccedilla eacute egrave ecircumflex edieresis iacute igrave "
          "icircumflex idieresis ntilde oacute ograve ocircumflex odieresis otilde uacute ugrave "
          "ucircumflex udieresis dagger degree cent sterling section bullet paragraph germandbls "
          "registered copyright trademark acute dieresis notequal AE Oslash infinity plusminus "
          "lessequal greaterequal yen mu partialdiff summation product pi integral ordfeminine "
          "ordmasculine Omega ae oslash questiondown exclamdown logicalnot radical florin "
          "approxequal Delta guillemotleft guillemotright ellipsis space Agrave Atilde Otilde OE "
          "oe endash emdash quotedblleft quotedblright quoteleft quoteright divide lozenge "
          "ydieresis Ydieresis fraction currency guilsinglleft guilsinglright fi fl daggerdbl "
          "periodcentered quotesinglbase quotedblbase perthousand Acircumflex Ecircumflex Aacute "
          "Edieresis Egrave Iacute Icircumflex Idieresis Igrave Oacute Ocircumflex apple Ograve "
          "Uacute Ucircumflex Ugrave dotlessi circumflex tilde macron breve dotaccent ring "
          "cedilla hungarumlaut ogonek caron").split()
# Glyphs that WinAnsiEncoding lacks, in slots 256..268.
EXTRA = ("Lslash lslash dotlessi fraction breve fi fl dotaccent ring hungarumlaut ogonek "
         "caron lozenge").split()


def read_afm(name):
    metrics = {"codes": {}, "widths": {}, "bbox": {}, "head": {}}
    with open(os.path.join(AFM_DIR, name + ".afm"), encoding="latin-1") as f:
        in_chars = False
        for line in f:
            line = line.strip()
            if line.startswith("StartCharMetrics"):
                in_chars = True
                continue
            if line.startswith("EndCharMetrics"):
                in_chars = False
                continue
            if not in_chars:
                parts = line.split(None, 1)
                if len(parts) == 2:
                    metrics["head"][parts[0]] = parts[1]
                continue
            fields = {}
            for item in line.split(";"):
                item = item.strip().split()
                if item:
                    fields[item[0]] = item[1:]
            glyph = fields["N"][0]
            metrics["widths"][glyph] = int(round(float(fields["WX"][0])))
            metrics["bbox"][glyph] = [int(round(float(v))) for v in fields["B"]]
            code = int(fields["C"][0])
            if code >= 0:
                metrics["codes"][code] = glyph
    return metrics


def encodings(std):
    ascii_names = {}
    for code, glyph in std.items():
        if 32 <= code <= 126:
            ascii_names[code] = glyph
    win = {c: ascii_names.get(c) for c in range(32, 127)}
    win[0x27] = "quotesingle"
    win[0x60] = "grave"
    for i, g in enumerate(WIN_80):
        if g != "-":
            win[0x80 + i] = g
    for i, g in enumerate(LATIN1):
        win[0xA0 + i] = g
    mac = {c: win[c] for c in range(32, 127)}
    for i, g in enumerate(MAC_80):
        mac[0x80 + i] = g
    return win, mac


def width_row(pos, name, afm, win, helv_narrow=None):
    row = [0] * 269
    if afm is None:  # OPDF-Monospace
        row = [400] * 269
        for c in range(1, 32):
            row[c] = 0
        return row
    w = afm["widths"]
    if name in ("Symbol", "ZapfDingbats"):
        for code, glyph in afm["codes"].items():
            if 0 <= code < 256:
                row[code] = w[glyph]
        row[0] = 250 if name == "ZapfDingbats" else w["space"]
        for c in range(1, 32):
            row[c] = 0
        return row
    for code, glyph in win.items():
        if glyph and glyph in w:
            row[code] = w[glyph]
    for i, glyph in enumerate(EXTRA):
        row[256 + i] = w.get(glyph, 0)
    if name.startswith("Helvetica-Condensed"):
        row[32] = 250
        row[ord("A")] = 556
        row[ord("a")] = 444
    if name == "OPDF-SmallCap":
        caps = [524, 484, 484, 524, 443, 403, 524, 524, 241, 282, 524, 443, 645, 524, 524, 403,
                524, 484, 403, 443, 524, 524, 684, 524, 524, 443]
        for i, v in enumerate(caps):
            row[ord("a") + i] = v
    space, bullet, hyphen = row[32], w.get("bullet", 0), w.get("hyphen", 0)
    row[0] = space
    for c in range(1, 32):
        row[c] = 0
    for c in (127, 129, 141, 143, 144, 157):
        row[c] = bullet
    row[160] = space
    row[173] = hyphen
    if 4 <= pos <= 7 or name == "OPDF-SmallCap":
        row[128] = 500
    elif 8 <= pos <= 11:
        row[128] = 600
    else:
        row[128] = 558
    return row


def descriptor(pos, name, afm, row):
    if afm is None:
        return dict(ascent=750, cap=700, descent=-250, flags=33, bbox=[0, -250, 400, 750],
                    italic=0.0, stemv=80, xheight=500, stemh=60, missing=400, leading=0,
                    maxw=400, avgw=400)
    h = afm["head"]
    bb = afm["bbox"]
    bbox = [int(v) for v in h["FontBBox"].split()]
    tops = [bb[g][3] for g in ("b", "d", "h", "k", "l") if g in bb]
    bottoms = [bb[g][1] for g in ("g", "j", "p", "q", "y") if g in bb]
    ascent = max(tops) if tops else bbox[3]
    descent = min(bottoms) if bottoms else bbox[1]
    italic = float(h.get("ItalicAngle", "0"))
    fixed = h.get("IsFixedPitch", "false") == "true"
    weight = h.get("Weight", "").lower()
    bold = any(k in weight for k in ("bold", "demi"))
    symbolic = name in ("Symbol", "ZapfDingbats")
    serif = not any(k in name for k in ("Helvetica", "AvantGarde", "Arial", "Courier")) \
        and not symbolic
    flags = (1 if fixed else 0) | (2 if serif else 0) | (4 if symbolic else 32) \
        | (64 if italic != 0 or "Italic" in name or "Oblique" in name else 0)
    if name == "OPDF-SmallCap":
        flags = 131106
    cap = int(h.get("CapHeight", ascent))
    xh = int(h.get("XHeight", 0))
    stemv = 140 if bold else 80
    used = [v for v in row[32:256] if v > 0]
    d = dict(ascent=ascent, cap=cap, descent=descent, flags=flags, bbox=bbox, italic=italic,
             stemv=stemv, xheight=xh, stemh=stemv * 3 // 4, missing=0, leading=0,
             maxw=max(used) if used else 0, avgw=sum(used) // len(used) if used else 0)
    if name == "AvantGarde-Book":
        d.update(ascent=740, cap=740, descent=-192, flags=32, bbox=[-113, -222, 1148, 955],
                 stemv=70, xheight=547)
    if symbolic:
        d["cap"] = d["cap"] or ascent
    return d


def main():
    helv = read_afm("NimbusSans-Regular")
    std = {c: g for c, g in helv["codes"].items()}
    win, mac = encodings(std)
    slot = {}
    for code in range(255, 31, -1):
        g = win.get(code)
        if g:
            slot.setdefault(g, code)
    for c in range(32, 256):
        if win.get(c):
            slot[win[c]] = c
    for i, g in enumerate(EXTRA):
        slot[g] = 256 + i
    slot["space"] = 32
    slot["hyphen"] = 45

    def remap(enc):
        return [slot.get(enc.get(c), 0) if c >= 32 else 0 for c in range(256)]

    mac_remap = remap(mac)
    std_remap = remap(std)
    rows, descs = [], []
    for pos, (name, afm_name) in enumerate(FONTS):
        afm = read_afm(afm_name) if afm_name else None
        row = width_row(pos, name, afm, win)
        rows.append(row)
        descs.append(descriptor(pos, name, afm, row))

    out = sys.stdout
    out.write("/* Generated by tools/genFontTables.py from metric-compatible AFM files; do not edit. */\n")
    out.write('#include "opdfFonts.h"\n\n')
    out.write("const uint16_t _opdf_builtinWidths[OPDF_BUILTIN_METRIC_FONTS][OPDF_WIDTH_SLOTS] = {\n")
    for (name, _), row in zip(FONTS, rows):
        out.write("    /* %s */\n    {" % name)
        for i, v in enumerate(row):
            if i % 16 == 0:
                out.write("\n        ")
            out.write("%d," % v)
        out.write("\n    },\n")
    out.write("};\n\n")
    for label, table in (("MacRoman", mac_remap), ("MacExpert", list(range(256))),
                         ("Standard", std_remap)):
        out.write("static const uint16_t k%sRemap[256] = {" % label)
        for i, v in enumerate(table):
            if i % 16 == 0:
                out.write("\n    ")
            out.write("%d," % v)
        out.write("\n};\n\n")
    out.write("const uint16_t* const _opdf_remapTables[4] = {NULL, kMacRomanRemap, "
              "kMacExpertRemap, kStandardRemap};\n\n")
    out.write("const PDFBuiltinDescriptor _opdf_builtinDescriptors[OPDF_BUILTIN_METRIC_FONTS] = {\n")
    for (name, _), d in zip(FONTS, descs):
        out.write("    {%d, %d, %d, %d, {%d, %d, %d, %d}, %.1ff, %d, %d, %d, %d, %d, %d, %d}, /* %s */\n"
                  % (d["ascent"], d["cap"], d["descent"], d["flags"], *d["bbox"], d["italic"],
                     d["stemv"], d["xheight"], d["stemh"], d["missing"], d["leading"],
                     d["maxw"], d["avgw"], name))
    out.write("};\n")


if __name__ == "__main__":
    main()
