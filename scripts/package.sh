#!/usr/bin/env bash
# Builds the packages a rig builder installs and leaves them in dist/:
#   pedestal_<version>_amd64.deb          CPack's DEB generator, Release build
#   pedestal-<version>-win64.zip          scripts/windows.sh's ZIP
#   pedestal-<version>-win64-setup.exe    NSIS installer of the ZIP's files
# Installs what a fresh Debian 12 lacks.
#   --test                 then runs the package tests (ctest -L package): lintian,
#                          an install into a fresh Debian 12 root (needs root), and
#                          the installer under Wine
#   PEDESTAL_PACKAGE_BUILD build folder (default build-package)
#   PEDESTAL_ROOTFS_CACHE  the tests' cached Debian root (default /var/cache/pedestal)
set -euo pipefail
source "$(dirname "$0")/common.sh"

run_tests=0
for arg in "$@"; do
    case $arg in
    --test) run_tests=1 ;;
    *) echo "usage: scripts/package.sh [--test]" >&2; exit 2 ;;
    esac
done

"$PEDESTAL_ROOT/scripts/deps.sh" "${BUILD_PACKAGES[@]}" "${PACKAGE_PACKAGES[@]}"
if [ $run_tests = 1 ]; then
    "$PEDESTAL_ROOT/scripts/deps.sh" "${PACKAGE_TEST_PACKAGES[@]}"
fi

build=${PEDESTAL_PACKAGE_BUILD:-$PEDESTAL_ROOT/build-package}
dist=$PEDESTAL_ROOT/dist
# Compiled as Debian compiles its own packages: -O2 and the hardening flags
# (GCC 12 at -O3 also raises false -Wrestrict errors in std::string).
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
flags="$(cd "$PEDESTAL_ROOT" && dpkg-buildflags --get CPPFLAGS) $(cd "$PEDESTAL_ROOT" && dpkg-buildflags --get CXXFLAGS)"
pedestal_configure "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS="$flags" \
    -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" \
    -DCMAKE_CXX_FLAGS_RELEASE=-DNDEBUG -DPEDESTAL_PACKAGE=ON -DPEDESTAL_BENCH=OFF \
    -DPEDESTAL_DIST="$dist"
# Only what the packages carry: the tests are scripts/test.sh's business.
cmake --build "$build" --target package_contents

mkdir -p "$dist"
(cd "$build" && cpack -G DEB -B "$build/cpack")
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
cp "$build/cpack/pedestal_${version}_amd64.deb" "$dist/"
echo "dist/pedestal_${version}_amd64.deb"

# The Windows installer carries the files of the ZIP that scripts/windows.sh
# packs; that script runs first when the ZIP is missing or older than a source.
zip=$dist/pedestal-${version}-win64.zip
setup=$dist/pedestal-${version}-win64-setup.exe
windows_status=0
if [ -f "$PEDESTAL_ROOT/scripts/windows.sh" ]; then
    rm -f "$setup" # never an old one beside a failed build
    newer=""
    if [ -f "$zip" ]; then
        # Tracked files only: tests leave caches in the tree after the ZIP.
        newer=$(cd "$PEDESTAL_ROOT" && git ls-files -z |
            find -files0-from - -newer "$zip" -print -quit 2>/dev/null) || true
    fi
    if [ ! -f "$zip" ] || [ -n "$newer" ]; then
        # A failed Windows build stops neither the .deb nor its tests.
        bash "$PEDESTAL_ROOT/scripts/windows.sh" || windows_status=$?
    fi
    if [ "$windows_status" = 0 ]; then
        "$PEDESTAL_ROOT/packaging/windows/make_installer.sh" "$zip" "$version" "$setup" >/dev/null
        echo "dist/pedestal-${version}-win64.zip"
        echo "dist/pedestal-${version}-win64-setup.exe"
    else
        echo "package.sh: scripts/windows.sh failed ($windows_status): no Windows installer" >&2
    fi
fi

status=0
if [ $run_tests = 1 ]; then
    (cd "$build" && ctest -L package --output-on-failure) || status=$?
fi
[ "$windows_status" = 0 ] || status=$windows_status
exit "$status"
