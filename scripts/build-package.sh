#!/usr/bin/env bash
# Builds the Debian package of Tolvane from a release build of the program and
# its simulators, with Debian's hardening flags, into build-package/ (or the
# folder given). Install it with: sudo apt install ./build-package/tolvane_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
build=${1:-build-package}
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
CPPFLAGS=$(dpkg-buildflags --get CPPFLAGS)
CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $CPPFLAGS"
LDFLAGS=$(dpkg-buildflags --get LDFLAGS)
export CXXFLAGS LDFLAGS
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DTOLVANE_BUILD_TESTS=OFF -DTOLVANE_PACKAGE_TESTS=ON
cmake --build "$build"
(cd "$build" && cpack -G DEB)
ls "$build"/tolvane_*.deb
