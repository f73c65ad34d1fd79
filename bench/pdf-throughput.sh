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

# Pages of running text in three families and sizes, with underlined,
# coloured and turned passages.
python3 - "$PAGES" > bench.fo <<'EOF'
import sys
pages = int(sys.argv[1])
words = ("invoice statement account balance payment reference customer order "
         "delivery amount total period service charge").split()
out = ['<?xml version="1.0" encoding="UTF-8"?>',
       '<fo:root xmlns:fo="http://www.w3.org/1999/XSL/Format">',
       '<fo:layout-master-set><fo:simple-page-master master-name="a4" page-width="210mm" '
       'page-height="297mm" margin="15mm"><fo:region-body/></fo:simple-page-master></fo:layout-master-set>',
       '<fo:page-sequence master-reference="a4"><fo:flow flow-name="xsl-region-body" font-family="Helvetica" font-size="10pt">']
for p in range(pages):
    brk = ' break-before="page"' if p else ''
    out.append(f'<fo:block{brk} font-size="14pt" font-weight="bold">Statement page {p + 1}</fo:block>')
    for line in range(40):
        text = ' '.join(words[(p + line + k) % len(words)] for k in range(12))
        family = ('Helvetica', 'Times', 'Courier')[line % 3]
        deco = ' text-decoration="underline"' if line % 10 == 0 else ''
        colour = ' color="#C00000"' if line % 7 == 0 else ''
        out.append(f'<fo:block font-family="{family}"{deco}{colour}>{line + 1:02d} {text} {p * 40 + line:08d}</fo:block>')
    out.append('<fo:block-container reference-orientation="90" width="30mm" height="20mm">'
               f'<fo:block>Turned note {p + 1}</fo:block></fo:block-container>')
out.append('</fo:flow></fo:page-sequence></fo:root>')
print('\n'.join(out))
EOF
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
