#!/usr/bin/env bash
# Sets up and builds into build/ (or $BUILD_DIR).
#
#   build.sh [CMAKE_ARG...]
#
# Extra arguments go to cmake's configure step, and so do the blank-separated words of
# $PW_CMAKE_ARGS (e.g. PW_CMAKE_ARGS=-DPW_WERROR=ON); $PW_JOBS sets the parallel jobs.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$here/build}
read -r -a extra <<<"${PW_CMAKE_ARGS:-}"
bash "$here/scripts/setup.sh"
cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${extra[@]}" "$@" >/dev/null
cmake --build "$build" -j "${PW_JOBS:-$(nproc)}"
