#!/usr/bin/env bash
# Sets up, builds and starts the application.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
bash "$here/scripts/build.sh"
exec "${BUILD_DIR:-$here/build}/bin/pondwhirl-downloader"
