#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite: unit, headless widget and end-to-end.
# $BUILD_DIR, $PW_CMAKE_ARGS and $PW_JOBS as for scripts/build.sh.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
bash "$here/scripts/build.sh" tests
cd "${BUILD_DIR:-$here/build}"
ctest --output-on-failure -j "${PW_JOBS:-$(nproc)}" --timeout 600
