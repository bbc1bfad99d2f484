#!/usr/bin/env bash
# Opens the real window on a virtual X server, finds it by its caption, checks
# its size and ends it with SIGTERM as a terminal would.
# Usage: window_test.sh PEDESTAL_TEST_WINDOW
set -euo pipefail
launcher=$1
for tool in xvfb-run xwininfo; do
    if ! command -v "$tool" >/dev/null; then
        echo "$tool is not installed (Debian packages xvfb, x11-utils)" >&2
        exit 77
    fi
done
block="PedestalWindowTest_$$"
trap 'rm -f "/dev/shm/$block"' EXIT

# Other users of this machine start virtual servers too; a display number
# that another server takes between the choice and the start is tried again.
run_on_virtual_display() {
    local display=$((200 + RANDOM % 700))
    while [ -e "/tmp/.X$display-lock" ]; do
        display=$((200 + RANDOM % 700))
    done
    xvfb-run -n "$display" -s "-screen 0 800x700x24 -noreset" \
        bash -s "$launcher" "$block" <<'INNER'
set -euo pipefail
xwininfo -root >/dev/null 2>&1 || exit 3
QT_QPA_PLATFORM=xcb "$1" "$2" &
pid=$!
info=""
for _ in $(seq 1 100); do
    if info=$(xwininfo -name "R320 UVED Ovu Rared" 2>/dev/null) &&
        grep -q "Map State: IsViewable" <<<"$info"; then
        break
    fi
    info=""
    sleep 0.1
done
if [ -z "$info" ]; then
    echo "no window captioned \"R320 UVED Ovu Rared\" is shown" >&2
    kill -KILL "$pid"
    exit 1
fi
echo "$info"
grep -q "Width: 209$" <<<"$info" || { echo "window is not 209 pixels wide" >&2; exit 1; }
grep -q "Height: 562$" <<<"$info" || { echo "window is not 562 pixels high" >&2; exit 1; }
kill -TERM "$pid"
status=0
wait "$pid" || status=$?
if [ "$status" -ne 0 ]; then
    echo "the window ended with status $status after SIGTERM" >&2
    exit 1
fi
INNER
}

for _ in 1 2 3; do
    status=0
    run_on_virtual_display || status=$?
    [ "$status" -eq 3 ] || exit "$status"
done
echo "no virtual X display could be started" >&2
exit 1
