#!/usr/bin/env python3
"""Writes the code page files data/<CPGID>.cp and the font mapping definition
data/mapping.def.

Every code page file lists, for each graphic code point of a single-byte
EBCDIC code page, its GCGID, code point, Unicode value and Windows-1252 byte
("nomatch" when Windows-1252 has no byte for it). GCGIDs are taken from the
table of tools/make_gcgid2unicode.py (compiled from public code page
documentation, which lists the GCGID of each code point), extended here by
the euro sign of the code pages 1140-1148. Unicode values come from glibc
iconv; control code points (C0, C1, DEL) have no GCGID and are left out.

Usage: tools/make_codepages.py [output directory]   (default data/)
"""

import codecs
import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import make_gcgid2unicode  # noqa: E402  (the shared GCGID table)

# iconv name -> CPGID, for every shipped code page.
CODE_PAGES = make_gcgid2unicode.CODE_PAGES

GCGIDS = dict(make_gcgid2unicode.GCGIDS)
for other, value in make_gcgid2unicode.SAME_CHARACTER.items():
    GCGIDS[other] = GCGIDS[value]

# Glyph names for characters without a Windows-1252 byte, which the PDF
# output can reach only by name. The shipped code pages have none; a new
# code page that needs one stops the script until its name is added here.
GLYPH_NAMES = {
    # The system's fonts draw the overline with their macron glyph.
    0x203E: "macron",
}

SOURCE_NOTE = [
    "; GCGIDs: public code page documentation, which lists the GCGID of every",
    "; code point; Unicode values: glibc iconv; values: the Windows-1252 byte",
    "; of the character (\"nomatch\" without one).",
    "; Written by tools/make_codepages.py; edit the script, not this file.",
]


def unicode_table(codec):
    """Unicode value of each of the 256 bytes of a code page (iconv)."""
    result = subprocess.run(["iconv", "-f", codec, "-t", "UTF-32BE"], input=bytes(range(256)),
                            capture_output=True, check=False)
    if result.returncode == 0 and len(result.stdout) == 1024:
        return [int.from_bytes(result.stdout[4 * i:4 * i + 4], "big") for i in range(256)]
    return [make_gcgid2unicode.unicode_of(codec, b) for b in range(256)]


def is_control(value):
    return value is None or value < 0x20 or 0x7F <= value < 0xA0


def ansi_byte(value):
    try:
        encoded = codecs.encode(chr(value), "cp1252")
    except UnicodeEncodeError:
        return None
    return encoded[0] if len(encoded) == 1 else None


def code_page_file(codec, number):
    lines = ["; Code page %d (%s): GCGID, code point, Unicode, Windows-1252 byte." % (number, codec)]
    lines += SOURCE_NOTE
    lines.append(".notdef 3F 001A")
    for byte, value in enumerate(unicode_table(codec)):
        if is_control(value):
            continue
        name = GCGIDS.get(value)
        if name is None:
            sys.exit("no GCGID for U+%04X (0x%02X in %s)" % (value, byte, codec))
        ansi = ansi_byte(value)
        if ansi is None:
            glyph = GLYPH_NAMES.get(value)
            if glyph is None:
                sys.exit("no glyph name for U+%04X (0x%02X in %s)" % (value, byte, codec))
            lines.append("%s %02X %04X nomatch %s" % (name, byte, value, glyph))
        else:
            lines.append("%s %02X %04X %02X" % (name, byte, value, ansi))
    return "\n".join(lines) + "\n"


def code_page_name(number):
    # T1V10nnn for three-digit CPGIDs, T100nnnn for four-digit ones.
    return "T1V10%03d" % number if number < 1000 else "T100%04d" % number


# Families as FOP names them: character set prefix per style (roman, italic,
# bold, bold italic), PDF base-14 names, system fonts for raster output.
FAMILIES = [
    ("C0H", "Helvetica", ["Helvetica", "Helvetica-Oblique", "Helvetica-Bold", "Helvetica-BoldOblique"],
     ["NimbusSans-Regular", "NimbusSans-Italic", "NimbusSans-Bold", "NimbusSans-BoldItalic"],
     ["LiberationSans-Regular", "LiberationSans-Italic", "LiberationSans-Bold", "LiberationSans-BoldItalic"]),
    ("C0N", "Times", ["Times-Roman", "Times-Italic", "Times-Bold", "Times-BoldItalic"],
     ["NimbusRoman-Regular", "NimbusRoman-Italic", "NimbusRoman-Bold", "NimbusRoman-BoldItalic"],
     ["LiberationSerif-Regular", "LiberationSerif-Italic", "LiberationSerif-Bold", "LiberationSerif-BoldItalic"]),
    ("C04", "Courier", ["Courier", "Courier-Oblique", "Courier-Bold", "Courier-BoldOblique"],
     ["NimbusMonoPS-Regular", "NimbusMonoPS-Italic", "NimbusMonoPS-Bold", "NimbusMonoPS-BoldItalic"],
     ["LiberationMono-Regular", "LiberationMono-Italic", "LiberationMono-Bold", "LiberationMono-BoldItalic"]),
]
STYLES = [("MED", 0), ("MED", 1), ("BOLD", 0), ("BOLD", 1)]  # style digits 2, 3, 4, 5


