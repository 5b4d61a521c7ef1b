#!/bin/sh
# Builds the whole project a second time with AddressSanitizer and
# UndefinedBehaviorSanitizer (halt on the first error) and runs the test suite
# headless against that build. Leaks that the system libraries leave at exit
# (type registries, font caches) are listed, with reasons, in tools/lsan.supp.
# Arguments go to ctest (-L display: the display cases alone).
# Usage: tools/test-sanitized.sh [CTEST ARGUMENTS...]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/install-deps.sh"
export KELTO_BUILD_DIR="${KELTO_SANITIZE_BUILD_DIR:-$root/build-asan}"
werror=OFF
[ "${KELTO_CI:-0}" = 1 ] && werror=ON
# clang, at -O1 with line tables only: file and line in every frame of a
# report, at a fifth of the compile time of GCC's instrumented -O2 -g. Its
# undefined-behaviour checks also see through casts of objects under
# construction or destruction, which GCC's miss. The plain build stays GCC's,
# so both compilers' warnings hold.
CC=clang CXX=clang++ "$root/tools/build.sh" -DKELTO_SANITIZE=ON -DKELTO_WERROR=$werror \
    -DKELTO_BUILD_BENCHMARKS=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only -DNDEBUG"
unset DISPLAY WAYLAND_DISPLAY
export QT_QPA_PLATFORM=offscreen
# Full malloc stacks: the system libraries have no frame pointers, and the
# suppressions can only match frames that are recorded.
export ASAN_OPTIONS="halt_on_error=1:abort_on_error=1:detect_leaks=1:detect_odr_violation=0:fast_unwind_on_malloc=0:malloc_context_size=30"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export LSAN_OPTIONS="suppressions=$root/tools/lsan.supp:print_suppressions=0"
# Sanitized code runs slower; give each test more room than the plain run.
ctest --test-dir "$KELTO_BUILD_DIR" --output-on-failure --parallel "$(nproc)" --timeout 600 "$@"
