#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite: unit, headless widget and end-to-end.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
bash "$here/scripts/build.sh"
cd "${BUILD_DIR:-$here/build}"
ctest --output-on-failure -j "$(nproc)" --timeout 600
