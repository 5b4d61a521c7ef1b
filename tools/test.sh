#!/bin/sh
# One command for the test suite: install what is missing, build, run every
# test headless (no display, no sound card needed) and print CTest's summary.
# KELTO_CI=1 turns warnings into errors.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/install-deps.sh"
werror=OFF
[ "${KELTO_CI:-0}" = 1 ] && werror=ON
"$root/tools/build.sh" -DKELTO_WERROR=$werror
build=${KELTO_BUILD_DIR:-$root/build}
# Tests must not depend on the caller's desktop.
unset DISPLAY WAYLAND_DISPLAY
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure --parallel "$(nproc)" --timeout 300
