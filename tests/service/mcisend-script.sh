#!/bin/sh
# mcisend runs a script file, or standard input, a command a line, skipping
# blank lines and comments, and answers each as it does its arguments.
set -eu
mcisend=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

printf '%s\r\n' '# the installed device types' 'sysinfo all quantity' '' \
    'capability nothing can play' '   sysinfo waveaudio name 1' > "$dir/script.txt"
expected=$(printf '0\t3\n263\tThe specified device is not open or is not recognized by MCI.\n0\twaveaudio')

answer=$("$mcisend" -f "$dir/script.txt") || fail "-f exited with $?"
[ "$answer" = "$expected" ] || fail "-f gave: $answer"
answer=$("$mcisend" -f - < "$dir/script.txt")
[ "$answer" = "$expected" ] || fail "-f - gave: $answer"
answer=$("$mcisend" - < "$dir/script.txt")
[ "$answer" = "$expected" ] || fail "- gave: $answer"

status=0
"$mcisend" -f "$dir/missing.txt" > /dev/null 2>&1 || status=$?
[ "$status" = 2 ] || fail "a missing script gave exit status $status"
echo "mcisend scripts: ok"
