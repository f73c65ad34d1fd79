#!/usr/bin/env bash
# Installs the packages, makes a release build, shows the demonstration
# program's version, converts the sample AFP file to text and to PDF and
# prints where the outputs are. The run takes place in build/sample (INI
# file, output and error reports stay there).
set -uo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_DIR="${BUILD_DIR:-$ROOT/build/release}"

BUILD_DIR="$BUILD_DIR" BUILD_TYPE=Release "$ROOT/scripts/setup.sh" || exit 1
cmake --build "$BUILD_DIR" --target lorbane-demo || exit 1
DEMO="$BUILD_DIR/demo/lorbane-demo"

RUN="$ROOT/build/sample"
# Outputs of an earlier run would be listed as this run's.
rm -rf "$RUN/out"
mkdir -p "$RUN/out" "$RUN/log"
cp "$ROOT/demo/lorbane.ini" "$RUN/lorbane.ini"
ln -sfn "$ROOT/tests" "$RUN/tests"
ln -sfn "$ROOT/data" "$RUN/data"
cd "$RUN" || exit 1

"$DEMO" -v
for format in ASCII PDF; do
  "$DEMO" lorbane -$format -op:out/ tests/data/fop/fop-hello.afp
  rc=$?
  # Negative results arrive as 8-bit exit statuses (-12 is 244).
  if [ "$rc" -gt 127 ]; then rc=$((rc - 256)); fi
  echo "lorbane-demo result ($format): $rc" >&2
done
found=0
for f in "$RUN"/out/*; do
  [ -f "$f" ] || continue
  echo "Output: $f"
  found=1
done
[ "$found" = 1 ] || echo "No output in $RUN/out (see the messages above)"
exit 0
