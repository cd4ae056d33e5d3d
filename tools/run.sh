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
if [ -x tools/demo.sh ]; then
  exec bash tools/demo.sh "$build"
fi
echo "Built into $build. The installer executable (Pavonel.exe) is not part of this build yet;"
echo "once it is, this command starts the stand-in vendor service and runs it under tools/wine-run."
