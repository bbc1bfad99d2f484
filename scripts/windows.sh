#!/usr/bin/env bash
# Cross-builds the Windows programs with mingw-w64, runs every Windows test
# under Wine and packs dist/pedestal-<version>-win64.zip. Installs what a fresh
# Debian 12 lacks; a second run rebuilds only what changed and reuses the Wine
# prefix.
#   PEDESTAL_WIN_BUILD=dir   build folder (default build-win)
#   PEDESTAL_JOBS=n          parallel compile and test jobs (default 2)
set -euo pipefail
source "$(dirname "$0")/common.sh"

"$PEDESTAL_ROOT/scripts/deps.sh" "${WINDOWS_PACKAGES[@]}"

root=${PEDESTAL_WIN_BUILD:-$PEDESTAL_ROOT/build-win}
jobs=${PEDESTAL_JOBS:-2}
toolchain=$PEDESTAL_ROOT/cmake/mingw-w64-x86_64.cmake
prefix=$root/prefix
build=$root/pedestal
wine=/usr/lib/wine/wine64 # Debian 12 puts no wine64 on PATH

# googletest for Windows from Debian's sources, and CLI11's headers, once.
if [ ! -f "$prefix/lib/cmake/GTest/GTestConfig.cmake" ]; then
    cmake -S /usr/src/googletest -B "$root/googletest" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_GMOCK=OFF
    cmake --build "$root/googletest" -j "$jobs"
    cmake --install "$root/googletest"
fi
mkdir -p "$prefix/include"
ln -sfn /usr/include/CLI "$prefix/include/CLI"

if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$PEDESTAL_ROOT" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DCMAKE_BUILD_TYPE=Release -DPEDESTAL_WIN_PREFIX="$prefix" -DPEDESTAL_WINE="$wine" \
        -DPEDESTAL_GUI=OFF -DPEDESTAL_BENCH=OFF
fi
cmake --build "$build" -j "$jobs"

# One Wine prefix of our own. A fresh one is initialised before any test, or
# the first programs time out while Wine sets itself up.
export WINEPREFIX=$root/wine WINEARCH=win64 WINEDEBUG=-all WINELOADER=$wine
export WINEDLLOVERRIDES="mscoree,mshtml=" # no Mono or Gecko installers
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    "$wine" wineboot --init
    wineserver -w
fi
# A persistent server saves its start-up (seconds) for every test program.
wineserver -p 2>/dev/null || true # already running for this prefix
trap 'wineserver -k 2>/dev/null || true' EXIT

status=0
(cd "$build" && ctest --output-on-failure -j "$jobs" --timeout 300) || status=$?
exit "$status"
