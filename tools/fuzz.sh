#!/bin/sh
# Builds the command-language fuzzer with clang and runs it from the committed
# seed corpus for the given number of seconds (default 60). Exits non-zero on a
# crash, a sanitizer report, a leak or a broken promise; the input that caused
# it is left in $KELTO_FUZZ_DIR/artifacts/.
# Usage: tools/fuzz.sh [seconds]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
build=${KELTO_FUZZ_BUILD_DIR:-$root/build-fuzz}
work=${KELTO_FUZZ_DIR:-$build/fuzz-run}

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DKELTO_BUILD_FUZZERS=ON \
    -DKELTO_BUILD_TESTS=OFF -DKELTO_BUILD_BENCHMARKS=OFF -DKELTO_WERROR=ON -DCMAKE_UNITY_BUILD=ON >/dev/null
cmake --build "$build" --target mci_command_fuzzer --parallel 2

# New inputs go to a scratch corpus so the committed seeds stay small; the
# seeds are read from their own folder.
mkdir -p "$work/corpus" "$work/artifacts"
# Full unwinding on malloc: GLib is built without frame pointers, and the
# suppressions can only tell its load-time allocation apart with whole stacks.
export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1:fast_unwind_on_malloc=0${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"
export LSAN_OPTIONS="suppressions=$root/tools/lsan.supp:print_suppressions=0${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
# No display: nothing the service does for a fuzz input may need one.
unset DISPLAY WAYLAND_DISPLAY
"$build/bin/mci_command_fuzzer" -max_total_time="$seconds" -detect_leaks=1 \
    -rss_limit_mb=2048 -timeout=10 -print_final_stats=1 \
    -artifact_prefix="$work/artifacts/" "$work/corpus" "$root/fuzz/corpus"