def size_codes():
    """(size character, height in tenths of a point): 0 unsized, 1-9, A-Z = 11-36 points."""
    yield "0", 100
    for v in range(1, 10):
        yield str(v), v * 10
    for i in range(26):
        yield chr(ord("A") + i), (11 + i) * 10


def mapping_def():
    out = [
        "; Font mapping definition: AFP font names (as Apache FOP writes them) to the",
        "; fonts of this system (fonts-urw-base35, fonts-liberation2, fonts-dejavu-core",
        "; and the PDF base-14 names), and the code page files of this directory.",
        "; FGID values are this file's own keys tying [CHARSET] lines to [FGID] lines.",
        "; Character set names: C0H (Helvetica), C0N (Times), C04 (Courier), then the",
        "; style digit (2 roman, 3 italic, 4 bold, 5 bold italic), 00, and the size",
        "; character (0 unsized, 1-9 points, A-Z 11-36 points) and 0.",
        "; Written by tools/make_codepages.py; edit the script, not this file.",
        "",
        "[XFONT]",
        "DEFAULT=C0H20000,T1V10500",
        "",
        "[CHARSET]",
    ]
    for f, (prefix, _, _, _, _) in enumerate(FAMILIES):
        for s in range(4):
            fgid = 9001 + 4 * f + s
            for code, height in size_codes():
                out.append("%s%d00%s0=%d,%d,%d,0,0" % (prefix, s + 2, code, fgid, height, height))
    out.append("DEFAULT=9001,100,100,0,0")
    out += ["", "[FGID]"]
    for f, (_, family, names, _, _) in enumerate(FAMILIES):
        for s, (weight, italic) in enumerate(STYLES):
            out.append("%d=%s,%s,%s,%d" % (9001 + 4 * f + s, names[s], family, weight, italic))
    out.append("DEFAULT=Helvetica,Helvetica,MED,0")
    for tag, files in (("[PDFFONT]", 3), ("[WINFONT]", 4)):
        out += ["", tag]
        for _, _, names, type1, truetype in FAMILIES:
            for s in range(4):
                if tag == "[PDFFONT]":
                    out.append("%s=%s:%s,%s:%s" % (names[s], names[s], type1[s], truetype[s], truetype[s]))
                else:
                    out.append("%s=%s:%s,%s:%s" % (names[s], truetype[s], truetype[s], type1[s], type1[s]))
        out.append("DEFAULT=%s" % ("Helvetica:NimbusSans-Regular,DejaVuSans:DejaVuSans" if files == 3
                                   else "LiberationSans-Regular:LiberationSans-Regular,DejaVuSans:DejaVuSans"))
    out += ["", "[CODEPG]"]
    for _, number in CODE_PAGES:
        out.append("%s=%d,ANSI" % (code_page_name(number), number))
        if number < 1000:
            out.append("T1000%03d=%d,ANSI" % (number, number))
    out.append("T1GIG500=500,ANSI")
    out.append("DEFAULT=500,ANSI")
    out += ["", "[AFPFONT]"]
    for prefix, family, names, _, _ in FAMILIES:
        for s, (weight, italic) in enumerate(STYLES):
            key = family + ("#BOLD" if weight == "BOLD" else "") + ("#ITALIC" if italic else "")
            out.append("%s=%s%d0000,T1V10500" % (key, prefix[0] + "Z" + prefix[2], s + 2))
    out.append("DEFAULT=CZH20000,T1V10500")
    out += ["", "[INPUT FONT ALIASES]"]
    for _, family, names, type1, truetype in FAMILIES:
        out.append("%s*=%s,%s" % (family, type1[0], truetype[0]))
    out.append("DEFAULT=DejaVuSans,LiberationSans-Regular")
    return "\n".join(out) + "\n"


def main():
    directory = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "data")
    for codec, number in CODE_PAGES:
        with open(os.path.join(directory, "%d.cp" % number), "w", newline="\n") as f:
            f.write(code_page_file(codec, number))
    with open(os.path.join(directory, "mapping.def"), "w", newline="\n") as f:
        f.write(mapping_def())
    print("%d code page files and mapping.def written to %s" % (len(CODE_PAGES), directory))


if __name__ == "__main__":
    main()
