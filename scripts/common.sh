# Sourced by the build scripts: the packages every build needs and one
# configure-and-build step that is incremental after the first run.

PEDESTAL_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_PACKAGES=(g++ cmake ninja-build pkg-config libgtest-dev libgmock-dev libbenchmark-dev
                qt6-base-dev libgl-dev libcli11-dev python3)
TEST_PACKAGES=(xvfb xauth x11-utils strace)
# scripts/windows.sh: the mingw-w64 cross-build and Wine to run it.
WINDOWS_PACKAGES=(cmake ninja-build g++-mingw-w64-x86-64-posix mingw-w64-tools wine wine64
                  fonts-wine xvfb xauth googletest libcli11-dev python3)
# The browser server: Boost.Beast/Asio and nlohmann/json, header-only.
BUILD_PACKAGES+=(libboost1.81-dev nlohmann-json3-dev)
WINDOWS_PACKAGES+=(libboost1.81-dev nlohmann-json3-dev)
# Game controllers: SDL2's joystick API on Linux (WinMM on Windows is part of
# the system), and the bindings file read with toml++ (header-only on Windows).
BUILD_PACKAGES+=(libsdl2-dev libtomlplusplus-dev)
WINDOWS_PACKAGES+=(libtomlplusplus-dev)
# Browser tests: headless Chromium driven by Selenium from /usr/bin/python3,
# and xdotool and ImageMagick's import to click and look at the window.
TEST_PACKAGES+=(chromium chromium-driver python3-selenium xdotool imagemagick)
# scripts/package.sh: what makes the packages, and what tests them.
PACKAGE_PACKAGES=(dpkg-dev file help2man nsis)
PACKAGE_TEST_PACKAGES=(lintian debootstrap desktop-file-utils wine wine64)

# pedestal_configure BUILD_DIR [cmake options...]
# Configures when the folder has no build yet or was configured with other
# options than these, so that PEDESTAL_SANITIZE=1 on an existing folder never
# builds without sanitizers. Callers pass every option they care about, both
# ways (ON and OFF): CMake keeps a cached option that is not passed again.
pedestal_configure() {
    local dir=$1
    shift
    local stamp=$dir/pedestal-configure.args
    if [ ! -f "$dir/build.ninja" ] || [ "$(cat "$stamp" 2>/dev/null)" != "$*" ]; then
        cmake -S "$PEDESTAL_ROOT" -B "$dir" -G Ninja "$@"
        printf '%s' "$*" >"$stamp"
    fi
}

# pedestal_build BUILD_DIR [cmake options...]
pedestal_build() {
    pedestal_configure "$@"
    cmake --build "$1"
}
