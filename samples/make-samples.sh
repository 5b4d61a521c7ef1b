#!/bin/sh
# Build step around kelto-make-samples. The MPEG multiplexer ends the whole
# process when it rejects its input, which it has been seen to do on a busy
# machine, so a failed attempt is retried in a fresh process, and the pieces a
# killed attempt left behind are removed.
set -u
# In a sanitizer build the tool is instrumented too; what the encoder libraries
# keep until exit is no concern of a build step.
ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
export ASAN_OPTIONS
tool=$1
shift
for attempt in 1 2 3; do
    for out in "$@"; do
        rm -f "$out".part*
    done
    if "$tool" "$@"; then
        exit 0
    fi
    echo "making the sample clips failed (attempt $attempt of 3)" >&2
done
exit 1
