#!/bin/sh
# The half of tools/check-package.sh that runs inside the fresh Debian root,
# as root, from the folder the package and the clips were copied to.
# Usage: check-package-root.sh PACKAGE.deb VERSION VIDEO_CLIP MIDI_CLIP
# Installs the package with nothing but its Depends, then checks both
# programs, headless playback, the window on a display, the manual page and a
# clean purge. Prints each step; exits 1 at the first fault.
set -eu
deb=$1
version=$2
video=$(pwd)/$3
midi=$(pwd)/$4
work=$(pwd)
started=$(date +%s)
export DEBIAN_FRONTEND=noninteractive
export LC_ALL=C.UTF-8

fail() {
    echo "FAIL: $*" >&2
    exit 1
}
step() {
    echo "== [$(($(date +%s) - started)) s in the root] $*"
}

# Polls for up to $1 seconds for the command that follows to succeed.
wait_for() {
    limit=$1
    shift
    waited=0
    until "$@"; do
        [ "$waited" -ge "$limit" ] && return 1
        sleep 1
        waited=$((waited + 1))
    done
}

step "apt-get install ./$deb (its Depends only, no Recommends)"
apt-get install -y --no-install-recommends "./$deb" >apt-install.log 2>&1 ||
    { cat apt-install.log; fail "apt-get could not install the package"; }
grep -E '^(Need to get|After this operation|[0-9]+ upgraded)' apt-install.log || true

step "--version"
for program in kelto-player mcisend; do
    answer=$("$program" --version) || fail "$program --version ended with status $?"
    [ "$answer" = "$program $version" ] ||
        fail "$program --version said \"$answer\", not \"$program $version\""
    echo "$answer"
done

# No display, no sound card, no session bus: the service plays headless and
# its sound goes nowhere. Each clip must play to its end.
step "mcisend plays the clips to their end with no display and no sound card"
for clip in "$video" "$midi"; do
    # Its standard error holds the sound libraries' complaints about the
    # missing card; shown only when something fails.
    replies=$(env -u DISPLAY -u WAYLAND_DISPLAY -u DBUS_SESSION_BUS_ADDRESS timeout 120 \
        mcisend "open $clip type MPEGVideo alias m" "status m length" "play m wait" \
        "status m position" "status m mode" 2>mcisend.log) ||
        { cat mcisend.log; fail "mcisend on $clip ended with status $?"; }
    echo "$replies" | sed "s|^|  $(basename "$clip"): |"
    codes=$(echo "$replies" | cut -f1 | tr '\n' ' ')
    [ "$codes" = "0 0 0 0 0 " ] || { cat mcisend.log; fail "mcisend on $clip: return codes $codes"; }
    length=$(echo "$replies" | sed -n 2p | cut -f2)
    position=$(echo "$replies" | sed -n 4p | cut -f2)
    mode=$(echo "$replies" | sed -n 5p | cut -f2)
    [ "$length" -gt 0 ] || fail "$clip has no length"
    [ "$position" = "$length" ] || fail "$clip stopped at $position of $length ms"
    [ "$mode" = stopped ] || fail "$clip is \"$mode\" after playing to its end"
done

# A test extra, after the check of Depends: a display server to show the
# window on, a tool to find the window, and man to find the manual page.
step "test extras: xvfb x11-utils man-db"
apt-get install -y --no-install-recommends xvfb xauth x11-utils man-db >apt-extras.log 2>&1 ||
    { cat apt-extras.log; fail "could not install the test extras"; }

step "the player shows its window on Xvfb and plays the video into the next entry"
# The server takes the first free display number and says which once it
# takes clients: CI runs the test suite's own servers beside this one.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>display.txt >xvfb.log 2>&1 &
xvfb=$!
wait_for 30 test -s display.txt || { cat xvfb.log; fail "Xvfb did not start"; }
display=:$(head -n1 display.txt)
mkdir -p "$work/home"
(cd "$work/home" && exec env -u DBUS_SESSION_BUS_ADDRESS -u XDG_RUNTIME_DIR \
    HOME="$work/home" DISPLAY="$display" QT_LOGGING_RULES='kelto.trace.*=true' \
    kelto-player "$video" "$midi" >player.log 2>&1) &
player=$!
log=$work/home/player.log
shown() {
    DISPLAY="$display" xwininfo -root -tree 2>/dev/null | grep -q '"Kelto Player 1.0".*460x550'
}
# Trace lines: "first-frame <us>" once a picture reached the video sink;
# "command <us> <code> <command>" for each command answered.
played_to_next() {
    grep -q '^first-frame ' "$log" &&
        grep -q "^command [0-9]* 0 open .*$(basename "$midi")" "$log"
}
finish_player() {
    kill "$player" 2>/dev/null || true
    wait "$player" 2>/dev/null || true
    kill "$xvfb" 2>/dev/null || true
    wait "$xvfb" 2>/dev/null || true
}
if ! wait_for 60 shown; then
    DISPLAY="$display" xwininfo -root -tree || true
    cat "$log"
    finish_player
    fail "no 460x550 window titled \"Kelto Player 1.0\""
fi
echo "window shown: $(DISPLAY="$display" xwininfo -root -tree | grep '"Kelto Player 1.0"' | head -n1)"
if ! wait_for 120 played_to_next; then
    cat "$log"
    finish_player
    fail "the player did not show the video and go on to the next entry"
fi
grep -E "^first-frame |^command [0-9]* 0 (play|open) " "$log" | sed 's/^/  /'
finish_player

step "man -w kelto-player"
man -w kelto-player || fail "man does not find the kelto-player page"
man -w mcisend || fail "man does not find the mcisend page"

step "apt-get purge kelto-player leaves none of its files"
dpkg -L kelto-player >files-before.txt
apt-get purge -y kelto-player >apt-purge.log 2>&1 ||
    { cat apt-purge.log; fail "apt-get purge failed"; }
left=0
while IFS= read -r path; do
    if [ -d "$path" ] && [ ! -L "$path" ]; then
        # A folder stays when another package owns it or files of others are in it.
        if ! dpkg -S "$path" >/dev/null 2>&1 && [ -z "$(ls -A "$path")" ]; then
            echo "left behind: empty folder $path" >&2
            left=$((left + 1))
        fi
    elif [ -e "$path" ] || [ -L "$path" ]; then
        echo "left behind: $path" >&2
        left=$((left + 1))
    fi
done <files-before.txt
[ "$left" -eq 0 ] || fail "$left path(s) of the package remain after purge"
echo "$(wc -l <files-before.txt) paths listed before purge, none of the package's left"
step "done"
