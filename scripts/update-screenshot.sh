#!/usr/bin/env bash
# Renews docs/screenshot.png: builds, opens the real window in a headless X server (the
# end-to-end window scenario) and copies its picture into docs/.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$here/build}
bash "$here/scripts/build.sh" tests
work=$build/update-screenshot
bash "$here/tests/e2e/window.sh" "$build/bin/pondwhirl-downloader" "$build/bin/fake-pondwhirl" "$work"
cp "$work/window.png" "$here/docs/screenshot.png"
echo "updated $here/docs/screenshot.png"
