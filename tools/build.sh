#!/bin/sh
# Configures and builds into build/ (or $KELTO_BUILD_DIR). Extra arguments go to cmake's configure step.
# Each target's sources are compiled as a few combined files (a unity build):
# a whole build spends half the compiler time, most of which went on reading
# the same Qt, GStreamer and GoogleTest headers once per file. For editing one
# file at a time, pass -DCMAKE_UNITY_BUILD=OFF.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KELTO_BUILD_DIR:-$root/build}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_UNITY_BUILD=ON "$@"
cmake --build "$build" --parallel "$(nproc)"
