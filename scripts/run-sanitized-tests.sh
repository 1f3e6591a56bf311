#!/usr/bin/env bash
# Builds the program and its tests with AddressSanitizer and UndefinedBehaviorSanitizer
# into build-asan/ (or $BUILD_DIR) and runs the whole suite there. Any error a sanitizer
# finds ends the process that has it, so the test fails; leaks are errors too, but for
# those inside system libraries (scripts/lsan.supp). $PW_CMAKE_ARGS and $PW_JOBS as for
# scripts/build.sh.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$here/build-asan}
sanitize="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"

BUILD_DIR=$build bash "$here/scripts/build.sh" tests \
    "-DCMAKE_CXX_FLAGS=$sanitize" "-DCMAKE_EXE_LINKER_FLAGS=$sanitize"

export ASAN_OPTIONS=halt_on_error=1:abort_on_error=0:detect_leaks=1:detect_stack_use_after_return=1:strict_init_order=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export LSAN_OPTIONS=suppressions=$here/scripts/lsan.supp:print_suppressions=0
cd "$build"
ctest --output-on-failure -j "${PW_JOBS:-$(nproc)}" --timeout 900
