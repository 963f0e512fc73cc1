#!/usr/bin/env bash
# Kills the real program at N or more random points of a group run (default
# 200) over smpp-sim, emi-sim and gsm-modem-sim, resumes each run with
# `tolvane --resume` and checks the simulators' records (the CrashTest
# end-to-end test, run with many kill points), JOBS test processes at a time
# (default 3; most of a run is the program's own pauses). Prints every kill
# point that failed and a tally by step and outcome: how many passed, left a
# member "Unknown", had the resume exit 1, were killed inside a system call on
# the store's files ("store call": a write, sync or lock of a commit) or left
# an uncommitted transaction in its write-ahead log ("torn WAL"), and logged a
# member twice. Exits 1 when a point failed.
# SEED (default: the time) chooses the points; the same seed draws them again.
#
#   scripts/crash-loop.sh [N] [JOBS] [SEED]
set -euo pipefail
cd "$(dirname "$0")/.."
total=${1:-200}
jobs=${2:-3}
seed=${3:-$(date +%s)}
build=${TOLVANE_BUILD_DIR:-build-test}
cmake --build "$build" --target tolvane_qt_tests >/dev/null
# Points per simulator and job, a multiple of the five steps.
per=$(( (total + 3 * jobs - 1) / (3 * jobs) ))
per=$(( (per + 4) / 5 * 5 ))
echo "crash loop: $((per * 3 * jobs)) kill points, $jobs jobs, seed $seed"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
pids=()
for job in $(seq 1 "$jobs"); do
  QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8 LANG=C.UTF-8 TOLVANE_CRASH_POINTS=$per \
    TOLVANE_CRASH_SEED=$((seed + job)) "$build/bin/tolvane_qt_tests" \
    --gtest_filter='Simulators/CrashTest.*' >"$work/job$job.log" 2>&1 &
  pids+=($!)
done
status=0
for pid in "${pids[@]}"; do wait "$pid" || status=1; done

cat "$work"/job*.log | grep -h -A12 '^\.\./.*Failure' || true
cat "$work"/job*.log | grep -h '^crash point:' | awk '
  {
    for (i = 3; i <= NF; ++i) { split($i, kv, "="); f[kv[1]] = kv[2] }
    step = f["step"]; steps[step] = 1; n[step]++; all++
    if (f["result"] == "pass") pass[step]++; else { fail[step]++; failed++ }
    if (f["unknown"] > 0) unknown[step]++
    if (f["logged_twice"] > 0) twice[step]++
    if (f["torn"] == 1) torn[step]++
    if (f["resume"] == 1) exit1[step]++
    if (f["store_call"] != "-") call[step]++
  }
  END {
    printf "%-7s %6s %5s %5s %13s %9s %11s %11s %13s\n", "step", "points", "pass", "FAIL",
      "with Unknown", "resume 1", "store call", "torn WAL", "logged twice"
    split("login submit answer member commit", order, " ")
    for (i = 1; i <= 5; ++i) if ((step = order[i]) in steps)
      printf "%-7s %6d %5d %5d %13d %9d %11d %11d %13d\n", step, n[step], pass[step],
        fail[step], unknown[step], exit1[step], call[step], torn[step], twice[step]
    printf "total: %d kill points, %d failed\n", all, failed
    exit failed > 0 || all == 0
  }' || status=1
exit $status
