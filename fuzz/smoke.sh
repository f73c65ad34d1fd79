#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build/fuzz and runs the
# structured-field target for a short while on the AFP test files.
# FUZZ_SECONDS sets the run time (default 10), FUZZ_MAX_LEN the largest
# input (default 8192; every bad byte of a damaged input is one report, so
# long inputs run slowly). Exits non-zero on a finding.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="$ROOT/build/fuzz"
SECONDS_TO_RUN="${FUZZ_SECONDS:-10}"
MAX_LEN="${FUZZ_MAX_LEN:-8192}"

cmake -S "$ROOT" -B "$BUILD" -G Ninja \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS=-g \
  -DLORBANE_FUZZ=ON -DLORBANE_TESTS=OFF -DLORBANE_SANITIZE=OFF >/dev/null
cmake --build "$BUILD" --target fuzz_sfi fuzz_ini fuzz_triplets fuzz_barcode fuzz_fontfiles fuzz_goca -j "$(nproc)"

CORPUS="$BUILD/corpus/sfi"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
mkdir -p "$CORPUS"
cp "$ROOT"/tests/data/fop/*.afp "$CORPUS"/

cd "$WORK"
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
export TMPDIR="$WORK"
"$BUILD/fuzz/fuzz_sfi" -max_total_time="$SECONDS_TO_RUN" -max_len="$MAX_LEN" -print_final_stats=1 \
  -artifact_prefix="$BUILD/" "$CORPUS"

# The INI reader, seeded with a small INI file of every section kind.
INI_CORPUS="$BUILD/corpus/ini"
mkdir -p "$INI_CORPUS"
printf '[Settings]\nOutputFormat=PNG\nFilenamePattern="%%s_%%05d.pdf",SPOOLNAME,DOCID\n[FORMDEF]\nF1=x\n[AFPColorTable]\nRed=200,0,0,30,220\n[Host1]\nType=FTP\nHostName=h:2121\nUserName=u\nInitCommands=A;B\n[Profile]\nPKEY=UseGD\n[Def]\nbody=a, b ,,c\n' \
  >"$INI_CORPUS/seed.ini"
"$BUILD/fuzz/fuzz_ini" -max_total_time="$SECONDS_TO_RUN" -max_len="$MAX_LEN" -print_final_stats=1 \
  -artifact_prefix="$BUILD/ini-" "$INI_CORPUS"
"$BUILD/fuzz/fuzz_triplets" -max_total_time="$SECONDS_TO_RUN" -max_len="$MAX_LEN" -print_final_stats=1 \
  -artifact_prefix="$BUILD/triplets-" "$CORPUS"

# The bar code object parser, seeded with a Code 128 and a Data Matrix object.
BC_CORPUS="$BUILD/corpus/barcode"
mkdir -p "$BC_CORPUS"
printf '\x5a\x00\x08\xd3\xa8\xeb\x00\x00\x00\x5a\x00\x08\xd3\xa8\xc7\x00\x00\x00\x5a\x00\x26\xd3\xab\x8a\x00\x00\x00\x00\x1e\x0c\x02\x8e\x00\xe7\xf0\xc7\xe3\xf1\xf0\x40\x40\x0c\x02\x84\x00\x07\xf7\x01\xf4\x00\x00\x00\x00\x04\x24\x05\x01\x5a\x00\x1f\xd3\xa6\xeb\x00\x00\x00\x00\x00\x09\x60\x09\x60\x02\x00\x01\x00\x00\x00\x11\x02\xff\x00\x08\x0a\xff\xff\x01\x00\x1e\x5a\x00\x08\xd3\xa9\xc7\x00\x00\x00\x5a\x00\x12\xd3\xee\xeb\x00\x00\x00\x00\x00\x00\x00\x00\xf1\xf2\xf3\xf4\xf5\x5a\x00\x08\xd3\xa9\xeb\x00\x00\x00\x5a\x00\x08\xd3\xa8\xeb\x00\x00\x00\x5a\x00\x08\xd3\xa8\xc7\x00\x00\x00\x5a\x00\x1f\xd3\xa6\xeb\x00\x00\x00\x00\x00\x38\x40\x38\x40\x02\x00\x01\x00\x00\x00\x1c\x00\xff\x00\x08\xff\xff\xff\x01\xff\xff\x5a\x00\x08\xd3\xa9\xc7\x00\x00\x00\x5a\x00\x1a\xd3\xee\xeb\x00\x00\x00\x80\x00\x00\x00\x00\x80\x00\x00\x00\x00\x00\x00\x00\x00\x00\xf1\xf2\xc1\x5a\x00\x08\xd3\xa9\xeb\x00\x00\x00' >"$BC_CORPUS/seed.afp"
"$BUILD/fuzz/fuzz_barcode" -max_total_time="$SECONDS_TO_RUN" -max_len="$MAX_LEN" -print_final_stats=1 \
  -artifact_prefix="$BUILD/barcode-" "$BC_CORPUS"

# The TrueType and PFM parsers, seeded with a system TrueType font (first
# byte 2: TrueType with widths) when one is installed.
FONT_CORPUS="$BUILD/corpus/fontfile"
mkdir -p "$FONT_CORPUS"
cmake --build "$BUILD" --target fuzz_fontfile_parsers -j "$(nproc)"
for font in /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf; do
  if [ -f "$font" ]; then
    { printf '\002'; cat "$font"; } >"$FONT_CORPUS/$(basename "$font")"
  fi
done
"$BUILD/fuzz/fuzz_fontfile_parsers" -max_total_time="$SECONDS_TO_RUN" -max_len="$MAX_LEN" -print_final_stats=1 \
  -artifact_prefix="$BUILD/fontfile-" "$FONT_CORPUS"

# The mapping definition and code page file readers, seeded with the shipped
# files (first byte 32: PDF output).
MAP_CORPUS="$BUILD/corpus/fontfiles"
mkdir -p "$MAP_CORPUS"
for f in "$ROOT"/data/mapping.def "$ROOT"/data/500.cp; do
  if [ -f "$f" ]; then
    { printf '\040'; head -c $((MAX_LEN - 1)) "$f"; } >"$MAP_CORPUS/$(basename "$f")"
  fi
done
"$BUILD/fuzz/fuzz_fontfiles" -max_total_time="$SECONDS_TO_RUN" -max_len="$MAX_LEN" -print_final_stats=1 \
  -artifact_prefix="$BUILD/fontfiles-" "$MAP_CORPUS"

# The GOCA parser, seeded with the AFP test files (one holds a graphics
# object) and a small object of every order family, an image among them.
GOCA_CORPUS="$BUILD/corpus/goca"
mkdir -p "$GOCA_CORPUS"
cp "$ROOT"/tests/data/fop/*.afp "$GOCA_CORPUS"/
printf '\x5a\x00\x10\xd3\xa8\xbb\x00\x00\x00\xc7\xd9\xc1\xf0\xf0\xf0\xf0\xf1\x5a\x00\x08\xd3\xa8\xc7\x00\x00\x00\x5a\x00\x24\xd3\xa6\xbb\x00\x00\x00\xf6\x12\x50\x00\x00\x00\x09\x60\x09\x60\x09\x60\x00\x00\x03\xe8\x00\x00\x03\x20\x21\x05\x01\xc0\x00\x8f\x06\x01\x5a\x00\x08\xd3\xa9\xc7\x00\x00\x00\x5a\x00\xae\xd3\xee\xbb\x00\x00\x00\x70\x0c\xc1\xc2\xc3\xc4\x00\x10\x00\x00\x00\x00\x00\x00\x3e\x00\x0a\x07\xb2\x0d\x00\x01\x00\x00\x00\x00\x08\x08\x08\x00\x10\x20\x30\x22\x08\x00\x0a\x00\x0a\x00\x00\x00\x00\x68\x40\xc1\x08\x00\x00\x00\x00\x00\x09\x00\x00\xa1\x04\x05\x05\xfd\x00\x85\x08\x00\x05\x00\x06\x00\x07\x00\x08\x60\x00\xc0\x0a\x40\x00\x00\x64\x00\x00\x00\x00\x00\x32\xc7\x06\x01\xf4\x01\xf4\x02\x80\xe3\x12\x00\x32\x00\x64\x00\x64\x00\x64\x01\x00\x00\x5a\x00\x00\xff\x4c\x00\x00\x29\x03\x82\x08\x00\x01\x00\x02\x00\x03\x00\x04\xc3\x09\x00\x64\x00\xc8\xc1\xc2\xc3\xc4\xc5\xfe\xb0\x00\x03\x01\x02\x03\xd1\x0a\x00\x0a\x00\x14\x00\x00\x00\x10\x00\x02\x92\x02\x01\x02\x92\x02\x03\x04\x93\x01\x00\x5a\x00\x10\xd3\xa9\xbb\x00\x00\x00\xc7\xd9\xc1\xf0\xf0\xf0\xf0\xf1' >"$GOCA_CORPUS/seed.afp"
"$BUILD/fuzz/fuzz_goca" -max_total_time="$SECONDS_TO_RUN" -max_len="$MAX_LEN" -print_final_stats=1 \
  -artifact_prefix="$BUILD/goca-" "$GOCA_CORPUS"
