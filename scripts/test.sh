#!/usr/bin/env bash
# Setup, sanitizer build of everything, then every test.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export BUILD_DIR="${BUILD_DIR:-$ROOT/build/sanitize}"
export BUILD_TYPE=Debug
export SANITIZE=ON
bash "$ROOT/scripts/setup.sh"

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:strict_string_checks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
ctest --test-dir "$BUILD_DIR" --output-on-failure -j "$(nproc)"

# Short fuzz smoke runs, when the fuzz targets exist.
if [ -x "$ROOT/fuzz/smoke.sh" ]; then
  bash "$ROOT/fuzz/smoke.sh"
fi
