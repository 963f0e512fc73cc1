#!/usr/bin/env bash
# The message store's share of a group run's time: RUNS runs (5 unless
# given) of 40 two-part messages over SMPP, window 10, through the whole
# program on Qt to tools/smpp-sim on loopback answering each submit and
# sending each receipt after 50 ms; each run once with messages.db on the
# disk and once on tmpfs (/dev/shm), where its flushes cost nothing. Prints
# the mean run times and the share the store's disk costs. On an optimised
# build without the sanitizers:
#   benchmarks/store_share.sh BUILD [RUNS]
set -euo pipefail
build=$(realpath "$1")
runs=${2:-5}
work=$(mktemp -d)
shm=$(mktemp -d -p /dev/shm)
trap 'kill "${sim:-}" 2>/dev/null || true; rm -rf "$work" "$shm"' EXIT

"$build/bin/smpp-sim" --port 0 --answer-delay 50 --submit-delay 50 --receipt-delay 50 \
  > "$work/sim.log" 2>&1 &
sim=$!
port=""
for _ in $(seq 100); do
  port=$(grep -o '127\.0\.0\.1:[0-9]*' "$work/sim.log" | head -n 1 | sed 's/.*://' || true)
  [ -n "$port" ] && break
  sleep 0.1
done
[ -n "$port" ] || { echo "smpp-sim did not start" >&2; exit 1; }

disk=0
tmpfs=0
for _ in $(seq "$runs"); do
  d=$(QT_QPA_PLATFORM=offscreen "$build/benchmarks/tolvane_store_share_benchmark" "$port" "$work" 2>/dev/null)
  t=$(QT_QPA_PLATFORM=offscreen "$build/benchmarks/tolvane_store_share_benchmark" "$port" "$shm" 2>/dev/null)
  echo "  store on disk $d ms, on tmpfs $t ms"
  disk=$(echo "$disk + $d" | bc -l)
  tmpfs=$(echo "$tmpfs + $t" | bc -l)
done
printf 'Group run of 40 (two parts each): %.1f ms with the store on disk, %.1f ms on tmpfs: ' \
  "$(echo "$disk / $runs" | bc -l)" "$(echo "$tmpfs / $runs" | bc -l)"
printf 'the store costs %.1f %% of the run\n' "$(echo "100 * ($disk - $tmpfs) / $tmpfs" | bc -l)"
