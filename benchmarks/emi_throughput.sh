#!/usr/bin/env bash
# Throughput of the UCP/EMI transport: one group run of COUNT numbers
# (10000 unless given) with receipts off, through the whole program on Qt to
# tools/emi-sim on loopback answering each submit after 50 ms; with
# [EMI] Window=10, then Window=1 over COUNT1 numbers (COUNT unless given).
# Prints the messages a second, CPU time per message and peak memory of
# each, and fails unless every number was submitted exactly once and
# accepted. On an optimised build without the sanitizers:
#   benchmarks/emi_throughput.sh BUILD [COUNT [COUNT1]]
set -euo pipefail
build=$(realpath "$1")
count=${2:-10000}
count1=${3:-$count}
work=$(mktemp -d)
trap 'kill "${sim:-}" 2>/dev/null || true; rm -rf "$work"' EXIT

"$build/bin/emi-sim" --port 0 --answer-delay 50 > "$work/sim.log" 2>&1 &
sim=$!
port=""
for _ in $(seq 100); do
  port=$(grep -o 'listening on 127.0.0.1:[0-9]*' "$work/sim.log" | sed 's/.*://' || true)
  [ -n "$port" ] && break
  sleep 0.1
done
[ -n "$port" ] || { echo "emi-sim did not start" >&2; exit 1; }

for run in "10 $count" "1 $count1"; do
  read -r window n <<< "$run"
  # The centre's lines of this run only.
  before=$(wc -l < "$work/sim.log")
  QT_QPA_PLATFORM=offscreen "$build/benchmarks/tolvane_emi_benchmark" "$port" "$window" "$n" \
    2>/dev/null
  tail -n +"$((before + 1))" "$work/sim.log" > "$work/run.log"
  submitted=$(grep -c '^op 51 to ' "$work/run.log" || true)
  numbers=$( (grep -o '^op 51 to [0-9]*' "$work/run.log" || true) | sort -u | wc -l)
  most=$( (grep -o ', [0-9]* outstanding' "$work/run.log" || true) | grep -o '[0-9]*' | sort -n |
    tail -n 1)
  echo "  $submitted submits to $numbers numbers, at most $most outstanding"
  [ "$submitted" -eq "$n" ] && [ "$numbers" -eq "$n" ] ||
    { echo "Window=$window: not every number submitted exactly once" >&2; exit 1; }
done
