#!/usr/bin/env bash
# The browser server's figures, measured in one run on blocks of their own:
#  1. pedestal-web: command -> block write latency (p50, p99), then its CPU and
#     memory with no client and with CLIENTS clients receiving every change,
#     then 60 clients flooding "brakes" beside one client that only reads;
#  2. the window's own CPU with and without --web (no client), side by side
#     on one virtual X server.
#   PEDESTAL_BENCH_BUILD=dir  build folder (default build-bench, Release)
#   CLIENTS=n (100)  SECONDS_TO_RUN=n (10)  COMMANDS=n (2000)
set -euo pipefail
source "$(dirname "$0")/../scripts/common.sh"

build=${PEDESTAL_BENCH_BUILD:-$PEDESTAL_ROOT/build-bench}
clients=${CLIENTS:-100}
seconds=${SECONDS_TO_RUN:-10}
pedestal_configure "$build" -DCMAKE_BUILD_TYPE=Release -DPEDESTAL_BENCH=ON -DPEDESTAL_GUI=ON \
    -DPEDESTAL_FUZZ=OFF -DPEDESTAL_SANITIZE=OFF >/dev/null
cmake --build "$build" --target WebLoad pedestal-web Pedestal

block="PedestalBenchWeb_$$"
trap 'rm -f "/dev/shm/$block" "/dev/shm/${block}_w1" "/dev/shm/${block}_w2"' EXIT
out=$(mktemp)
"$build/tools/pedestal-web/pedestal-web" --block "$block" --port 0 --quiet \
    --max-connections $((clients + 80)) >"$out" &
server=$!
for _ in $(seq 1 50); do grep -q open "$out" && break; sleep 0.1; done
port=$(sed -n 's/.*:\([0-9]*\)\/$/\1/p' "$out")
echo "== pedestal-web on 127.0.0.1:$port"
"$build/bench/WebLoad" "$port" "$block" "$server" "$clients" "$seconds" "${COMMANDS:-2000}"
kill -TERM "$server"
wait "$server" || true
rm -f "$out"

echo "== the window with and without --web, no client, over $seconds s"
xvfb-run -a -s "-screen 0 800x700x24 -noreset" bash -s "$build/app/Pedestal" "$block" "$seconds" <<'INNER'
set -euo pipefail
# Every thread's time on a CPU, the server's thread included.
cpu_us() { cat /proc/$1/task/*/schedstat | awk '{ns += $1} END {print int(ns / 1000)}'; }
QT_QPA_PLATFORM=xcb "$1" --block "${2}_w1" >/dev/null 2>&1 &
plain=$!
QT_QPA_PLATFORM=xcb "$1" --block "${2}_w2" --web 127.0.0.1:0 >/dev/null 2>&1 &
web=$!
sleep 3
p0=$(cpu_us $plain); w0=$(cpu_us $web)
sleep "$3"
p1=$(cpu_us $plain); w1=$(cpu_us $web)
kill -TERM $plain $web
wait $plain || true
wait $web || true
awk -v p=$((p1 - p0)) -v w=$((w1 - w0)) 'BEGIN {
    printf "window CPU: %d us without --web, %d us with; ratio %.2f (goal <= 1.10)\n",
           p, w, (p > 0 ? w / p : 0) }'
INNER
