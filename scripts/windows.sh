#!/usr/bin/env bash
# Cross-builds the Windows programs with mingw-w64, runs every Windows test
# under Wine and packs dist/pedestal-<version>-win64.zip. Installs what a fresh
# Debian 12 lacks; a second run rebuilds only what changed and reuses the Wine
# prefix.
#   PEDESTAL_WIN_BUILD=dir   build folder (default build-win)
#   PEDESTAL_JOBS=n          parallel compile and test jobs (default 2)
#   PEDESTAL_SCREENSHOT=1    also renew docs/pedestal-windows.png
set -euo pipefail
source "$(dirname "$0")/common.sh"

"$PEDESTAL_ROOT/scripts/deps.sh" "${WINDOWS_PACKAGES[@]}"

root=${PEDESTAL_WIN_BUILD:-$PEDESTAL_ROOT/build-win}
jobs=${PEDESTAL_JOBS:-2}
toolchain=$PEDESTAL_ROOT/cmake/mingw-w64-x86_64.cmake
prefix=$root/prefix
build=$root/pedestal
wine=/usr/lib/wine/wine64 # Debian 12 puts no wine64 on PATH

# googletest for Windows from Debian's sources, once, and the header-only libraries.
if [ ! -f "$prefix/lib/cmake/GTest/GTestConfig.cmake" ]; then
    cmake -S /usr/src/googletest -B "$root/googletest" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_GMOCK=OFF
    cmake --build "$root/googletest" -j "$jobs"
    cmake --install "$root/googletest"
fi
mkdir -p "$prefix/include"
ln -sfn /usr/include/CLI "$prefix/include/CLI"
# Boost (Asio, Beast) and nlohmann/json for the browser server, header-only.
cmake -DPREFIX="$prefix" -P "$PEDESTAL_ROOT/cmake/WindowsHeaderOnly.cmake"

pedestal_configure "$build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DPEDESTAL_WIN_PREFIX="$prefix" -DPEDESTAL_WINE="$wine" \
    -DPEDESTAL_GUI=OFF -DPEDESTAL_BENCH=OFF
cmake --build "$build" -j "$jobs"

# One Wine prefix of our own. A fresh one is initialised before any test, or
# the first programs time out while Wine sets itself up.
export WINEPREFIX=$root/wine WINEARCH=win64 WINEDEBUG=-all WINELOADER=$wine
export WINEDLLOVERRIDES="mscoree,mshtml=" # no Mono or Gecko installers
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    "$wine" wineboot --init
    wineserver -w
fi
# Wine draws windows on an X display: a virtual one of our own. The Wine
# server goes first at the end, then the display.
display=99
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do
    display=$((display + 1))
done
Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=":$display"
stop() {
    wineserver -k 2>/dev/null || true
    kill "$xvfb" 2>/dev/null || true
}
trap stop EXIT
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done

# A persistent server saves its start-up (seconds) for every test program.
wineserver -p 2>/dev/null || true # already running for this prefix
# The first program of a server session starts Wine's own services, which
# keep that program's output open; ctest would wait for them.
"$wine" cmd /c exit </dev/null >/dev/null 2>&1

status=0
(cd "$build" && ctest --output-on-failure -j "$jobs" --timeout 300) || status=$?

# The ZIP for Windows users.
if [ "$status" = 0 ]; then
    (cd "$build" && cpack -G ZIP -B "$PEDESTAL_ROOT/dist" >/dev/null)
    rm -rf "$PEDESTAL_ROOT/dist/_CPack_Packages"
    ls "$PEDESTAL_ROOT"/dist/pedestal-*-win64.zip
fi

# The window beside the Linux one in README: in a Wine desktop of its own, so
# that Wine draws the frame and caption.
if [ "${PEDESTAL_SCREENSHOT:-0}" = 1 ]; then
    (cd "$build/win32/tests" && PEDESTAL_WINDOW_SHOT=pedestal-windows.bmp "$wine" explorer \
        /desktop=pedestal,360x720 PedestalWindow_win_test.exe --gtest_filter='*Clicks*')
    python3 "$PEDESTAL_ROOT/scripts/bmp_to_png.py" "$build/win32/tests/pedestal-windows.bmp" \
        "$PEDESTAL_ROOT/docs/pedestal-windows.png"
fi
exit "$status"
