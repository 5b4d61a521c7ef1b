#!/bin/sh
# Measures the player against a bare GStreamer pipeline on the same clip and
# sinks and prints every figure with its ratio (see bench/scripts/benchmark.sh).
# Builds first; needs no display or sound card (it starts its own Xvfb).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/install-deps.sh"
"$root/tools/build.sh" -DKELTO_BUILD_BENCHMARKS=ON
exec bash "$root/bench/scripts/benchmark.sh" "$@"
