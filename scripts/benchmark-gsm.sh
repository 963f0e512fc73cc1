#!/usr/bin/env bash
# Measures how close sending through a GSM modem comes to the floor the
# network sets: tools/gsm-modem-sim on a pseudo-terminal answers each AT+CMGS
# after DELAY ms (default 2000), and the real program sends, from the command
# line and without delivery reports,
# 1. one single-part message (the set-up plus one delay),
# 2. a list of 20 numbers, single-part messages over one open port (floor 20
#    delays),
# 3. one message of 5 linked parts (floor 5 delays).
# Each prints its wall time and the ratio of its time beyond the set-up to the
# floor (n delays), where the set-up is the single message's time less one
# delay: the program's start and close of an order and the modem's set-up.
#
#   scripts/benchmark-gsm.sh [DELAY]
set -euo pipefail
cd "$(dirname "$0")/.."
delay=${1:-2000}
scripts/install-deps.sh
build=${TOLVANE_RELEASE_BUILD_DIR:-build-release}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTOLVANE_SANITIZE=OFF >/dev/null
cmake --build "$build" --target tolvane gsm-modem-sim make_teledata >/dev/null

work=$(mktemp -d)
sim_pid=""
trap '[ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null; rm -rf "$work"' EXIT
"$build/bin/gsm-modem-sim" --network-delay "$delay" >"$work/gsm-modem-sim.log" 2>&1 &
sim_pid=$!
device=""
for _ in $(seq 100); do
  device=$(grep -o '^/dev/[^ ]*' "$work/gsm-modem-sim.log" | head -n 1 || true)
  [ -n "$device" ] && break
  sleep 0.1
done
[ -n "$device" ] || { echo "gsm-modem-sim did not start" >&2; exit 1; }

cp "$build/bin/tolvane" "$work/"
"$build/tools/teledata/make_teledata" "$work/teledata.mdb" "Anna Andersson=0701234567"
printf '[Access]\r\nAccessTyp=GSM\r\n[GSM]\r\nDevice=%s\r\n[Modem]\r\nEjKvitto=1\r\n' "$device" \
  >"$work/tolvmsg.ini"

# Wall time of one order, in seconds.
timed() {
  local start end
  start=$(date +%s.%N)
  QT_QPA_PLATFORM=offscreen "$work/tolvane" "$1" >/dev/null 2>&1 || { echo "order failed: $1" >&2; exit 1; }
  end=$(date +%s.%N)
  echo "$end - $start" | bc -l
}

d=$(echo "$delay / 1000" | bc -l)
numbers=$(seq -f '07000000%02g' 1 20 | paste -sd, -)
single=$(timed "N//0701234567//Hello")
setup=$(echo "$single - $d" | bc -l)
twenty=$(timed "N//$numbers,//Hello")
long=$(timed "N//0701234567//$(head -c 700 /dev/zero | tr '\0' 'a')")
printf 'set-up %.2f s\n' "$setup"
printf '%-28s %9s %14s %9s %7s\n' case "wall (s)" "less set-up" "floor (s)" ratio
report() {
  local floor beyond
  floor=$(echo "$3 * $d" | bc -l)
  beyond=$(echo "$2 - $setup" | bc -l)
  printf '%-28s %9.2f %14.2f %9.2f %7.3f\n' "$1" "$2" "$beyond" "$floor" "$(echo "$beyond / $floor" | bc -l)"
}
report "1 message" "$single" 1
report "20 messages over one port" "$twenty" 20
report "1 message of 5 parts" "$long" 5
