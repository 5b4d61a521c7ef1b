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

# A tenth of a second of silence: 8 kHz, 16 bits, one channel, 1600 bytes.
{
    printf 'RIFF\104\006\000\000WAVEfmt \020\000\000\000\001\000\001\000'
    printf '\100\037\000\000\200\076\000\000\002\000\020\000data\100\006\000\000'
    head -c 1600 /dev/zero
} > "$dir/quiet.wav"
# Each notification is a line of its own, told as the command it waited for ends.
answer=$(printf '%s\n' "open $dir/quiet.wav alias q" 'play q wait notify' \
    'seek q to start notify' 'status q mode' | "$mcisend" -)
expected=$(printf '0\t1\nnotify q successful\n0\t\nnotify q successful\n0\t\n0\tstopped')
[ "$answer" = "$expected" ] || fail "notify gave: $answer"

# A device opened by its type and file, its state's rules and its notifications.
answer=$(printf '%s\n' "open waveaudio!$dir/quiet.wav alias q notify" 'pause q' 'cue q output' \
    'status q 4' 'close all notify' "play $dir/quiet.wav notify" | "$mcisend" -)
expected=$(printf 'notify q successful\n0\t1\n302\t%s\n0\t\n0\tpaused\nnotify q successful\n0\t\n300\t%s' \
    'Cannot carry out the commands in the order specified. Correct the command sequence, and then try again.' \
    "Cannot use the 'notify' flag with auto-opened devices.")
[ "$answer" = "$expected" ] || fail "rules gave: $answer"

status=0
"$mcisend" -f "$dir/missing.txt" > /dev/null 2>&1 || status=$?
[ "$status" = 2 ] || fail "a missing script gave exit status $status"
echo "mcisend scripts: ok"
