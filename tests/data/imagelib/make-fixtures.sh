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
