#!/usr/bin/env bash
# Builds the project and runs every test. Installs what a fresh Debian 12 lacks.
#   PEDESTAL_BUILD=dir      build folder (default build)
#   PEDESTAL_SANITIZE=1     AddressSanitizer + UndefinedBehaviorSanitizer build
set -euo pipefail
source "$(dirname "$0")/common.sh"

"$PEDESTAL_ROOT/scripts/deps.sh" "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"

build=${PEDESTAL_BUILD:-$PEDESTAL_ROOT/build}
opts=(-DPEDESTAL_SANITIZE=OFF -DPEDESTAL_BENCH=ON)
if [ "${PEDESTAL_SANITIZE:-0}" = 1 ]; then
    opts=(-DPEDESTAL_SANITIZE=ON -DPEDESTAL_BENCH=OFF)
    export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
    export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
fi
pedestal_build "$build" "${opts[@]}"

export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
cd "$build"
ctest --output-on-failure -j "$(nproc)" --timeout 300
