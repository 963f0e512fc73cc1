#!/usr/bin/env bash
# Makes docs/main-window.png (or the file given) without a screen: the demo of
# scripts/run-demo.sh runs on a virtual X display and sends one command-line
# order through the simulated gateway, which takes four seconds to answer; the
# window is photographed while it waits.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
out=$(realpath -m "${1:-docs/main-window.png}")
rm -f demo/gateway-sim.log
export TOLVANE_DEMO_GATEWAY_OPTIONS="--delay 4000"
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  set -euo pipefail
  scripts/run-demo.sh --gateway "N//070-123 45 67//Hello from Tolvane! The meeting moves to half past ten." &
  demo=$!
  for _ in $(seq 6000); do
    grep -q "^POST" demo/gateway-sim.log 2>/dev/null && break
    kill -0 "$demo" 2>/dev/null || { echo "the demo ended without a send" >&2; exit 1; }
    sleep 0.1
  done
  sleep 1
  import -window root png:- | convert png:- -trim +repage "$1"
  wait "$demo" || true
' _ "$out"
echo "$out"
