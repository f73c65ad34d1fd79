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
cmake --build "$BUILD" --target fuzz_sfi fuzz_ini fuzz_triplets -j "$(nproc)"

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
