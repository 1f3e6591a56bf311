#!/usr/bin/env bash
# Installs what the build and the tests need on Debian 12, skipping what is there.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  googletest libgtest-dev
  curl grep sed coreutils
  xvfb xauth openbox xdotool imagemagick x11-utils fonts-dejavu-core
  desktop-file-utils
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
  sudo=()
elif command -v sudo >/dev/null 2>&1; then
  sudo=(sudo)
else
  # Nothing has been changed yet: say what to do instead of failing half-way.
  {
    echo "These packages are missing: ${missing[*]}"
    echo "Installing them needs root, and sudo is not available. Either run this script as root,"
    echo "or have them installed (e.g. as root: apt-get install ${missing[*]}) and run it again."
  } >&2
  exit 1
fi
echo "Installing: ${missing[*]}"
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
