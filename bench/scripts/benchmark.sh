#!/bin/bash
# Usage: bench/scripts/benchmark.sh [--full] [SECTION...]   (tools/benchmark.sh builds first)
#
# The player (build/bin/kelto-player, driven with the mouse as a user would)
# against the floor on the same clips and the same sinks, the two taking turns
# run by run so that whatever else the machine does hits both alike. For
# films the floor is a bare gst-launch-1.0 pipeline that decodes, converts and
# scales once and draws (decodebin ! videoconvert ! videoscale ! the sink, the
# sound to a real-time fakesink); for sound and MIDI it is the engine's
# playbin with the same sinks and filter as the service. hyperfine times the whole reference runs; the player's figures come
# from events (its timing marks, its window mapped) and from /proc, read by
# bench/figures.py, which prints every figure as min / median / max with its
# target. By default 2 runs of each, steady states watched for 5 s (about
# 5 minutes); --full: 5 runs, 10 s. SECTIONs (default all): window,
# fullscreen, hd, sound, startup, playlist, midi. Starts its own Xvfb; needs no
# sound card. KELTO_BUILD_DIR picks the build folder.
#
# Every wait is for an event with a generous ceiling, so that a loaded machine
# makes the figures worse but never stops the run.
set -euo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
build=${KELTO_BUILD_DIR:-$root/build}
runs=2 watch=5
if [ "${1:-}" = --full ]; then runs=5 watch=10 && shift; fi
sections=" ${*:-window fullscreen hd sound startup playlist midi} "
want() { [[ $sections == *" $1 "* ]]; }
player=$build/bin/kelto-player
samples=$build/samples
figures=(python3 "$root/bench/figures.py")
for f in "$player" "$build/bin/playlist_bench" "$build/bin/marquee_bench" "$samples/kelto-tune.mid" \
    "$samples/kelto-melody.mp3"; do
    [ -e "$f" ] || { echo "missing $f: build first (tools/benchmark.sh does)" >&2; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/kelto-bench.XXXXXX")
xvfb_pid=""
# Ends what a run started in the background, and waits for it to be gone.
end_jobs() { jobs -p | xargs -r kill 2>/dev/null || true; wait 2>/dev/null || true; }
cleanup() { end_jobs; rm -rf "$work"; }
trap cleanup EXIT

# Waits for a line matching REGEX in FILE (a log another process writes).
wait_line() {  # wait_line SECONDS REGEX FILE [COUNT]
    local deadline=$((SECONDS + $1)) n
    until n=$(grep -c -E "$2" "$3" 2>/dev/null) && [ "$n" -ge "${4:-1}" ]; do
        [ "$SECONDS" -lt "$deadline" ] || { echo "no \"$2\" in $3" >&2; return 1; }
        sleep 0.05
    done
}
progress() { if [ -t 2 ]; then printf '\r%-60s\r' "$*" >&2; fi; }

# A display of our own: Xvfb picks a free number and writes it down once it
# takes clients. Other work on the machine may end it; each run checks first.
start_display() {
    rm -f "$work/displayfd"
    mkfifo "$work/displayfd"
    Xvfb -displayfd 5 -screen 0 1920x1080x24 -nolisten tcp 5>"$work/displayfd" >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    local number=""
    read -r -t 60 number <"$work/displayfd" || true
    [ -n "$number" ] || { echo "Xvfb did not start" >&2; cat "$work/xvfb.log" >&2; exit 1; }
    export DISPLAY=:$number
}
start_display
unset WAYLAND_DISPLAY
export QT_QPA_PLATFORM=xcb

# One measured run, up to three times: a run that something outside spoiled
# (the X server or the player ended under it) is repeated on a live display.
# What the run puts down joins the figures only when it succeeds.
run() {  # run FUNCTION ARGS...
    local try status
    for try in 1 2 3; do
        kill -0 "$xvfb_pid" 2>/dev/null || start_display
        : >"$work/run"
        # Not an "if" condition: there, bash would ignore the run's set -e.
        set +e
        (set -e && trap end_jobs EXIT && "$@")
        status=$?
        set -e
        [ "$status" -ne 0 ] || { cat "$work/run" >>"$work/values" && return 0; }
        echo "(a run of $1 failed, try $try of 3)" >&2
    done
    exit 1
}
put() { [ -z "$2" ] || echo "$1 $2" >>"$work/run"; }

# --- the clips -------------------------------------------------------------
# Made once per build folder and kept there: making them takes longer than
# some sections.
clips=$build/bench-clips
clip=$clips/clip-720x576.mpg wav=$clips/sound-60s.wav mp3=$clips/sound-60s.mp3
hd=$clips/clip-1920x1080.mp4
mkdir -p "$clips"
queue="queue max-size-buffers=0 max-size-bytes=0 max-size-time=0"
make_clip() {  # make_clip FILE PIPELINE...: the pipeline ends in a filesink to "$work/clip"
    [ -s "$1" ] && return 0
    progress "Making $(basename "$1") ..."
    local out=$1
    shift
    timeout 300 gst-launch-1.0 -q -e "$@" >/dev/null && mv "$work/clip" "$out"
}
# The multiplexer stalls now and then; a stalled encode is tried again.
for attempt in 1 2 3; do
    # shellcheck disable=SC2086
    make_clip "$clip" videotestsrc pattern=smpte num-buffers=250 \
        ! video/x-raw,format=I420,width=720,height=576,framerate=25/1 \
        ! timeoverlay font-desc="Sans 36" ! mpeg2enc format=3 ! $queue ! mux. \
        audiotestsrc wave=sine freq=440 num-buffers=1000 samplesperbuffer=480 \
        ! audio/x-raw,rate=48000,channels=2 ! avenc_mp2 ! $queue \
        ! mplex format=8 name=mux ! filesink location="$work/clip" && break
    [ "$attempt" -lt 3 ] || { echo "the MPEG-2 clip could not be made" >&2; exit 1; }
done
# A 1080p H.264 film with AAC sound, as cameras and phones write them, 6 s.
# shellcheck disable=SC2086
want hd && make_clip "$hd" videotestsrc pattern=smpte num-buffers=150 \
    ! video/x-raw,format=I420,width=1920,height=1080,framerate=25/1 \
    ! timeoverlay font-desc="Sans 72" ! x264enc speed-preset=superfast bframes=2 key-int-max=50 \
    ! h264parse ! $queue ! mux. \
    audiotestsrc wave=sine freq=440 num-buffers=600 samplesperbuffer=480 \
    ! audio/x-raw,rate=48000,channels=2 ! avenc_aac ! aacparse ! $queue \
    ! mp4mux name=mux ! filesink location="$work/clip"
make_clip "$wav" audiotestsrc wave=sine freq=440 num-buffers=2813 samplesperbuffer=1024 \
    ! audio/x-raw,rate=48000,channels=2,format=S16LE ! wavenc ! filesink location="$work/clip"
make_clip "$mp3" audiotestsrc wave=sine freq=440 num-buffers=2813 samplesperbuffer=1024 \
    ! audio/x-raw,rate=44100,channels=2 ! lamemp3enc bitrate=192 ! id3v2mux ! filesink location="$work/clip"

# --- the references -----------------------------------------------------------
# The service draws with XVideo when the display has an adaptor, else with
# plain X images; the references get the same. A picture size makes the
# scaler produce that size, as the service does for its video window.
vsink=ximagesink
gst-launch-1.0 -q videotestsrc num-buffers=1 ! xvimagesink >/dev/null 2>&1 && vsink=xvimagesink
# The floor for a film: one decode, one conversion and scaling, one drawing.
floor_for() {  # floor_for FILE [WIDTHxHEIGHT]: sets the array "reference"
    local size=""
    [ -n "${2:-}" ] && size=" ! video/x-raw,width=${2%x*},height=${2#*x},pixel-aspect-ratio=1/1"
    # shellcheck disable=SC2206  # the pipeline's words, split on purpose
    reference=(gst-launch-1.0 filesrc "location=$1" ! decodebin name=d
        d. ! queue ! videoconvert ! videoscale $size ! "$vsink"
        d. ! queue ! audioconvert ! audioresample ! fakesink sync=true)
}
# The engine as the service drives it, for sound.
engine_for() {  # engine_for FILE: sets the array "reference"
    reference=(gst-launch-1.0 playbin "uri=file://$1" "video-sink=videoconvert ! videoscale ! $vsink"
        "audio-sink=fakesink sync=true" "audio-filter=scaletempo")
}
# A whole reference run: CPU from hyperfine, peak memory from time(1).
reference_run() {  # reference_run floor|engine NAME FILE [WIDTHxHEIGHT]
    "$1_for" "$3" "${4:-}"
    hyperfine -N --runs 1 --style none --export-json "$work/hf.json" \
        "/usr/bin/time -f %M -o $work/mem timeout 120 $(printf '%q ' "${reference[@]}")" >/dev/null
    "${figures[@]}" hyperfine "$2" "$work/hf.json" "$work/mem" >>"$work/run"
}
# The floor's time to the first picture, from GStreamer's own log: the first
# element made to the video sink taking its first buffer (the span the
# service's marks cover); the run ends there.
reference_first_frame() {  # reference_first_frame NAME FILE
    floor_for "$2"
    GST_DEBUG=GST_ELEMENT_FACTORY:4,basesink:5 GST_DEBUG_NO_COLOR=1 GST_DEBUG_FILE="$work/gst.log" \
        "${reference[@]}" >/dev/null 2>&1 &
    wait_line 60 "gst_base_sink_do_preroll:<${vsink}0> prerolling" "$work/gst.log"
    "${figures[@]}" gstlog "$work/gst.log" "<${vsink}0>" "$1" >>"$work/run"
}
# The size of the service's video window the last player run showed (it is
# captioned with the file's name), for the floor to scale to the same size.
shown_size() { tail -1 "$work/sizes.$1" 2>/dev/null || true; }

# --- the player, driven with the mouse ----------------------------------------
start_player() {  # start_player DIR: starts it there with marks on, waits for its window
    (cd "$1" && QT_LOGGING_RULES=kelto.trace.marks=true exec "$player" >"$1/out" 2>"$1/err") &
    player_pid=$!
    # Found by its process, so that a window of the previous run still being
    # torn down is never taken for it; --sync waits on the server.
    window=$(timeout 60 xdotool search --sync --onlyvisible --pid "$player_pid" --name . | head -1)
    [ -n "$window" ] || { echo "the player's window did not appear" >&2; cat "$1/err" >&2; exit 1; }
}
click() {  # click X Y [REPEAT], in the window's own pixels
    xdotool mousemove --window "$window" "$1" "$2" click --repeat "${3:-1}" --delay 80 1
}
player_with() {  # player_with FILE [TITLE]: a player whose playlist is that one file
    dir=$(mktemp -d "$work/player.XXXXXX")
    printf '%s\r\n' "${2:-$(basename "$1")}" >"$dir/pl1.txt"
    printf '%s\r\n' "$1" >"$dir/pl2.txt"
    start_player "$dir"
    sleep 1  # start-up settles first
}
play_entry() { click 20 137 2 && wait_line 60 '^play-request ' "$dir/err"; }  # double-click entry 1
measure() { "${figures[@]}" watch "$player_pid" "$@" >>"$work/run"; }  # measure SECONDS NAME

# Plays FILE for SECONDS from a double-click on the entry (clicking
# Fullscreen as soon as it plays with "fullscreen"); then, with a picture,
# opens it again for the time to the picture of a file opened after another.
play_in_player() {  # play_in_player NAME FILE SECONDS [fullscreen]
    player_with "$2"
    measure "$3" "$1" &
    local watcher=$!
    play_entry
    if [ "${4:-}" = fullscreen ]; then
        click 316 35
        wait_line 60 '^put-request ' "$dir/err"
    fi
    wait "$watcher"
    if grep -q '^first-frame ' "$dir/err"; then  # the service's video window, captioned with the file's name
        local size
        size=$(xwininfo -tree -id "$window" | grep -F "\"$(basename "$2")\": " |
            grep -o '[0-9]*x[0-9]*+' | head -1 | tr -d +)
        put "$1.size" "$size"
        [ -z "$size" ] || echo "$size" >>"$work/sizes.$1"
    fi
    "${figures[@]}" marks "$dir/err" 1 "$1.first_ms" >>"$work/run"
    if [ -z "${4:-}" ] && grep -q '^first-frame ' "$dir/err"; then
        click 20 137 2
        wait_line 60 '^first-frame ' "$dir/err" 2
        "${figures[@]}" marks "$dir/err" 2 "$1.next_ms" >>"$work/run"
    fi
}

# --- sections -------------------------------------------------------------------
# The floor scales to the size the player's video window had.
if want window; then
    for i in $(seq "$runs"); do
        progress "MPEG-2 clip in the window, run $i of $runs ..."
        run play_in_player window.player "$clip" 10.3
        run reference_run floor window.ref "$clip" "$(shown_size window.player)"
        run reference_first_frame window.ref.first_ms "$clip"
    done
fi

if want fullscreen; then
    for i in $(seq "$runs"); do
        progress "MPEG-2 clip full screen, run $i of $runs ..."
        run play_in_player full.player "$clip" 10.3 fullscreen
        run reference_run floor full.ref "$clip" 1920x1080
    done
fi

if want hd; then
    for i in $(seq "$runs"); do
        progress "1080p H.264 clip full screen, run $i of $runs ..."
        run play_in_player hd.player "$hd" 6.3 fullscreen
        run reference_run floor hd.ref "$hd" 1920x1080
    done
fi

# Sound only: the player idle with the file listed but nothing open, then
# playing, then paused (the title keeps scrolling), then paused with its
# window covered; gst-launch playing, watched the same way.
sound_in_player() {  # sound_in_player NAME FILE [all]
    player_with "$2" "Kelto Sound of Sixty"  # a title of usual length scrolls while paused
    [ -z "${3:-}" ] || measure "$watch" idle
    play_entry
    sleep 1  # the open and the first buffers are not part of steady playing
    measure "$watch" "$1"
    [ -n "${3:-}" ] || return 0
    click 103 35
    wait_line 60 '^pause-request ' "$dir/err"
    sleep 1
    measure "$watch" pause
    xmessage -geometry 1920x1080+0+0 covered >/dev/null 2>&1 &
    timeout 60 xdotool search --sync --onlyvisible --pid $! --name . >/dev/null
    sleep 1
    measure "$watch" covered
}
sound_in_reference() {  # sound_in_reference NAME FILE
    engine_for "$2"
    "${reference[@]}" >"$work/ref.log" 2>&1 &
    player_pid=$!
    wait_line 60 'Setting pipeline to PLAYING' "$work/ref.log"
    sleep 1
    measure "$watch" "$1"
}
marquee() {
    local t r m f
    read -r _ t _ r _ m _ f < <(timeout 300 "$build/bin/marquee_bench")
    put marquee.timer "$t" && put marquee.repaint "$r" && put marquee.marquee "$m" && put marquee.first "$f"
}
if want sound; then
    for i in $(seq "$runs"); do
        progress "Sound only, paused, idle, run $i of $runs ..."
        run sound_in_player wav.player "$wav" all
        run marquee
        run sound_in_reference wav.ref "$wav"
        run sound_in_player mp3.player "$mp3"
        run sound_in_reference mp3.ref "$mp3"
    done
fi

# Start-up: the time the window is mapped comes from the server itself (xev
# listens on the root and prints the line as it happens).
startup() {  # startup NAME DIR: microseconds from exec to the window mapped
    local t0 line="" try
    exec {xev}< <(exec stdbuf -oL xev -root -event substructure -event property)
    local xev_pid=$!
    # xev listens once a property change on the root comes back through it.
    for try in $(seq 30); do
        xprop -root -f KELTO_BENCH 8s -set KELTO_BENCH "$try"
        read -r -t 2 -u "$xev" line || true
        [[ $line != PropertyNotify* ]] || break
    done
    [[ $line == PropertyNotify* ]] || { echo "xev did not start listening" >&2; return 1; }
    t0=${EPOCHREALTIME/./}
    (cd "$2" && exec "$player" >"$2/out" 2>"$2/err") &
    until [[ $line == MapNotify* ]]; do read -r -t 60 -u "$xev" line; done
    put "$1" $((${EPOCHREALTIME/./} - t0))
    kill "$xev_pid"
}
if want startup; then
    mkdir -p "$work/big" "$work/empty"
    for i in $(seq 0 99999); do printf 'Track %06d - Sample Song Title.mp3\r\n' "$i"; done >"$work/big/pl1.txt"
    for i in $(seq 0 99999); do
        printf '/home/listener/Music/Artist %03d/Album %04d/Track %06d - Sample Song Title.mp3\r\n' \
            $((i / 1000)) $((i / 10)) "$i"
    done >"$work/big/pl2.txt"
    : >"$work/empty/pl1.txt"
    : >"$work/empty/pl2.txt"
    for i in $(seq "$runs"); do
        progress "Start-up, run $i of $runs ..."
        run startup startup.empty_us "$work/empty"
        run startup startup.big_us "$work/big"
    done
fi

if want playlist; then
    progress "Playlist files ..."
    "$build/bin/playlist_bench" --benchmark_filter='BM_PlaylistLoadAndSave/100000$' \
        --benchmark_repetitions="$runs" --benchmark_out="$work/playlist.json" \
        --benchmark_out_format=json >/dev/null 2>&1
    "${figures[@]}" gbench playlist.s "$work/playlist.json" >>"$work/values"
fi

if want midi; then
    for i in $(seq "$runs"); do
        progress "MIDI, run $i of $runs ..."
        run play_in_player midi.player "$samples/kelto-tune.mid" 5.3
        run reference_run engine midi.ref "$samples/kelto-tune.mid"
        run play_in_player melody.player "$samples/kelto-melody.mp3" 5.3
        run reference_run engine melody.ref "$samples/kelto-melody.mp3"
    done
fi

progress ""
"${figures[@]}" report "$work/values" "$runs" "$vsink"
