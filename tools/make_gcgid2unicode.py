#!/usr/bin/env python3
"""Writes data/gcgid2unicode.def: the glyph names (GCGIDs) of the shipped
EBCDIC code pages with their Unicode values.

The GCGID of each character comes from public code page documentation,
which lists for every code point of a code page its GCGID, its Unicode
value and its name. The shipped Latin-1 EBCDIC code pages share one
repertoire, so the names are kept here once, keyed by the character's
Unicode value. The Unicode value of every code point of every code page is
taken from glibc iconv on this machine, and every graphic code point must
find its GCGID here; otherwise the script stops.

Usage: tools/make_gcgid2unicode.py [output]   (default data/gcgid2unicode.def)
"""

import os
import subprocess
import sys

# Code pages shipped: iconv name -> code page number (the code page files
# of tools/make_codepages.py are made for the same list).
CODE_PAGES = [("IBM037", 37), ("IBM273", 273), ("IBM277", 277), ("IBM278", 278), ("IBM280", 280),
              ("IBM284", 284), ("IBM285", 285), ("IBM297", 297), ("IBM500", 500), ("IBM871", 871),
              ("IBM1047", 1047)] + [("IBM%d" % n, n) for n in range(1140, 1149)]

# GCGID by Unicode value for the Latin-1 repertoire of the code pages above.
GCGIDS = {
    0x0020: "SP010000", 0x0021: "SP020000", 0x0022: "SP040000", 0x0023: "SM010000",
    0x0024: "SC030000", 0x0025: "SM020000", 0x0026: "SM030000", 0x0027: "SP050000",
    0x0028: "SP060000", 0x0029: "SP070000", 0x002A: "SM040000", 0x002B: "SA010000",
    0x002C: "SP080000", 0x002D: "SP100000", 0x002E: "SP110000", 0x002F: "SP120000",
    0x0030: "ND100000", 0x0031: "ND010000", 0x0032: "ND020000", 0x0033: "ND030000",
    0x0034: "ND040000", 0x0035: "ND050000", 0x0036: "ND060000", 0x0037: "ND070000",
    0x0038: "ND080000", 0x0039: "ND090000", 0x003A: "SP130000", 0x003B: "SP140000",
    0x003C: "SA030000", 0x003D: "SA040000", 0x003E: "SA050000", 0x003F: "SP150000",
    0x0040: "SM050000", 0x005B: "SM060000", 0x005C: "SM070000", 0x005D: "SM080000",
    0x005E: "SD150000", 0x005F: "SP090000", 0x0060: "SD130000", 0x007B: "SM110000",
    0x007C: "SM130000", 0x007D: "SM140000", 0x007E: "SD190000",
    0x00A0: "SP300000", 0x00A1: "SP030000", 0x00A2: "SC040000", 0x00A3: "SC020000",
    0x00A4: "SC010000", 0x00A5: "SC050000", 0x00A6: "SM650000", 0x00A7: "SM240000",
    0x00A8: "SD170000", 0x00A9: "SM520000", 0x00AA: "SM210000", 0x00AB: "SP170000",
    0x00AC: "SM660000", 0x00AD: "SP320000", 0x00AE: "SM530000", 0x00AF: "SM150000",
    0x00B0: "SM190000", 0x00B1: "SA020000", 0x00B2: "ND021000", 0x00B3: "ND031000",
    0x00B4: "SD110000", 0x00B5: "SM170000", 0x00B6: "SM250000", 0x00B7: "SD630000",
    0x00B8: "SD410000", 0x00B9: "ND011000", 0x00BA: "SM200000", 0x00BB: "SP180000",
    0x00BC: "NF040000", 0x00BD: "NF010000", 0x00BE: "NF050000", 0x00BF: "SP160000",
    0x00C0: "LA140000", 0x00C1: "LA120000", 0x00C2: "LA160000", 0x00C3: "LA200000",
    0x00C4: "LA180000", 0x00C5: "LA280000", 0x00C6: "LA520000", 0x00C7: "LC420000",
    0x00C8: "LE140000", 0x00C9: "LE120000", 0x00CA: "LE160000", 0x00CB: "LE180000",
    0x00CC: "LI140000", 0x00CD: "LI120000", 0x00CE: "LI160000", 0x00CF: "LI180000",
    0x00D0: "LD620000", 0x00D1: "LN200000", 0x00D2: "LO140000", 0x00D3: "LO120000",
    0x00D4: "LO160000", 0x00D5: "LO200000", 0x00D6: "LO180000", 0x00D7: "SA070000",
    0x00D8: "LO620000", 0x00D9: "LU140000", 0x00DA: "LU120000", 0x00DB: "LU160000",
    0x00DC: "LU180000", 0x00DD: "LY120000", 0x00DE: "LT640000", 0x00DF: "LS610000",
    0x00E0: "LA130000", 0x00E1: "LA110000", 0x00E2: "LA150000", 0x00E3: "LA190000",
    0x00E4: "LA170000", 0x00E5: "LA270000", 0x00E6: "LA510000", 0x00E7: "LC410000",
    0x00E8: "LE130000", 0x00E9: "LE110000", 0x00EA: "LE150000", 0x00EB: "LE170000",
    0x00EC: "LI130000", 0x00ED: "LI110000", 0x00EE: "LI150000", 0x00EF: "LI170000",
    0x00F0: "LD630000", 0x00F1: "LN190000", 0x00F2: "LO130000", 0x00F3: "LO110000",
    0x00F4: "LO150000", 0x00F5: "LO190000", 0x00F6: "LO170000", 0x00F7: "SA060000",
    0x00F8: "LO610000", 0x00F9: "LU130000", 0x00FA: "LU110000", 0x00FB: "LU150000",
    0x00FC: "LU170000", 0x00FD: "LY110000", 0x00FE: "LT630000", 0x00FF: "LY170000",
}
GCGIDS[0x20AC] = "SC200000"  # euro sign (the 114x code pages)

