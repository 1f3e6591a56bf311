#!/usr/bin/env bash
# Installs on Debian 12 what one command needs, skipping what is there.
#
#   setup.sh app     building and running the program
#   setup.sh tests   that, and building and running its tests and benchmarks (the default)
set -euo pipefail

# The compiler, CMake and Qt to build it; curl, grep, sed and the core utilities that its
# command lines run.
app_packages=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  curl grep sed coreutils
)
# GoogleTest, and the X server, window manager and X tools of the end-to-end tests.
test_packages=(
  googletest libgtest-dev
  xvfb xauth openbox xdotool imagemagick x11-utils fonts-dejavu-core
  desktop-file-utils
)

case "${1:-tests}" in
  app)
    packages=("${app_packages[@]}")
    purpose="Building and running the program"
    ;;
  tests)
    packages=("${app_packages[@]}" "${test_packages[@]}")
    purpose="Building and running the tests"
    ;;
  *)
    echo "usage: $0 [app|tests]" >&2
    exit 2
    ;;
esac

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

# What is run below, and what a user without root is told to run: the same line.
update=(apt-get update)
install=(apt-get install -y --no-install-recommends "${missing[@]}")

if [ "$(id -u)" -eq 0 ]; then
  sudo=()
elif command -v sudo >/dev/null 2>&1; then
  sudo=(sudo)
else
  # Nothing has been changed yet: say what to do instead of failing half-way.
  {
    echo "$purpose needs these packages, which are missing: ${missing[*]}"
    echo "Installing them needs root, and sudo is not available. Run this script as root, or"
    echo "have them installed, as root:"
    echo "  ${update[*]} && ${install[*]}"
    echo "and run it again."
  } >&2
  exit 1
fi
echo "Installing: ${missing[*]}"
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive "${update[@]}"
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive "${install[@]}"
