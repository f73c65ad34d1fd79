#!/usr/bin/env bash
# Installs the Debian packages the project needs (idempotent), then configures
# and builds. BUILD_DIR, BUILD_TYPE and SANITIZE select the build.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

PACKAGES=(
  build-essential cmake ninja-build ccache pkg-config
  libpoppler-private-dev libfreetype-dev libtiff-dev libjpeg62-turbo-dev
  libpng-dev libgif-dev zlib1g-dev libdeflate-dev libgd-dev libxml2-dev libperl-dev
  libcurl4-openssl-dev libcairo2-dev uuid-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  qpdf poppler-utils mupdf-tools libtiff-tools libjpeg-turbo-progs pngcheck
  libxml2-utils zbar-tools dmtx-utils python3-pyftpdlib imagemagick
  clang libclang-rt-14-dev
  fonts-urw-base35 fonts-dejavu-core fonts-liberation2 fonts-noto-mono poppler-data
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if ((${#missing[@]})); then
  SUDO=""
  if [ "$(id -u)" != 0 ]; then SUDO="sudo"; fi
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

[ "${SETUP_ONLY:-0}" = 1 ] && exit 0

BUILD_DIR="${BUILD_DIR:-$ROOT/build/release}"
BUILD_TYPE="${BUILD_TYPE:-Release}"
SANITIZE="${SANITIZE:-OFF}"
WERROR="${WERROR:-OFF}"
if [ "${CI:-}" = true ]; then WERROR=ON; fi

export CCACHE_BASEDIR="$ROOT"
cmake -S "$ROOT" -B "$BUILD_DIR" -G Ninja \
  -DCMAKE_BUILD_TYPE="$BUILD_TYPE" \
  -DLORBANE_SANITIZE="$SANITIZE" \
  -DLORBANE_WERROR="$WERROR" \
  ${LORBANE_CMAKE_ARGS:-}
cmake --build "$BUILD_DIR" -j "$(nproc)"
