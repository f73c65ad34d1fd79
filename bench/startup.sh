#!/usr/bin/env bash
# Start-up cost of the release build: lorbane-demo -v and a 2-page AFP
# conversion to text and to PDF, median wall time of RUNS runs each, peak
# memory (/usr/bin/time -v) and the number of shared objects the run maps
# (LD_DEBUG=files, modules included).
#   bench/startup.sh               builds build/release and measures it
#   bench/startup.sh DIR [DIR...]  measures builds made before, their runs
#                                  interleaved so that all see the same load
#   RUNS      runs per case (default 10)
#   WORK_DIR  scratch folder (default build/bench-startup)
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
RUNS="${RUNS:-10}"
WORK="${WORK_DIR:-$ROOT/build/bench-startup}"
INPUT="$ROOT/tests/data/fop/fop-hello.afp"

command -v /usr/bin/time >/dev/null || { echo "missing: /usr/bin/time" >&2; exit 1; }

BUILDS=("$@")
if ((${#BUILDS[@]} == 0)); then
  BUILDS=("$ROOT/build/release")
  cmake -S "$ROOT" -B "${BUILDS[0]}" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "${BUILDS[0]}" --parallel "${JOBS:-4}" --target lorbane-demo >/dev/null
fi
for b in "${BUILDS[@]}"; do
  [ -x "$b/demo/lorbane-demo" ] || { echo "no lorbane-demo in $b" >&2; exit 1; }
done

rm -rf "$WORK"
mkdir -p "$WORK"
cd "$WORK"
cp "$ROOT/demo/lorbane.ini" lorbane.ini
ln -sfn "$ROOT/data" data
mkdir -p out log extfont ld

CASES=("-v" "lorbane -ASCII -op:out/ $INPUT" "lorbane -PDF -op:out/ $INPUT")
LABELS=("-v" "2 pages to text" "2 pages to PDF")

# One run: wall microseconds (with /usr/bin/time's own start) and peak RSS
# in KB on stdout.
run_once() {
  local demo=$1 args=$2 start end
  start=${EPOCHREALTIME/./}
  # shellcheck disable=SC2086
  /usr/bin/time -v -o time.txt "$demo" $args >/dev/null 2>&1 || true
  end=${EPOCHREALTIME/./}
  echo "$((end - start)) $(awk -F': ' '/Maximum resident/ {print $2}' time.txt)"
}

median() { sort -n | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }

declare -A TIMES RSS
for ((r = 0; r < RUNS; r++)); do
  for c in "${!CASES[@]}"; do
    for b in "${!BUILDS[@]}"; do
      read -r us kb < <(run_once "${BUILDS[$b]}/demo/lorbane-demo" "${CASES[$c]}")
      TIMES[$b,$c]+="$us "
      RSS[$b,$c]+="$kb "
    done
  done
done

printf '%-40s %-16s %12s %12s %8s  %s\n' build case "median ms" "peak RSS KB" objects "heavy libraries mapped"
for b in "${!BUILDS[@]}"; do
  for c in "${!CASES[@]}"; do
    rm -f ld/*
    # shellcheck disable=SC2086
    LD_DEBUG=files LD_DEBUG_OUTPUT="$WORK/ld/files" "${BUILDS[$b]}/demo/lorbane-demo" ${CASES[$c]} >/dev/null 2>&1 || true
    objects=$(cat ld/files.* | sed -n 's/.*file=\([^ ;]*\).*/\1/p' | sort -u)
    count=$(printf '%s\n' "$objects" | grep -c .)
    heavy=$(printf '%s\n' "$objects" | { grep -E 'libgd|libcurl|libcairo|libpoppler|libperl' || true; } | tr '\n' ' ')
    ms=$(printf '%s\n' ${TIMES[$b,$c]} | median | awk '{printf "%.1f", $1 / 1000}')
    kb=$(printf '%s\n' ${RSS[$b,$c]} | median)
    printf '%-40s %-16s %12s %12s %8s  %s\n' "${BUILDS[$b]}" "${LABELS[$c]}" "$ms" "$kb" "$count" "${heavy:-none}"
  done
done
