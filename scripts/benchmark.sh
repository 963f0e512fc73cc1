#!/usr/bin/env bash
# Measures Tolvane with a big phone book, on an optimised build without the
# sanitizers:
# 1. the whole-process CPU time and peak memory of a command-line run (start-up,
#    one send to a simulated gateway, the close) with phone books of 3, 10 000
#    and 100 000 people: the mean of RUNS runs (default 10), and the ratio to
#    the run with 3 people;
# 2. the benchmarks of benchmarks/ (start-up, recipient list, typing, the
#    phone-book window) with 10 000 and 100 000 people;
# 3. the message store: its share of a group run of 40 (on the simulated loop,
#    and through the whole program against tools/smpp-sim), and a store of
#    1 000 000 messages opened and added to;
# 4. a contact file of 100 000 people imported (CSV and vCard).
#
#   scripts/benchmark.sh [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-10}
scripts/install-deps.sh
build=${TOLVANE_RELEASE_BUILD_DIR:-build-release}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTOLVANE_SANITIZE=OFF >/dev/null
cmake --build "$build" --target tolvane gateway-sim smpp-sim make_teledata tolvane_benchmarks \
  tolvane_store_benchmarks tolvane_store_share_benchmark tolvane_messages_benchmark \
  tolvane_contacts_benchmark >/dev/null

work=$(mktemp -d)
gateway_pid=""
trap '[ -n "$gateway_pid" ] && kill "$gateway_pid" 2>/dev/null; rm -rf "$work"' EXIT
: >"$work/gateway-sim.log"
"$build/bin/gateway-sim" --port 0 >"$work/gateway-sim.log" 2>&1 &
gateway_pid=$!
address=""
for _ in $(seq 100); do
  address=$(grep -o 'http://[0-9.:]*' "$work/gateway-sim.log" | head -n 1 || true)
  [ -n "$address" ] && break
  sleep 0.1
done
[ -n "$address" ] || { echo "gateway-sim did not start" >&2; exit 1; }

base_cpu=""
printf '%8s %10s %8s %12s\n' people "CPU (s)" ratio "peak (MB)"
for people in 3 10000 100000; do
  folder=$work/$people
  mkdir -p "$folder"
  cp "$build/bin/tolvane" "$folder/"
  "$build/tools/teledata/make_teledata" --people "$people" "$folder/teledata.mdb"
  printf '[Access]\r\nAccessTyp=TCP\r\n[TCP]\r\nTCPAnvNamn=bench\r\nTCPGateway=%s\r\n' \
    "$address" >"$folder/tolvmsg.ini"
  total_cpu=0
  peak_kb=0
  for _ in $(seq "$runs"); do
    QT_QPA_PLATFORM=offscreen /usr/bin/time -v -o "$folder/time.txt" \
      "$folder/tolvane" "N//0701234567//Hello there" 2>/dev/null
    user=$(awk -F': ' '/User time/ {print $2}' "$folder/time.txt")
    system=$(awk -F': ' '/System time/ {print $2}' "$folder/time.txt")
    rss=$(awk -F': ' '/Maximum resident/ {print $2}' "$folder/time.txt")
    total_cpu=$(echo "$total_cpu + $user + $system" | bc -l)
    [ "$rss" -gt "$peak_kb" ] && peak_kb=$rss
  done
  cpu=$(echo "scale=3; $total_cpu / $runs" | bc -l)
  [ -z "$base_cpu" ] && base_cpu=$cpu
  printf '%8s %10.3f %7.2fx %12.1f\n' "$people" "$cpu" "$(echo "$cpu / $base_cpu" | bc -l)" \
    "$(echo "$peak_kb / 1024" | bc -l)"
done

echo
QT_QPA_PLATFORM=offscreen "$build/benchmarks/tolvane_benchmarks"

echo
"$build/benchmarks/tolvane_store_benchmarks"
QT_QPA_PLATFORM=offscreen "$build/benchmarks/tolvane_messages_benchmark"
benchmarks/store_share.sh "$build"
"$build/benchmarks/tolvane_contacts_benchmark"
