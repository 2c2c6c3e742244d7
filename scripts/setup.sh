#!/usr/bin/env bash
# Installs what Tolvik needs to build, test and run on Debian 12, when run as root and something
# is missing. Sourced by the run and test scripts.
set -euo pipefail

TOLVIK_PACKAGES=(
  g++ cmake ninja-build pkg-config
  qt6-base-dev libgl-dev qt6-serialport-dev qt6-serialbus-dev
  libgtest-dev libgmock-dev libbenchmark-dev libtinyxml2-dev libpugixml-dev libfmt-dev
  clang libclang-rt-14-dev
  xvfb xauth xdotool x11-utils imagemagick python3 python3-xlib fonts-dejavu-core fonts-dejavu-extra
  dpkg-dev fakeroot file lintian desktop-file-utils appstream qt6-qpa-plugins
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix wine64 googletest nsis wixl msitools
  python3-can clang-format
)

tolvik_missing_packages() {
  local missing=()
  for package in "${TOLVIK_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
  done
  # The CAN test peer runs on Node.js; any Node with npm will do (Debian's or another source's).
  command -v npm >/dev/null || missing+=(nodejs npm)
  echo "${missing[@]:-}"
}

tolvik_setup() {
  local missing
  missing=$(tolvik_missing_packages)
  [ -z "$missing" ] && return 0
  if [ "$(id -u)" = "0" ]; then
    echo "Installing: $missing"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    # shellcheck disable=SC2086
    apt-get install -y -qq --no-install-recommends $missing >/dev/null
  else
    echo "Missing Debian packages: $missing" >&2
    echo "Run this script as root once, or: sudo apt-get install $missing" >&2
    exit 1
  fi
}

# The CAN test peer's npm packages, exactly as locked, with no install scripts run. Installs again
# only when the lock file is newer than the installed tree.
tolvik_peer_setup() {
  local peer
  peer="$(dirname "${BASH_SOURCE[0]}")/../tests/peer"
  if [ ! -f "$peer/node_modules/.package-lock.json" ] || [ "$peer/package-lock.json" -nt "$peer/node_modules/.package-lock.json" ]; then
    (cd "$peer" && npm ci --ignore-scripts --no-audit --no-fund)
  fi
}
