#!/bin/sh
# Builds the soak runner with AddressSanitizer and UndefinedBehaviorSanitizer
# (halting on the first report) in its own build folder and runs it: a number
# of random operations (default 2000) through the real service over clips of
# every format. Exits non-zero on a crash, a sanitizer report, a leak, a
# malformed reply or a command slower than its bound.
# Usage: tools/soak.sh [operations] [seed]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
ops=${1:-2000}
build=${KELTO_SOAK_BUILD_DIR:-$root/build-soak}

cmake -S "$root" -B "$build" -G Ninja -DKELTO_SANITIZE=ON -DKELTO_WERROR=ON \
    -DKELTO_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$build" --target mci_soak --parallel 2

# Full unwinding on malloc: GLib is built without frame pointers, and the
# suppressions can only tell its load-time allocation apart with whole stacks
# (a dozen frames is enough and keeps the unwinding cheap).
export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1:fast_unwind_on_malloc=0:malloc_context_size=12${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"
export LSAN_OPTIONS="suppressions=$root/tools/lsan.supp:print_suppressions=0${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
# Headless, as in the tests: no display and no sound card needed.
unset DISPLAY WAYLAND_DISPLAY
# The clips first, in runs of their own: the MPEG multiplexer behind the .mpg
# and .vob clips now and then rejects its audio input under the sanitizers and
# ends the whole process, so a failed attempt is simply made again.
for attempt in 1 2 3; do
    "$build/bin/mci_soak" --ops 0 >/dev/null 2>&1 && break
    echo "soak: making the clips failed (attempt $attempt)" >&2
done
if [ $# -ge 2 ]; then
    exec "$build/bin/mci_soak" --ops "$ops" --seed "$2"
fi
exec "$build/bin/mci_soak" --ops "$ops"
