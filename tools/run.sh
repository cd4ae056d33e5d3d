#!/usr/bin/env bash
# Sets up the machine if needed, builds everything and runs the installer under Wine
# against a local stand-in of the vendor's services.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${PAVONEL_BUILD_DIR:-$root/build}
cd "$root"
bash tools/setup.sh
cmake --preset mingw -B "$build" >/dev/null
cmake --build "$build" -j"$(nproc)"
exec bash tools/demo.sh "$build"
