#!/usr/bin/env python3
"""Writes a small Windows PFM metrics file for a Type 1 font from its AFM file
(WinAnsi widths for codes 32..255), for test fixtures.

Usage: tools/afm2pfm.py FONT.afm OUT.pfm
"""
import struct
import sys

sys.path.insert(0, __file__.rsplit("/", 1)[0])
from genFontTables import encodings, read_afm  # noqa: E402


def main():
    afm_path, out_path = sys.argv[1], sys.argv[2]
    directory, name = afm_path.rsplit("/", 1)
    import genFontTables
    genFontTables.AFM_DIR = directory
    afm = read_afm(name[:-4])
    helv = read_afm(name[:-4])
    win, _ = encodings({c: g for c, g in helv["codes"].items()})
    widths = [afm["widths"].get(win.get(c) or "", afm["widths"].get("space", 250))
              for c in range(32, 256)]
    head = afm["head"]
    bbox = [int(v) for v in head["FontBBox"].split()]
    bb = afm["bbox"]
    ascent = max(bb[g][3] for g in "bdhkl" if g in bb)
    descent = -min(bb[g][1] for g in "gjpqy" if g in bb)
    cap = int(head.get("CapHeight", ascent))
    xh = int(head.get("XHeight", 0))
    slant = int(round(float(head.get("ItalicAngle", "0")) * 10))
    fixed = head.get("IsFixedPitch", "false") == "true"
    avg, mx = sum(widths) // len(widths), max(widths)
    ps_name = head["FontName"].encode("ascii") + b"\0"

    header_len, ext_len = 147, 52
    ext_off = header_len
    extent_off = ext_off + ext_len
    driver_off = extent_off + 2 * len(widths)
    size = driver_off + len(ps_name)
    copyright_ = head.get("Notice", "")[:59].encode("latin-1").ljust(60, b"\0")
    hdr = struct.pack("<HI60sHHHHHHHBBBHBHHBHHBBBBHIIII",
                      0x100, size, copyright_, 0x81, 10, 300, 300, ascent, 0, 0,
                      1 if slant else 0, 0, 0, 400, 0, 0, 1000,
                      0x30 | (0 if fixed else 1), avg, mx, 32, 255, 0x8C, 0, 0,
                      0, 0, 0, 0)
    ext = struct.pack("<HIIIIIII", 30, ext_off, extent_off, 0, 0, 0, driver_off, 0)
    etm = struct.pack("<26H", 52, 240, 0, 1000, 3, 1000, 1000, cap, xh, ascent, descent,
                      slant & 0xFFFF, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0)
    data = hdr + ext + etm + b"".join(struct.pack("<H", w) for w in widths) + ps_name
    assert len(hdr) + len(ext) == header_len, len(hdr) + len(ext)
    with open(out_path, "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main()
