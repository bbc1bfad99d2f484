#!/usr/bin/env bash
# The running window's cost against its floor, measured side by side in one
# run: CPU time and resident memory of the pedestal window (on a block of its
# own, never the simulator's) and of an empty dialog with the same 60 ms
# timer, over the same seconds on one virtual X server. A third program, the
# empty dialog with one line of text, shows what loading fonts alone costs.
#   PEDESTAL_BUILD=dir   build folder (default build-rel, a Release build)
#   SECONDS_TO_RUN=n     measuring time (default 20)
set -euo pipefail
source "$(dirname "$0")/common.sh"

"$PEDESTAL_ROOT/scripts/deps.sh" "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
build=${PEDESTAL_BUILD:-$PEDESTAL_ROOT/build-rel}
seconds=${SECONDS_TO_RUN:-20}
pedestal_configure "$build" -DCMAKE_BUILD_TYPE=Release -DPEDESTAL_SANITIZE=OFF
cmake --build "$build" --target PedestalTestWindow EmptyDialog

window=$build/dialog/tests/PedestalTestWindow
empty=$build/bench/EmptyDialog
block="PedestalBenchWindow_$$"
trap 'rm -f "/dev/shm/$block"' EXIT

# Prints "cpu_us rss_kb" of a process: its time on a CPU (from schedstat,
# in nanoseconds, finer than the clock ticks of /proc/PID/stat) and its RSS.
measure() {
    local pid=$1 ns rss
    ns=$(awk '{print $1}' "/proc/$pid/schedstat")
    rss=$(awk '/^VmRSS:/ {print $2}' "/proc/$pid/status")
    echo "$((ns / 1000)) $rss"
}

xvfb-run -a -s "-screen 0 800x700x24 -noreset" bash -s "$window" "$empty" "$block" "$seconds" \
    "$(declare -f measure)" <<'INNER'
set -euo pipefail
eval "$5"
QT_QPA_PLATFORM=xcb "$1" "$3" &
pedestal=$!
QT_QPA_PLATFORM=xcb "$2" &
floor=$!
QT_QPA_PLATFORM=xcb "$2" --with-text &
text=$!
sleep 3 # all up and settled
read -r p0 _ < <(measure "$pedestal")
read -r f0 _ < <(measure "$floor")
read -r t0 _ < <(measure "$text")
sleep "$4"
read -r p1 prss < <(measure "$pedestal")
read -r f1 frss < <(measure "$floor")
read -r t1 trss < <(measure "$text")
kill -TERM "$pedestal" "$floor" "$text"
wait "$pedestal" || true
wait "$floor" || true
wait "$text" || true
pcpu=$((p1 - p0))
fcpu=$((f1 - f0))
tcpu=$((t1 - t0))
printf '%-24s %10s %10s\n' "over ${4} s" "CPU us" "RSS kB"
printf '%-24s %10d %10d\n' "pedestal" "$pcpu" "$prss" "empty dialog" "$fcpu" "$frss" \
    "empty dialog, one text" "$tcpu" "$trss"
awk -v pc="$pcpu" -v fc="$fcpu" -v pr="$prss" -v fr="$frss" -v tr="$trss" 'BEGIN {
    printf "CPU ratio %.2f (goal <= 1.30), memory ratio %.2f (goal <= 1.20)\n",
           (fc > 0 ? pc / fc : 0), pr / fr
    printf "memory of one line of text alone: ratio %.2f\n", tr / fr }'
INNER
