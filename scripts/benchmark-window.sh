#!/usr/bin/env bash
# Measures how many messages a second go through a transport that keeps
# several submits outstanding: the simulator on loopback answers each submit
# after DELAY ms (default 50), and the real program sends one group order from
# the command line, without receipts, to a group of 40 (the most a group
# holds): a text of PARTS linked parts (default 250, so 10 000 submits) with a
# window of 10, then one of a tenth as many parts with a window of 1. Each line
# gives the submits a second, the CPU time a submit costs the program, its
# peak memory, and the submits the simulator saw against the distinct ones
# (recipient and part): every part to every member exactly once. The rate
# leaves out the set-up, measured as a one-part order's time less one answer
# delay: the program's start and its wait before an order and before closing.
#
#   scripts/benchmark-window.sh smpp [PARTS] [DELAY]
set -euo pipefail
cd "$(dirname "$0")/.."
transport=${1:-smpp}
parts=${2:-250}
delay=${3:-50}
case "$transport" in
  smpp) simulator=smpp-sim ;;
  *) echo "usage: scripts/benchmark-window.sh smpp [PARTS] [DELAY]" >&2; exit 2 ;;
esac
scripts/install-deps.sh
build=${TOLVANE_RELEASE_BUILD_DIR:-build-release}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTOLVANE_SANITIZE=OFF >/dev/null
cmake --build "$build" --target tolvane "$simulator" make_teledata >/dev/null

work=$(mktemp -d)
sim_pid=""
trap '[ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null; rm -rf "$work"' EXIT
cp "$build/bin/tolvane" "$work/"
"$build/tools/teledata/make_teledata" "$work/teledata.mdb"
{
  echo "CREATE TABLE Bench (Namn TEXT, Telenummer TEXT, Operator TEXT);"
  for i in $(seq 1 40); do
    printf "INSERT INTO Bench VALUES ('Member %d', '07%08d', '1');\n" "$i" "$i"
  done
} | sqlite3 "$work/teledata.mdb"

# Starts the simulator afresh; sets `port`.
start_simulator() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null || true
  "$build/bin/$simulator" --port 0 --submit-delay "$delay" >"$work/sim.log" 2>&1 &
  sim_pid=$!
  port=""
  for _ in $(seq 100); do
    port=$(grep -o '127\.0\.0\.1:[0-9]*' "$work/sim.log" | head -n 1 | cut -d: -f2 || true)
    [ -n "$port" ] && break
    sleep 0.1
  done
  [ -n "$port" ] || { echo "$simulator did not start" >&2; exit 1; }
}

# Writes the settings for a window of $1 against port $2.
settings() {
  case "$transport" in
    smpp)
      printf '[Access]\r\nAccessTyp=SMPP\r\n[SMPP]\r\nHost=127.0.0.1\r\nPort=%s\r\nSystemId=tolvane\r\nWindow=%s\r\n' \
        "$2" "$1" >"$work/tolvmsg.ini"
      ;;
  esac
  printf '[Modem]\r\nEjKvitto=1\r\nLogg=1\r\n[Message]\r\nMaxParts=255\r\n' >>"$work/tolvmsg.ini"
  echo secret | "$work/tolvane" --store-secret "$transport" >/dev/null
}

# Runs one order; its wall time, user and system seconds and peak kilobytes.
order() {
  QT_QPA_PLATFORM=offscreen /usr/bin/time -f '%e %U %S %M' -o "$work/time" \
    "$work/tolvane" "$1" >/dev/null 2>&1 || { echo "the order failed" >&2; exit 1; }
  cat "$work/time"
}

start_simulator
settings 10 "$port"
read -r single _ <<<"$(order "N//0701234567//Hello")"
setup=$(echo "$single - $delay / 1000" | bc -l)
printf 'set-up %.2f s\n' "$setup"
printf '%-7s %8s %9s %10s %15s %15s %13s\n' window submits "wall (s)" "submits/s" "CPU/submit (ms)" "peak mem (MiB)" "sent/distinct"
run() {
  local window=$1 n_parts=$2
  local n=$((40 * n_parts))
  start_simulator
  settings "$window" "$port"
  rm -f "$work/loggfil.txt"
  # 153 characters fill a linked part.
  read -r wall user sys peak <<<"$(order "G//Bench//$(head -c $((153 * n_parts)) /dev/zero | tr '\0' 'a')")"
  local sent unique
  sent=$(grep -c 'submit_sm to' "$work/sim.log" || true)
  unique=$(grep 'submit_sm to' "$work/sim.log" | sed 's/: message id [^,]*//' | sort -u | wc -l)
  printf '%-7s %8s %9.2f %10.1f %15.3f %15.1f %13s\n' "$window" "$n" "$wall" \
    "$(echo "$n / ($wall - $setup)" | bc -l)" "$(echo "($user + $sys) * 1000 / $n" | bc -l)" \
    "$(echo "$peak / 1024" | bc -l)" "$sent/$unique"
}
run 10 "$parts"
run 1 $((parts / 10))
