#!/bin/sh
# Configures and builds into build/ (or $KELTO_BUILD_DIR). Extra arguments go to cmake's configure step.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KELTO_BUILD_DIR:-$root/build}
cmake -S "$root" -B "$build" -G Ninja "$@"
cmake --build "$build" --parallel "$(nproc)"
