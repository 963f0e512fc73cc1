#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the program and the tests need.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config git
  qt6-base-dev qt6-serialport-dev qt6-httpserver-dev qt6-websockets-dev libgl1-mesa-dev
  libsqlite3-dev libsodium-dev libutf8proc-dev libcsv-dev sqlite3 nlohmann-json3-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  time bc
  clang-14 libclang-rt-14-dev valgrind
  xdg-utils
  dpkg-dev file lintian desktop-file-utils man-db
  xvfb xauth imagemagick librsvg2-bin openbox
  dovecot-pop3d openssl curl
)
# The OpenAPI checks run on Node.js with npm; a machine that brings its own
# keeps it.
command -v npm >/dev/null || packages+=(nodejs npm)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "${missing[@]}"
fi
