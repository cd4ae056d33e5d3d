#!/usr/bin/env bash
# Sets up the machine if needed, builds everything for Windows and runs every test under Wine.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${PAVONEL_BUILD_DIR:-$root/build}
cd "$root"
bash tools/setup.sh
cmake --preset mingw -B "$build" >/dev/null
cmake --build "$build" -j"$(nproc)"
# Test programs share one Wine prefix and display; two at a time keeps a 2-core machine responsive.
ctest --test-dir "$build" -j2 --output-on-failure --timeout 600