# Unicode values iconv gives for a character that has another value in the
# table: code page 285 has the overline/macron character at 0xA1, which
# glibc gives as U+203E (the other code pages as U+00AF): one character,
# one GCGID, whose value in the glyph name table stays U+00AF.
SAME_CHARACTER = {0x203E: 0x00AF}

# Letters: L<letter>01 small, L<letter>02 capital.
for i in range(26):
    GCGIDS[0x61 + i] = "L%s010000" % chr(0x41 + i)
    GCGIDS[0x41 + i] = "L%s020000" % chr(0x41 + i)


def unicode_of(codec, byte):
    """Unicode value iconv gives for one byte of a code page, or None."""
    result = subprocess.run(["iconv", "-f", codec, "-t", "UTF-32BE"], input=bytes([byte]),
                            capture_output=True, check=False)
    if result.returncode != 0 or len(result.stdout) != 4:
        return None
    return int.from_bytes(result.stdout, "big")


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "data", "gcgid2unicode.def")
    entries = {}
    for codec, number in CODE_PAGES:
        for byte in range(0x40, 0xFF):
            value = unicode_of(codec, byte)
            if value is None:
                sys.exit("iconv knows no character for 0x%02X in %s" % (byte, codec))
            if value < 0x20 or 0x7F <= value < 0xA0:
                continue  # control character
            value = SAME_CHARACTER.get(value, value)
            name = GCGIDS.get(value)
            if name is None:
                sys.exit("no GCGID for U+%04X (0x%02X in %s)" % (value, byte, codec))
            if entries.setdefault(name, value) != value:
                sys.exit("%s has two values" % name)
    lines = [
        "; Glyph names (GCGIDs) and their Unicode values for the code pages",
        "; " + ", ".join(str(n) for _, n in CODE_PAGES) + ".",
        "; GCGIDs: public code page documentation, which lists the GCGID of every",
        "; code point of a code page. Unicode values: glibc iconv.",
        "; Written by tools/make_gcgid2unicode.py; edit the script, not this file.",
        "; Format: NAME=XXXX (one to four hex digits); ';' starts a comment.",
    ]
    for name in sorted(entries):
        lines.append("%s=%04X" % (name, entries[name]))
    with open(out, "w", newline="\n") as f:
        f.write("\n".join(lines) + "\n")
    print("%d entries written to %s" % (len(entries), out))


if __name__ == "__main__":
    main()
