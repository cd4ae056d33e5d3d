#!/usr/bin/env bash
# Starts the stand-in vendor service and the installer (the build pointed at it) under Wine.
set -euo pipefail
build=${1:?usage: demo.sh BUILD_DIR}
exec python3 "$(dirname "${BASH_SOURCE[0]}")/e2e/demo.py" "$build"
