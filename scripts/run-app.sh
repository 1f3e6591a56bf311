#!/usr/bin/env bash
# Sets up and builds the program alone (no tests), then starts it.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
# Without a display the program cannot open its window: say so before a long build.
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "This program needs a desktop session (or Xvfb): set DISPLAY or WAYLAND_DISPLAY." >&2
    exit 1
fi
bash "$here/scripts/build.sh" app
exec "${BUILD_DIR:-$here/build}/bin/pondwhirl-downloader"
