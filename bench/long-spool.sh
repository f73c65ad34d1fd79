#!/usr/bin/env bash
# Memory and speed on long spools: repeats the documents of a FOP fixture
# into one AFP file of 1,000, 10,000 and 100,000 pages (made on the fly, not
# kept), converts each to one PDF with the release build and prints pages
# per second and the peak memory of the run.
#   BUILD_DIR  release build folder (default build/release)
#   FIXTURE    AFP file whose documents are repeated (default fop-hello.afp)
#   SIZES      page counts (default "1000 10000 100000")
#   WORK_DIR   scratch folder (default build/bench-spool)
#   JOBS       parallel build jobs (default: all CPUs)
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_DIR="${BUILD_DIR:-$ROOT/build/release}"
FIXTURE="${FIXTURE:-$ROOT/tests/data/fop/fop-hello.afp}"
SIZES="${SIZES:-1000 10000 100000}"
WORK="${WORK_DIR:-$ROOT/build/bench-spool}"

for tool in /usr/bin/time python3; do
  command -v "$tool" >/dev/null || { echo "missing: $tool" >&2; exit 1; }
done

if [ -z "${NO_BUILD:-}" ]; then
  cmake -S "$ROOT" -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$BUILD_DIR" --parallel "${JOBS:-$(nproc)}" --target lorbane-demo >/dev/null
fi
DEMO="$BUILD_DIR/demo/lorbane-demo"

rm -rf "$WORK"
mkdir -p "$WORK/out"
cd "$WORK"

# All documents go to one PDF; a single PDFDocLimits value of 1000 allows
# 100,000 pages. DevTest leaves the time-dependent parts out of the PDF.
cp "$ROOT/demo/lorbane.ini" lorbane.ini
printf 'PDFDocLimits=1000\nDevTest=on\n' >> lorbane.ini
ln -sfn "$ROOT/data" data

echo "machine: $(nproc) CPUs, $(awk -F': ' '/model name/ {print $2; exit}' /proc/cpuinfo)"
echo "fixture: $(basename "$FIXTURE")"
printf '%8s  %10s  %9s  %12s  %12s\n' pages seconds pages/s "peak MiB" "PDF bytes"
for pages in $SIZES; do
  # Whole documents (begin to end of document, with the resource groups in
  # front of the first) repeated until the page count is reached.
  python3 - "$FIXTURE" "$pages" "spool-$pages.afp" <<'EOF'
import sys
data = open(sys.argv[1], 'rb').read()
want, out = int(sys.argv[2]), sys.argv[3]
BDT, EDT, BPG = b'\xd3\xa8\xa8', b'\xd3\xa9\xa8', b'\xd3\xa8\xaf'
head, docs, pos, start, per = b'', [], 0, None, 0
while pos < len(data):
    if data[pos] != 0x5A:
        sys.exit('not a structured field at %d' % pos)
    n = int.from_bytes(data[pos + 1:pos + 3], 'big')
    kind = data[pos + 3:pos + 6]
    if kind == BDT:
        start = pos
        if not docs:
            head = data[:pos]
    elif kind == BPG:
        per += 1
    pos += 1 + n
    if kind == EDT and start is not None:
        docs.append(data[start:pos])
        start = None
if not docs or not per:
    sys.exit('no document with pages in ' + sys.argv[1])
body = b''.join(docs)
copies = -(-want // per)
with open(out, 'wb') as f:
    f.write(head)
    for _ in range(copies):
        f.write(body)
print(copies * per, file=open(out + '.pages', 'w'))
EOF
  made=$(cat "spool-$pages.afp.pages")
  /usr/bin/time -v "$DEMO" lorbane -PDF -op:out/ "spool-$pages.afp" > "run-$pages.txt" 2> "time-$pages.txt" || true
  pdf="out/spool-$pages.pdf"
  [ -f "$pdf" ] || { echo "no PDF written for $pages pages; see $WORK/run-$pages.txt" >&2; exit 1; }
  elapsed=$(awk -F': ' '/Elapsed \(wall clock\)/ {print $2}' "time-$pages.txt")
  peak_kb=$(awk -F': ' '/Maximum resident set size/ {print $2}' "time-$pages.txt")
  python3 - "$made" "$elapsed" "$peak_kb" "$(stat -c %s "$pdf")" <<'EOF'
import sys
pages, elapsed, peak, size = int(sys.argv[1]), sys.argv[2], int(sys.argv[3]), int(sys.argv[4])
seconds = sum(float(x) * 60 ** i for i, x in enumerate(reversed(elapsed.split(':'))))
print('%8d  %10.2f  %9.0f  %12.1f  %12d' % (pages, seconds, pages / max(seconds, 1e-6),
                                            peak / 1024.0, size))
EOF
  rm -f "spool-$pages.afp"
done
