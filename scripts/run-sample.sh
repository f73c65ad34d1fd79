#!/usr/bin/env bash
# Installs the packages, makes a release build, shows the demonstration
# program's version, then runs the README's first-run sequence (the lines
# between its two marker comments) in an emptied build/sample, with LORBANE
# naming this clone, and prints where the outputs are.
set -uo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# The sequence runs the release build in build/release.
BUILD_DIR="$ROOT/build/release"

BUILD_DIR="$BUILD_DIR" BUILD_TYPE=Release "$ROOT/scripts/setup.sh" || exit 1
cmake --build "$BUILD_DIR" --target lorbane-demo || exit 1

SEQUENCE="$(sed -n '/^<!-- first-run sequence/,/^<!-- end of the first-run sequence/s/^    //p' "$ROOT/README.md")"
if [ -z "$SEQUENCE" ]; then
  echo "run-sample: no first-run sequence in $ROOT/README.md" >&2
  exit 1
fi

# Outputs of an earlier run would be listed as this run's.
RUN="$ROOT/build/sample"
rm -rf "$RUN"
mkdir -p "$RUN"
cd "$RUN" || exit 1

"$BUILD_DIR/demo/lorbane-demo" -v
LORBANE="$ROOT" bash -c "$SEQUENCE"
found=0
for f in "$RUN"/out/* "$RUN"/out/colour/*; do
  [ -f "$f" ] || continue
  echo "Output: $f"
  found=1
done
[ "$found" = 1 ] || echo "No output in $RUN/out (see the messages above)"
exit 0
