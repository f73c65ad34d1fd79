#!/usr/bin/env bash
# AFP to PDF throughput of the release build: makes a 500-page document
# with FOP (not kept in the repository), converts it with lorbane-demo and
# prints pages per second and the peak memory of the run.
#   BUILD_DIR  release build folder (default build/release)
#   PAGES      page count (default 500)
#   WORK_DIR   scratch folder (default build/bench-pdf)
#   JOBS       parallel build jobs (default: all CPUs)
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_DIR="${BUILD_DIR:-$ROOT/build/release}"
PAGES="${PAGES:-500}"
WORK="${WORK_DIR:-$ROOT/build/bench-pdf}"

for tool in fop /usr/bin/time pdfinfo python3; do
  command -v "$tool" >/dev/null || { echo "missing: $tool" >&2; exit 1; }
done

cmake -S "$ROOT" -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$BUILD_DIR" --parallel "${JOBS:-$(nproc)}" --target lorbane-demo >/dev/null
DEMO="$BUILD_DIR/demo/lorbane-demo"

rm -rf "$WORK"
mkdir -p "$WORK/out" "$WORK/log"
cd "$WORK"

python3 "$ROOT/bench/statement-fo.py" "$PAGES" > bench.fo
fop -q -fo bench.fo -afp bench.afp 2>/dev/null || fop -fo bench.fo -afp bench.afp >/dev/null 2>&1

cp "$ROOT/demo/lorbane.ini" lorbane.ini
ln -sfn "$ROOT/data" data
/usr/bin/time -v "$DEMO" lorbane -PDF -op:out/ bench.afp > run.txt 2> time.txt || true

pdf="out/bench.pdf"
[ -f "$pdf" ] || { echo "no PDF written; see $WORK/run.txt and $WORK/time.txt" >&2; exit 1; }
written=$(pdfinfo "$pdf" | awk '/^Pages:/ {print $2}')
elapsed=$(awk -F': ' '/Elapsed \(wall clock\)/ {print $2}' time.txt)
peak_kb=$(awk -F': ' '/Maximum resident set size/ {print $2}' time.txt)
seconds=$(python3 -c "
t = '$elapsed'.split(':')
print(sum(float(x) * 60 ** i for i, x in enumerate(reversed(t))))")

echo "machine:      $(nproc) CPUs, $(awk -F': ' '/model name/ {print $2; exit}' /proc/cpuinfo)"
echo "pages:        $written (of $PAGES made), AFP $(stat -c %s bench.afp) bytes, PDF $(stat -c %s "$pdf") bytes"
echo "time:         ${seconds} s"
python3 -c "print('pages/second: %.1f' % ($written / max($seconds, 1e-6)))"
python3 -c "print('peak memory:  %.1f MiB' % ($peak_kb / 1024.0))"
