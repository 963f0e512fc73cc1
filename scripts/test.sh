#!/usr/bin/env bash
# Installs what is missing, builds everything with the sanitizers on and runs
# every test; then builds the Debian package and checks it, runs each fuzz
# target for a bounded time and, when asked, the end-to-end runs under
# Valgrind's memcheck.
#
#   TOLVANE_FUZZ_SECONDS  seconds each fuzz target runs (default 30; 0 skips fuzzing)
#   TOLVANE_MEMCHECK=1    also run the end-to-end tests under memcheck
set -euo pipefail
cd "$(dirname "$0")/.."
# Only the plain build at the end runs under memcheck; the sanitized tests
# before it must not see the switch.
memcheck=${TOLVANE_MEMCHECK:-0}
unset TOLVANE_MEMCHECK
scripts/install-deps.sh
build=${TOLVANE_TEST_BUILD_DIR:-build-test}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTOLVANE_SANITIZE=ON
cmake --build "$build"
ctest --test-dir "$build" --output-on-failure --timeout 300

package=${TOLVANE_PACKAGE_BUILD_DIR:-build-package}
scripts/build-package.sh "$package"
ctest --test-dir "$package" --output-on-failure --timeout 300

fuzz_seconds=${TOLVANE_FUZZ_SECONDS:-30}
if [ "$fuzz_seconds" -gt 0 ]; then
  # Every object is instrumented for libFuzzer, so the targets have a build
  # folder of their own.
  fuzz_build=${TOLVANE_FUZZ_BUILD_DIR:-build-fuzz}
  cmake -S . -B "$fuzz_build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOLVANE_FUZZ=ON \
    -DCMAKE_CXX_COMPILER=clang++-14
  cmake --build "$fuzz_build" --target tolvane_fuzzers
  mkdir -p "$fuzz_build/crashes"
  for fuzzer in "$fuzz_build"/fuzzers/*; do
    name=$(basename "$fuzzer")
    # New inputs go to the build folder; the seeds in the repository stay as they are.
    mkdir -p "$fuzz_build/corpus/$name"
    echo "Fuzzing $name for $fuzz_seconds s"
    if ! "$fuzzer" -max_total_time="$fuzz_seconds" -timeout=20 -rss_limit_mb=2048 \
      -artifact_prefix="$fuzz_build/crashes/$name-" \
      "$fuzz_build/corpus/$name" "tests/fuzz/corpus/$name" >"$fuzz_build/$name.log" 2>&1; then
      tail -n 60 "$fuzz_build/$name.log"
      echo "$name failed; the input is in $fuzz_build/crashes/" >&2
      exit 1
    fi
    grep -E "^(Done|#[0-9]+ +DONE)" "$fuzz_build/$name.log" || true
  done
fi

if [ "$memcheck" = 1 ]; then
  # Valgrind cannot run a sanitized program: a plain build of its own.
  memcheck_build=${TOLVANE_MEMCHECK_BUILD_DIR:-build-memcheck}
  cmake -S . -B "$memcheck_build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTOLVANE_SANITIZE=OFF
  cmake --build "$memcheck_build" --target tolvane_qt_tests
  QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8 TOLVANE_MEMCHECK=1 \
    "$memcheck_build/bin/tolvane_qt_tests" --gtest_filter='EndToEndTest.*'
fi
