#!/usr/bin/env bash
# Throughput of the HTTP API with wrk (installed here when missing): the real
# program serving (`tolvane --serve`) with the SMPP provider tools/smpp-sim
# on loopback, 20 keep-alive connections for DURATION seconds (10 unless
# given) of POST /v1/messages (each accepted into the message store while
# the transport sends at its own pace), then of GET /v1/messages/{id}.
# Prints wrk's requests a second and latency percentiles; fails unless
# every POST was answered 202 and every GET 200. On an optimised build
# without the sanitizers:
#   benchmarks/api_throughput.sh BUILD [DURATION]
set -euo pipefail
build=$(realpath "$1")
duration=${2:-10}
if ! command -v wrk > /dev/null; then
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq wrk > /dev/null
fi
work=$(mktemp -d)
trap 'kill "${serve:-}" "${sim:-}" 2>/dev/null || true; rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen XDG_DATA_HOME="$work/data"
cp "$build/bin/tolvane" "$build/bin/teledata.mdb" "$work/"

# Wait until FILE holds PATTERN; print its first match.
await() {
  for _ in $(seq 300); do
    grep -o "$2" "$1" 2> /dev/null | head -n 1 && return 0
    sleep 0.1
  done
  echo "no '$2' in $1" >&2
  return 1
}

"$build/bin/smpp-sim" --port 0 --submit-delay 50 --receipt-delay 500 > "$work/sim.log" 2>&1 &
sim=$!
sim_port=$(await "$work/sim.log" '127.0.0.1:[0-9]*' | sed 's/.*://')
printf '[Access]\r\nAccessTyp=SMPP\r\n[SMPP]\r\nHost=127.0.0.1\r\nPort=%s\r\nSystemId=tolvane\r\n[Adress]\r\nAvs=Tolvane\r\n[API]\r\nEnabled=1\r\nPort=0\r\n' \
  "$sim_port" > "$work/tolvmsg.ini"
echo secret | "$work/tolvane" --store-secret smpp
token=$("$work/tolvane" --new-api-token)
(cd "$work" && exec ./tolvane --serve) 2> "$work/serve.log" &
serve=$!
base=$(await "$work/serve.log" 'http://127.0.0.1:[0-9]*')

cat > "$work/post.lua" <<LUA
wrk.method = "POST"
wrk.body = '{"to": "+46701234567", "text": "Benchmark"}'
wrk.headers["Content-Type"] = "application/json"
wrk.headers["Authorization"] = "Bearer $token"
done = function(summary, latency, requests)
  io.write(string.format("non-2xx: %d\n", summary.errors.status))
end
LUA
cat > "$work/get.lua" <<LUA
wrk.headers["Authorization"] = "Bearer $token"
done = function(summary, latency, requests)
  io.write(string.format("non-2xx: %d\n", summary.errors.status))
end
LUA
echo "POST /v1/messages, 20 connections, ${duration}s:"
wrk -t 2 -c 20 -d "${duration}s" --latency -s "$work/post.lua" "$base/v1/messages" | tee "$work/post.out"
echo "GET /v1/messages/out-1, 20 connections, ${duration}s:"
wrk -t 2 -c 20 -d "${duration}s" --latency -s "$work/get.lua" "$base/v1/messages/out-1" | tee "$work/get.out"
grep -q '^non-2xx: 0$' "$work/post.out" && grep -q '^non-2xx: 0$' "$work/get.out" ||
  { echo "some answers were not 2xx" >&2; exit 1; }
