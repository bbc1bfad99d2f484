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

# googletest for Windows from Debian's sources, and CLI11's headers, once.
if [ ! -f "$prefix/lib/cmake/GTest/GTestConfig.cmake" ]; then
    cmake -S /usr/src/googletest -B "$root/googletest" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_GMOCK=OFF
    cmake --build "$root/googletest" -j "$jobs"
    cmake --install "$root/googletest"
fi
mkdir -p "$prefix/include"
ln -sfn /usr/include/CLI "$prefix/include/CLI"
# Boost's and nlohmann/json's headers likewise, with package files of our own
# that find_package accepts: Debian's would put the build machine's
# /usr/include on the Windows compiler's path.
ln -sfn /usr/include/boost "$prefix/include/boost"
ln -sfn /usr/include/nlohmann "$prefix/include/nlohmann"
header_package() { # NAME VERSION TARGET: its headers are on every compile's path
    mkdir -p "$prefix/lib/cmake/$1"
    cat >"$prefix/lib/cmake/$1/$1Config.cmake" <<EOF
if(NOT TARGET $3)
  add_library($3 INTERFACE IMPORTED)
endif()
EOF
    cat >"$prefix/lib/cmake/$1/$1ConfigVersion.cmake" <<EOF
set(PACKAGE_VERSION $2)
if(PACKAGE_FIND_VERSION VERSION_GREATER PACKAGE_VERSION)
  set(PACKAGE_VERSION_COMPATIBLE FALSE)
else()
  set(PACKAGE_VERSION_COMPATIBLE TRUE)
endif()
EOF
}
boost=$(sed -n 's/^#define BOOST_VERSION \([0-9]*\).*/\1/p' /usr/include/boost/version.hpp)
header_package Boost "$((boost / 100000)).$((boost / 100 % 1000)).$((boost % 100))" Boost::headers
json=$(sed -n 's/^#define NLOHMANN_JSON_VERSION_\(MAJOR\|MINOR\|PATCH\) \([0-9]*\).*/\2/p' \
    /usr/include/nlohmann/detail/abi_macros.hpp | paste -sd.)
header_package nlohmann_json "$json" nlohmann_json::nlohmann_json

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
