#!/usr/bin/env bash
# Installs what is missing, builds Tolvane and starts it in a fresh demo/ folder
# beside a simulated modem and SMS centre (or, with --gateway, a simulated SMS
# gateway; with --gsm, a simulated GSM modem; with --smpp, a simulated SMPP
# provider; with --emi, a simulated SMS centre speaking UCP/EMI over TCP), with
# a few people in the phone book. TOLVANE_DEMO_GATEWAY_OPTIONS passes options
# to the simulated gateway (tolvane-gateway-sim(1)), TOLVANE_DEMO_GSM_OPTIONS to
# the simulated GSM modem (tolvane-gsm-modem-sim(1)), TOLVANE_DEMO_SMPP_OPTIONS
# to the simulated provider (tolvane-smpp-sim(1)), TOLVANE_DEMO_EMI_OPTIONS to
# the simulated SMS centre (tolvane-emi-sim(1)).
set -euo pipefail
cd "$(dirname "$0")/.."
transport=modem
case "${1:-}" in
  --gateway) transport=gateway; shift ;;
  --gsm) transport=gsm; shift ;;
  --smpp) transport=smpp; shift ;;
  --emi) transport=emi; shift ;;
esac
scripts/install-deps.sh
build=build-demo
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOLVANE_BUILD_TESTS=OFF
cmake --build "$build"

demo=$PWD/demo
rm -rf "$demo"
mkdir -p "$demo"
cp "$build/bin/tolvane" "$build/bin/tolvmsg.html" "$demo/"
"$build/tools/teledata/make_teledata" "$demo/teledata.mdb" \
  "Anna Andersson=+46 70-123 45 67" "Bertil Berg=070-111 22 33" "Cecilia Ceder=0709 87 65 43"

# Prints the first match of a pattern in a simulator's log, waiting up to ten
# seconds for the simulator to print it.
first_match() {
  local pattern=$1 log=$2 found=""
  for _ in $(seq 100); do
    found=$(grep -o "$pattern" "$log" | head -n 1 || true)
    [ -n "$found" ] && break
    sleep 0.1
  done
  [ -n "$found" ] || { echo "simulator did not start, see $log" >&2; exit 1; }
  echo "$found"
}

pids=()
trap 'kill "${pids[@]}" 2>/dev/null || true' EXIT
if [ "$transport" = gateway ]; then
  "$build/bin/gateway-sim" --port 0 ${TOLVANE_DEMO_GATEWAY_OPTIONS:-} > "$demo/gateway-sim.log" 2>&1 &
  pids+=($!)
  address=$(first_match 'http://127.0.0.1:[0-9]*' "$demo/gateway-sim.log")
  printf '[Access]\r\nAccessTyp=TCP\r\n[TCP]\r\nTCPAnvNamn=demo\r\nTCPGateway=%s\r\n[Modem]\r\nLogg=1\r\n' \
    "$address" > "$demo/tolvmsg.ini"
  echo "Simulated gateway at $address (log: demo/gateway-sim.log)"
elif [ "$transport" = emi ]; then
  "$build/bin/emi-sim" --port 0 --answer-delay 300 ${TOLVANE_DEMO_EMI_OPTIONS:-} \
    > "$demo/emi-sim.log" 2>&1 &
  pids+=($!)
  port=$(first_match 'listening on 127.0.0.1:[0-9]*' "$demo/emi-sim.log" | sed 's/.*://')
  printf '[Access]\r\nAccessTyp=EMI\r\n[EMI]\r\nHost=127.0.0.1\r\nPort=%s\r\nUser=tolvane\r\n' \
    "$port" > "$demo/tolvmsg.ini"
  printf '[Adress]\r\nAvs=Tolvane\r\n[Modem]\r\nLogg=1\r\n' >> "$demo/tolvmsg.ini"
  printf '%s\n' secret | "$demo/tolvane" --store-secret emi
  echo "Simulated SMS centre at 127.0.0.1:$port (log: demo/emi-sim.log)"
elif [ "$transport" = gsm ]; then
  # The demo's SIM is unlocked, so no PIN is stored.
  "$build/bin/gsm-modem-sim" --network-delay 1500 --report-delay 3000 ${TOLVANE_DEMO_GSM_OPTIONS:-} \
    > "$demo/gsm-modem-sim.log" 2>&1 &
  pids+=($!)
  device=$(first_match '^/dev/[^ ]*' "$demo/gsm-modem-sim.log")
  printf '[Access]\r\nAccessTyp=GSM\r\n[GSM]\r\nDevice=%s\r\n[Modem]\r\nLogg=1\r\n' "$device" \
    > "$demo/tolvmsg.ini"
  echo "Simulated GSM modem on $device (log: demo/gsm-modem-sim.log)"
elif [ "$transport" = smpp ]; then
  "$build/bin/smpp-sim" --port 0 --receipt-delay 3000 ${TOLVANE_DEMO_SMPP_OPTIONS:-} \
    > "$demo/smpp-sim.log" 2>&1 &
  pids+=($!)
  address=$(first_match '127\.0\.0\.1:[0-9]*' "$demo/smpp-sim.log")
  printf '[Access]\r\nAccessTyp=SMPP\r\n[SMPP]\r\nHost=127.0.0.1\r\nPort=%s\r\nSystemId=tolvane\r\n[Modem]\r\nLogg=1\r\n' \
    "${address#*:}" > "$demo/tolvmsg.ini"
  # The simulated account's password.
  echo secret | "$demo/tolvane" --store-secret smpp > /dev/null
  echo "Simulated SMPP provider at $address, account tolvane (log: demo/smpp-sim.log)"
else
  "$build/bin/modem-sim" --dial-delay 1000 --answer-delay 1000 --notify-delay 3000 \
    > "$demo/modem-sim.log" 2>&1 &
  pids+=($!)
  device=$(first_match '^/dev/[^ ]*' "$demo/modem-sim.log")
  printf '[Modem]\r\nDevice=%s\r\nFelkorrigering=1\r\nLogg=1\r\n' "$device" > "$demo/tolvmsg.ini"
  echo "Simulated modem on $device (log: demo/modem-sim.log)"
fi
chmod 600 "$demo/tolvmsg.ini"
"$demo/tolvane" "$@"
