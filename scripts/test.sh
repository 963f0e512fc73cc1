#!/usr/bin/env bash
# Installs what is missing, builds everything with the sanitizers on and runs
# every test; then builds the Debian package and checks it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
build=${TOLVANE_TEST_BUILD_DIR:-build-test}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTOLVANE_SANITIZE=ON
cmake --build "$build"
ctest --test-dir "$build" --output-on-failure --timeout 300

package=${TOLVANE_PACKAGE_BUILD_DIR:-build-package}
scripts/build-package.sh "$package"
ctest --test-dir "$package" --output-on-failure --timeout 300
