#!/usr/bin/env bash
# Sets up and builds into build/ (or $BUILD_DIR).
#
#   build.sh [app|tests] [CMAKE_ARG...]
#
# app: the program alone, configured without tests; tests (the default): the program, its
# tests and benchmarks. Each installs only what it needs (scripts/setup.sh). Extra
# arguments go to cmake's configure step, and so do the blank-separated words of
# $PW_CMAKE_ARGS (e.g. PW_CMAKE_ARGS=-DPW_WERROR=ON); $PW_JOBS sets the parallel jobs.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$here/build}
read -r -a extra <<<"${PW_CMAKE_ARGS:-}"
what=tests
case "${1:-}" in
  app | tests) what=$1; shift ;;
esac
bash "$here/scripts/setup.sh" "$what"
# BUILD_TESTING is cached in the build folder: given every time, last, so that a tests
# build after a program-only one in the same folder has its tests again.
if [ "$what" = app ]; then
  cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${extra[@]}" "$@" -DBUILD_TESTING=OFF >/dev/null
  cmake --build "$build" -j "${PW_JOBS:-$(nproc)}" --target pondwhirl-downloader
else
  cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${extra[@]}" "$@" -DBUILD_TESTING=ON >/dev/null
  cmake --build "$build" -j "${PW_JOBS:-$(nproc)}"
fi
