#!/usr/bin/env bash
# Starts the stand-in vendor service, runs the download benchmark under Wine, stops the service.
#   bench/download_bench.sh [build-dir] [bytes]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-$root/build}
size=${2:-209715200}
cmake --build "$build" --target bench_download pavonel_sample_package >/dev/null
service=$root/tools/vendor-service/vendor_service.py
python3 "$service" --background --replace --package "$build/tools/sample-package/CORVEX_Online.exe"
trap 'python3 "$service" --stop' EXIT
"$root/tools/wine-run" --prefix "$build/wineprefix" "$build/tests/installer/bench_download.exe" "$size"
