#!/usr/bin/env bash
# Pages per second of AFP to PDF and AFP to text with the release build, on a
# 200-page statement document made with FOP and on a spool of 25 copies of it
# in one file (5,000 pages), each the best of RUNS whole-process runs; then the
# five functions that take most of a profile of the 5,000-page PDF run.
#   SOURCE_DIR source tree to build and measure (default this one; another
#              worktree, such as main's, gives the figures to compare with)
#   BUILD_DIR  release build folder (default SOURCE_DIR/build/release)
#   WORK_DIR   scratch folder (default build/bench-perf); the AFP made by FOP
#              is kept there and reused
#   RUNS       runs per measurement (default 5)
#   CPU        pin the runs to this CPU with taskset (default: not pinned)
#   JOBS       parallel build jobs (default 4)
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
SOURCE_DIR="${SOURCE_DIR:-$ROOT}"
BUILD_DIR="${BUILD_DIR:-$SOURCE_DIR/build/release}"
WORK="${WORK_DIR:-$ROOT/build/bench-perf}"
RUNS="${RUNS:-5}"

for tool in fop perf python3; do
  command -v "$tool" >/dev/null || { echo "missing: $tool" >&2; exit 1; }
done

cmake -S "$SOURCE_DIR" -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$BUILD_DIR" --parallel "${JOBS:-4}" --target lorbane-demo >/dev/null
DEMO="$BUILD_DIR/demo/lorbane-demo"
PIN=()
[ -n "${CPU:-}" ] && PIN=(taskset -c "$CPU")

mkdir -p "$WORK/out"
cd "$WORK"
if [ ! -s doc200.afp ]; then
  python3 "$ROOT/bench/statement-fo.py" 200 > doc200.fo
  fop -q -fo doc200.fo -afp doc200.afp >/dev/null 2>&1
fi
if [ ! -s spool5000.afp ]; then
  for _ in $(seq 25); do cat doc200.afp; done > spool5000.afp
fi
cp "$ROOT/demo/lorbane.ini" lorbane.ini
ln -sfn "$ROOT/data" data

echo "machine:      $(nproc) CPUs, $(awk -F': ' '/model name/ {print $2; exit}' /proc/cpuinfo)"
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg) (before the runs)"
echo "build:        $BUILD_DIR"

# Best wall time of RUNS runs of one conversion, as pages per second.
measure() {
  local label="$1" format="$2" input="$3" pages="$4"
  python3 - "$RUNS" "$pages" "$label" "${PIN[@]}" "$DEMO" lorbane "-$format" -op:out/ "$input" <<'EOF'
import subprocess, sys, time
runs, pages, label, cmd = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3], sys.argv[4:]
best = None
for _ in range(runs):
    t = time.perf_counter()
    subprocess.run(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
    t = time.perf_counter() - t
    best = t if best is None or t < best else best
print(f"{label:<22} {best:7.3f} s  {pages / best:8.0f} pages/s")
EOF
}

measure "PDF, 200 pages" PDF doc200.afp 200
measure "PDF, 5,000 pages" PDF spool5000.afp 5000
measure "text, 200 pages" ASCII doc200.afp 200
measure "text, 5,000 pages" ASCII spool5000.afp 5000

# The profile: perf record -F 4000 -g over the 5,000-page PDF run.
perf record -q -F 4000 -g -o perf.data "${PIN[@]}" "$DEMO" lorbane -PDF -op:out/ spool5000.afp \
  >/dev/null 2>&1
echo "top five of the profile (PDF, 5,000 pages; self time):"
perf report -i perf.data --no-children --fields overhead,sym --stdio -g none 2>/dev/null |
  grep -E '^ +[0-9.]+%' | sed -nE '1,5{s/ +$//;p}' 
