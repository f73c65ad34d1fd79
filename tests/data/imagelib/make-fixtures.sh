#!/usr/bin/env bash
# Makes the decoder fixtures of this folder (committed; the tests do not run
# this). Needs ImageMagick (CONVERT names its convert program), libtiff-tools
# and libjpeg-turbo-progs.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
IM="${CONVERT:-convert}"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT

# Sources.
"$IM" -size 37x48 gradient:red-blue -fill green -draw "circle 18,20 18,8" -fill yellow \
  -draw "rectangle 2,30 12,44" -alpha off -depth 8 -compress none rgb.tif
"$IM" rgb.tif -alpha off -colors 64 -type Palette -depth 8 -compress none pal8.tif
"$IM" rgb.tif -alpha off -colors 12 -type Palette -depth 4 -compress none pal4.tif
"$IM" rgb.tif -alpha off -colorspace CMYK -compress none cmyk.tif
"$IM" -size 8x8 gradient: -alpha off -colorspace Gray -depth 32 -define quantum:format=floating-point \
  -compress none f32.tif 2>/dev/null || test -s f32.tif
"$IM" -size 10x7 xc:white -fill black -draw "line 0,0 9,6" -draw "point 9,0" -alpha off -monochrome -depth 1 \
  -compress none b10.tif
"$IM" -size 130x70 gradient:white-black -fill gray50 -draw "circle 65,35 65,10" -alpha off -colorspace Gray \
  -depth 8 -compress none "$WORK/gray130.tif"
"$IM" -size 100x70 gradient:orange-navy -fill white -draw "circle 50,35 50,10" -alpha off -depth 8 \
  -compress none "$WORK/rgb100.tif"
"$IM" -size 64x48 gradient:white-black -colorspace Gray gray.jpg
"$IM" "$WORK/rgb100.tif" -colorspace CMYK cmyk.jpg

# Derived with tiffcp and tiffset.
tiffcp -f lsb2msb b10.tif b10-lsb.tif
tiffcp -c g4 -f lsb2msb b10.tif b10-g4-lsb.tif
tiffcp -c g3 b10.tif b10-g3.tif
tiffcp -c lzw:2 rgb.tif rgb-lzw2.tif
tiffcp -c packbits pal8.tif pal8-packbits.tif
tiffcp b10.tif pal8.tif rgb.tif three.tif
tiffcp -c lzw -t -w 64 -l 64 "$WORK/gray130.tif" gray-tiles.tif
tiffcp -c jpeg -r 48 rgb.tif rgb-jpeg.tif
tiffcp -c jpeg -r 16 rgb.tif rgb-jpeg3.tif
tiffcp -c jpeg -t -w 64 -l 64 "$WORK/rgb100.tif" rgb-jpegtiles.tif
tiffcp -p separate rgb.tif rgb-planar.tif
cp b10.tif b10-cm.tif
tiffset -s 296 3 b10-cm.tif
tiffset -s 282 118 b10-cm.tif
tiffset -s 283 118 b10-cm.tif
"$IM" -size 16x16 gradient:white-black -alpha off -colorspace Gray -depth 8 -compress none gray-ojpeg.tif
tiffset -s 259 6 gray-ojpeg.tif

# CxImage decoder fixtures from rgb.tif, each with ImageMagick's raw dump
# (X.rgb, red, green, blue, top row first).
"$IM" rgb.tif -monochrome BMP3:bmp1.bmp
"$IM" rgb.tif -colors 12 BMP3:bmp4.bmp
"$IM" rgb.tif -colors 64 -compress None BMP3:bmp8.bmp
"$IM" rgb.tif -type TrueColor BMP3:bmp24.bmp
"$IM" rgb.tif -colors 64 -compress RLE BMP3:bmp-rle8.bmp
# ImageMagick writes no RLE4: the 4-bit bitmap's rows coded by hand.
python3 - bmp4.bmp bmp-rle4.bmp <<'PY'
import struct, sys
src = open(sys.argv[1], 'rb').read()
off, = struct.unpack_from('<I', src, 10)
w, h = struct.unpack_from('<ii', src, 18)
stride = ((w * 4 + 31) // 32) * 4
out = bytearray()
for y in range(h):
    row = src[off + y * stride: off + y * stride + stride]
    px = [(row[x // 2] >> (4 if x % 2 == 0 else 0)) & 15 for x in range(w)]
    x = 0
    while x < w:
        n = 1
        while x + n < w and n < 255 and px[x + n] == px[x]:
            n += 1
        if n >= 3 or w - x < 3:
            out += bytes([n, px[x] << 4 | px[x]])
            x += n
        else:
            k = min(w - x, 20)
            lit = px[x:x + k] + [0]
            out += bytes([0, k]) + bytes(lit[i] << 4 | lit[i + 1] for i in range(0, k, 2))
            if ((k + 1) // 2) % 2:
                out += b'\0'
            x += k
    out += b'\0\0'
out += b'\0\1'
hdr = bytearray(src[:off])
struct.pack_into('<I', hdr, 30, 2)
struct.pack_into('<I', hdr, 34, len(out))
struct.pack_into('<I', hdr, 2, off + len(out))
open(sys.argv[2], 'wb').write(bytes(hdr) + bytes(out))
PY
"$IM" rgb.tif -colors 64 -type Palette pcx8.pcx
"$IM" rgb.tif -type TrueColor pcx24.pcx
"$IM" rgb.tif -transparent yellow -colors 32 gif-trans.gif
"$IM" rgb.tif -colors 32 \( rgb.tif -flip -colors 16 \) gif-two.gif
"$IM" rgb.tif -colorspace Gray -depth 8 -define png:color-type=0 png-gray.png
"$IM" rgb.tif -colors 64 PNG8:png-pal.png
"$IM" rgb.tif PNG24:png-rgb.png
"$IM" rgb.tif \( -size 37x48 gradient:white-black \) -alpha off -compose CopyOpacity -composite PNG32:png-rgba.png
for f in bmp1.bmp bmp4.bmp bmp8.bmp bmp24.bmp bmp-rle8.bmp bmp-rle4.bmp pcx8.pcx pcx24.pcx gif-trans.gif \
  png-gray.png png-pal.png png-rgb.png png-rgba.png; do
  "$IM" "$f" -alpha off -depth 8 rgb:"$f.rgb"
done
"$IM" 'gif-two.gif[0]' -depth 8 rgb:gif-two.gif.0.rgb
"$IM" 'gif-two.gif[1]' -depth 8 rgb:gif-two.gif.1.rgb
"$IM" ../fop/fop-overlay-mark.png gray:fop-overlay-mark.gray
