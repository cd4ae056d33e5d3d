#!/usr/bin/env bash
# Sets up the machine if needed, builds the installer and runs it under Wine against a local stand-in of the
# vendor's services: the 32-bit product where this host runs 32-bit code, else the 64-bit build.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
base=${PAVONEL_BUILD_DIR:-$root/build}
cd "$root"
bash tools/setup.sh
if reason=$(tools/wine-run --can-run --arch i686 2>&1); then
  preset=mingw build=$base
  echo "[run] showing the 32-bit installer (the product users download)"
else
  preset=mingw64 build=$base-x86_64
  echo "[run] showing the 64-bit build: ${reason#wine-run: skipped * programs (i686): }"
fi
cmake --preset "$preset" -B "$build" >/dev/null
cmake --build "$build" -j"$(nproc)" --target PavonelLocal pavonel_sample_package
exec bash tools/demo.sh "$build"
