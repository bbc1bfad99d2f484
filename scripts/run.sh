#!/usr/bin/env bash
# Builds the pedestal and opens its window. Installs what a fresh Debian 12 lacks.
set -euo pipefail
source "$(dirname "$0")/common.sh"

"$PEDESTAL_ROOT/scripts/deps.sh" "${BUILD_PACKAGES[@]}"
build=${PEDESTAL_BUILD:-$PEDESTAL_ROOT/build}
pedestal_build "$build"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display: the pedestal is a desktop window. Run it from a desktop session," >&2
    echo "or under a virtual X server: xvfb-run $build/app/Pedestal" >&2
    exit 1
fi
exec "$build/app/Pedestal"
