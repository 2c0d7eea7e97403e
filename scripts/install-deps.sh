#!/usr/bin/env bash
# Installs every Debian 12 package the build, the program and the tests need.
set -euo pipefail
packages=(
  build-essential cmake ninja-build ccache pkg-config git
  qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev qt6-svg-dev qt6-qpa-plugins
  libjsoncpp-dev libudev-dev libcurl4-openssl-dev
  libx11-dev libxi-dev libxtst-dev libpulse-dev libfftw3-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev valgrind
  xvfb xauth xdotool imagemagick x11-utils dbus dbus-x11 fonts-dejavu-core fonts-wqy-microhei fonts-noto-core fonts-noto-cjk procps
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
fi
