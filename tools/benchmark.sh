#!/bin/sh
# Measures the player against a bare GStreamer pipeline on the same clips and
# sinks (in the window, full screen, sound only) and its own cost paused and
# idle, and prints every figure with its target (see bench/scripts/benchmark.sh).
# Installs what it needs, builds first; needs no display or sound card (it
# starts its own Xvfb). Usage: tools/benchmark.sh [--full] [SECTION...]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/install-deps.sh"
"$root/tools/install-deps.sh" "$root/tools/bench-packages.txt"
"$root/tools/build.sh" -DKELTO_BUILD_BENCHMARKS=ON
exec bash "$root/bench/scripts/benchmark.sh" "$@"
