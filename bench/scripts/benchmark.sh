#!/bin/bash
# shellcheck disable=SC1091 # each run's figures are read back from a file it writes
# Usage: bench/scripts/benchmark.sh [RUNS [SECTION...]]   (tools/benchmark.sh builds first)
#
# Side by side, in one run, on the same clips and the same sinks: the player
# (build/bin/kelto-player, driven with the mouse as a user would) against
# gst-launch-1.0 playbin, the two taking turns run by run so that whatever
# else the machine does hits both alike. Prints each figure as min / median /
# max of RUNS runs (default 5) and the ratio of the medians against its
# target. Starts its own Xvfb (1920x1080); needs no sound card.
# KELTO_BUILD_DIR picks the build folder. SECTIONs (default all): window,
# fullscreen, sound, startup, playlist, midi.
#
# Every wait is for an event (a mark the player prints with KELTO_MCI_TRACE=marks,
# a window being mapped, a process ending) with a generous ceiling, so that a
# loaded machine makes the figures worse but never stops the run.
set -euo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
build=${KELTO_BUILD_DIR:-$root/build}
runs=${1:-5}
shift || true
sections=" ${*:-window fullscreen sound startup playlist midi} "
player=$build/bin/kelto-player
playlist_bench=$build/bin/playlist_bench
marquee_bench=$build/bin/marquee_bench
samples=$build/samples
screen_w=1920 screen_h=1080

# --- packages only the benchmark needs ---------------------------------------
install_bench_packages() {
    local missing="" p
    # shellcheck disable=SC2013 # one package a word is what the list holds
    for p in $(grep -v '^[[:space:]]*#' "$root/tools/bench-packages.txt"); do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" ||
            missing="$missing $p"
    done
    [ -z "$missing" ] && return 0
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    echo "Installing for the benchmark:$missing"
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get update -qq
    # shellcheck disable=SC2086
    $sudo apt-get install -y -qq --no-install-recommends $missing >/dev/null
}
install_bench_packages

for f in "$player" "$playlist_bench" "$marquee_bench" "$samples/kelto-tune.mid" "$samples/kelto-melody.mp3"; do
    [ -e "$f" ] || { echo "missing $f: build first (tools/benchmark.sh does)" >&2; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/kelto-bench.XXXXXX")
xvfb_pid=""
cleanup() {
    local pid
    for pid in $(jobs -p); do kill "$pid" 2>/dev/null || true; done
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

want() { [[ $sections == *" $1 "* ]]; }

# --- small helpers -------------------------------------------------------------
hz=$(getconf CLK_TCK)

# utime + stime of a process (its ended threads included), in clock ticks.
cpu_ticks() { awk '{ sub(/^.*\) /, ""); print $12 + $13 }' "/proc/$1/stat"; }
# Peak resident memory of a live process, KiB.
hwm_kib() { awk '/^VmHWM:/ { print $2 }' "/proc/$1/status"; }

# One line per live thread: "tid cpu-ns voluntary-switches name", from the
# scheduler's own nanosecond account (clock ticks are too coarse for the
# few milliseconds a quiet player spends).
thread_stats() {  # thread_stats PID FILE
    local t line sw name
    : >"$2"
    for t in /proc/"$1"/task/*; do
        {
            read -r line _ <"$t/schedstat"
            sw=$(awk '/^voluntary_ctxt_switches:/ { print $2 }' "$t/status")
            name=$(tr ' ' '_' <"$t/comm")
            echo "${t##*/} $line $sw $name" >>"$2"
        } 2>/dev/null || true  # a thread that ended meanwhile
    done
}
# Measures a live process for SECONDS: sets win_ms (CPU ms, all threads),
# win_wake (voluntary switches a second: the times a thread slept and was
# woken) and leaves the per-thread split (ms by thread name) in FILE.
measure_window() {  # measure_window PID SECONDS FILE
    thread_stats "$1" "$work/before"
    sleep "$2"
    thread_stats "$1" "$work/after"
    read -r win_ms win_wake < <(awk -v s="$2" -v out="$3" '
        NR == FNR { ns[$1] = $2; sw[$1] = $3; next }
        { d = $2 - ns[$1]; w = $3 - sw[$1]; t += d; tw += w; by[$4] += d; byw[$4] += w }
        END {
            for (n in by) if (by[n] > 0 || byw[n] > 0)
                printf "%s %.2f %.1f\n", n, by[n] / 1e6, byw[n] / s > out
            printf "%.2f %.1f\n", t / 1e6, tw / s }' "$work/before" "$work/after")
}

# "min M  median D  max X" of the numbers on stdin, with the given decimals.
spread() {
    sort -g | awk -v d="$1" '{ v[NR] = $1 } END {
        if (NR == 0) { print "no data"; exit }
        m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
        printf "min %.*f  median %.*f  max %.*f", d, v[1], d, m, d, v[NR] }'
}
median() { sort -g | awk '{ v[NR] = $1 } END {
    if (NR == 0) { print 0; exit }
    print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
# verdict VALUE OP LIMIT: PASS or MISS
verdict() { awk -v v="$1" -v op="$2" -v l="$3" 'BEGIN {
    ok = (op == "<=") ? v <= l : v < l; print ok ? "PASS" : "MISS" }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", (b > 0) ? a / b : 0 }'; }
# The per-thread split of the run whose figure is the median: "name ms, ...".
median_split() {  # median_split PREFIX VALUES...: PREFIX.N holds run N's split
    local prefix=$1 m i=0 best=0 bestd=""
    shift
    m=$(printf '%s\n' "$@" | median)
    for v in "$@"; do
        i=$((i + 1))
        d=$(awk -v a="$v" -v b="$m" 'BEGIN { d = a - b; print (d < 0) ? -d : d }')
        if [ -z "$bestd" ] || awk -v a="$d" -v b="$bestd" 'BEGIN { exit !(a < b) }'; then
            bestd=$d best=$i
        fi
    done
    sort -k2,2 -g -r "$prefix.$best" | awk '$2 >= 0.05 { printf "%s%s %.1f ms", sep, $1, $2; sep = ", " }
        END { if (NR == 0) printf "nothing" }'
}

# Progress on a terminal only, so that a saved report holds just the figures.
progress() { if [ -t 2 ]; then printf '\r%-60s\r' "$*" >&2; fi; }

# Waits for a line matching REGEX in FILE (a log another process writes).
# Reading a local file costs the display nothing; the ceiling is generous.
wait_line() {  # wait_line SECONDS REGEX FILE [COUNT]
    local deadline=$((SECONDS + $1))
    until [ "$(grep -c -E "$2" "$3" 2>/dev/null)" -ge "${4:-1}" ]; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.05
    done
}

# --- a display of our own ------------------------------------------------------
# Xvfb picks a free display number and writes it down once it takes clients.
# Other work on the machine may end it; each run checks it is there first and
# starts another if not.
start_display() {
    rm -f "$work/displayfd"
    mkfifo "$work/displayfd"
    Xvfb -displayfd 5 -screen 0 "${screen_w}x${screen_h}x24" -nolisten tcp \
        5>"$work/displayfd" >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    local number=""
    read -r -t 60 number <"$work/displayfd" || true
    [ -n "$number" ] || { echo "Xvfb did not start" >&2; cat "$work/xvfb.log" >&2; exit 1; }
    export DISPLAY=:$number
}
ensure_display() {
    kill -0 "$xvfb_pid" 2>/dev/null && return 0
    echo "(the X server had ended; a new one is started)" >&2
    start_display
}
start_display
unset WAYLAND_DISPLAY
export QT_QPA_PLATFORM=xcb

# One measured run in a subshell of its own, up to three times: a run that
# something outside spoiled (the X server or the player ended under it) is
# repeated on a display that is there. The run prints its figures as shell
# assignments or a number; they land in FILE.
retry() {  # retry FILE FUNCTION ARGS...
    local file=$1 try
    shift
    for try in 1 2 3; do
        ensure_display
        # Whatever the run started in the background ends with it.
        if ( trap 'kill $(jobs -p) 2>/dev/null || true' EXIT; "$@" ) >"$file"; then return 0; fi
        echo "(a run of $1 failed, try $try of 3)" >&2
    done
    echo "three runs of $1 failed" >&2
    exit 1
}
# Prints the named variables as assignments for the caller to read back.
emit() { local n; for n; do printf '%s=%q\n' "$n" "${!n}"; done; }

# --- the clips -------------------------------------------------------------------
clip=$work/clip-720x576.mpg
queue="queue max-size-buffers=0 max-size-bytes=0 max-size-time=0"
echo "Making a 10 s 720x576 MPEG-2 program stream with picture and sound, a 60 s WAV and MP3..."
# The multiplexer stalls now and then; a stalled encode is ended and tried
# again (an encode takes a few seconds, the bound is generous for a busy
# machine).
for attempt in 1 2 3 4; do
    # shellcheck disable=SC2086
    timeout 180 gst-launch-1.0 -q videotestsrc pattern=smpte num-buffers=250 \
        ! video/x-raw,format=I420,width=720,height=576,framerate=25/1 \
        ! timeoverlay font-desc="Sans 36" ! mpeg2enc format=3 ! $queue ! mux. \
        audiotestsrc wave=sine freq=440 num-buffers=1000 samplesperbuffer=480 \
        ! audio/x-raw,rate=48000,channels=2 ! avenc_mp2 ! $queue \
        ! mplex format=8 name=mux ! filesink location="$clip" >/dev/null && break
    [ "$attempt" -lt 4 ] || { echo "the MPEG-2 clip could not be made" >&2; exit 1; }
done
# Sound files; the playlist lists them under a title of 20 characters, the
# length of a usual one, which scrolls across the strip while one is paused.
wav=$work/sound-60s.wav
mp3=$work/sound-60s.mp3
sound_title="Kelto Sound of Sixty"
timeout 300 gst-launch-1.0 -q audiotestsrc wave=sine freq=440 num-buffers=2813 samplesperbuffer=1024 \
    ! audio/x-raw,rate=48000,channels=2,format=S16LE ! wavenc ! filesink location="$wav" >/dev/null
timeout 300 gst-launch-1.0 -q audiotestsrc wave=sine freq=440 num-buffers=2813 samplesperbuffer=1024 \
    ! audio/x-raw,rate=44100,channels=2 ! lamemp3enc bitrate=192 ! id3v2mux \
    ! filesink location="$mp3" >/dev/null

# The service draws with XVideo when the display has an adaptor, else with
# plain X images; the reference pipeline gets the same.
if gst-launch-1.0 -q videotestsrc num-buffers=1 ! xvimagesink >/dev/null 2>&1; then
    vsink=xvimagesink
else
    vsink=ximagesink
fi
# The service's playbin, sinks and filter, as gst-launch-1.0 arguments; a
# picture size makes the scaler produce that size, as the service does for
# its video area.
reference_for() {  # reference_for FILE [WIDTHxHEIGHT]: sets the array "reference"
    local size=""
    [ -n "${2:-}" ] && size=" ! video/x-raw,width=${2%x*},height=${2#*x},pixel-aspect-ratio=1/1"
    reference=(gst-launch-1.0 playbin "uri=file://$1"
        "video-sink=videoconvert ! videoscale$size ! $vsink"
        "audio-sink=fakesink sync=true" "audio-filter=scaletempo")
}

# --- the player, driven with the mouse -------------------------------------------
# Where the window's controls are, in its own pixels.
entry_x=20 entry_y=137          # first playlist entry
pause_x=103 pause_y=35           # transport bar, button 2
fullscreen_x=316 fullscreen_y=35  # transport bar, button 5
player_pid=""
start_player() {  # start_player DIR [ENV...]: starts it there, waits for its window
    local dir=$1
    shift
    (cd "$dir" && exec env "$@" "$player" >"$dir/out" 2>"$dir/err") &
    player_pid=$!
    # Found by its process, so that a window of the previous run still being
    # torn down is never taken for it; --sync waits on the server.
    window=$(timeout 60 xdotool search --sync --onlyvisible --pid "$player_pid" --name . | head -1)
    [ -n "$window" ] || { echo "the player's window did not appear" >&2; cat "$dir/err" >&2; exit 1; }
}
player_alive() {  # player_alive DIR: stops the benchmark, with the player's words, if it ended
    kill -0 "$player_pid" 2>/dev/null && return 0
    echo "the player ended by itself:" >&2
    cat "$1/err" >&2
    exit 1
}
stop_player() {
    kill "$player_pid" 2>/dev/null || true
    wait "$player_pid" 2>/dev/null || true
}
click() {  # click X Y [REPEAT]: in the player's window
    xdotool mousemove --window "$window" "$1" "$2" click --repeat "${3:-1}" --delay 80 1
}
one_entry_playlist() {  # one_entry_playlist DIR FILE [TITLE]
    printf '%s\r\n' "${3:-$(basename "$2")}" >"$1/pl1.txt"
    printf '%s\r\n' "$2" >"$1/pl2.txt"
}
# first_frame_ms TRACE N: ms from the Nth open request to the Nth first picture.
first_frame_ms() {
    awk -v n="$2" '$1 == "open-request" && ++o == n { open = $2 }
        $1 == "first-frame" && ++f == n { if (open != "") printf "%.1f", ($2 - open) / 1000; exit }' "$1"
}
play_entry() {  # play_entry DIR: double-clicks the entry, waits for playback to start
    click "$entry_x" "$entry_y" 2
    wait_line 60 '^play-request ' "$1/err" || {
        echo "the double-click did not start playback" >&2
        cat "$1/err" >&2
        exit 1
    }
}

# Plays FILE for SECONDS from a double-click on the first entry. Sets
# run_cpu (CPU seconds from the click to the end), run_hwm (KiB) and
# run_ff (ms from the open request to the first picture, empty without one)
# and run_ff2 (the same for a second double-click on the entry afterwards).
# With "fullscreen" it clicks Fullscreen as soon as the file plays.
play_in_player() {
    local file=$1 seconds=$2 mode=${3:-} dir c0 c1
    run_size=""
    dir=$(mktemp -d "$work/player.XXXXXX")
    one_entry_playlist "$dir" "$file"
    start_player "$dir" KELTO_MCI_TRACE=marks
    sleep 1  # start-up settles first; only playing is counted
    player_alive "$dir"
    c0=$(cpu_ticks "$player_pid")
    play_entry "$dir"
    if [ "$mode" = fullscreen ]; then
        click "$fullscreen_x" "$fullscreen_y"
        wait_line 60 '^put-request ' "$dir/err" || { echo "full screen did not start" >&2; exit 1; }
    fi
    sleep "$seconds"
    c1=$(cpu_ticks "$player_pid")
    if [ "$mode" = fullscreen ]; then
        # The service's video window, a child of the video area.
        run_size=$(xwininfo -tree -id "$window" | awk '/\(has no name\)/ {
            for (i = 1; i <= NF; i++) if ($i ~ /^[0-9]+x[0-9]+\+/) { split($i, g, "+"); print g[1]; exit } }')
    fi
    run_hwm=$(hwm_kib "$player_pid")
    run_cpu=$(awk -v a="$c0" -v b="$c1" -v hz="$hz" 'BEGIN { printf "%.2f", (b - a) / hz }')
    run_ff=$(first_frame_ms "$dir/err" 1)
    run_ff2=""
    if [ -n "$run_ff" ] && [ "$mode" != fullscreen ]; then
        # The same entry again: a file opened after the first one.
        click "$entry_x" "$entry_y" 2
        if wait_line 60 '^first-frame ' "$dir/err" 2; then
            run_ff2=$(first_frame_ms "$dir/err" 2)
        fi
    fi
    stop_player
    emit run_cpu run_hwm run_ff run_ff2 run_size
}

# Whole run of the reference pipeline: CPU seconds and peak KiB.
reference_run() {  # reference_run FILE [WIDTHxHEIGHT]
    local out=$work/time.out
    reference_for "$@"
    /usr/bin/time -f '%U %S %M' -o "$out" timeout 120 "${reference[@]}" >/dev/null 2>&1 || true
    ref_cpu=$(awk '{ printf "%.2f", $1 + $2 }' "$out")
    ref_hwm=$(awk '{ print $3 }' "$out")
    emit ref_cpu ref_hwm
}

# Reference time to the first picture: GStreamer's own log, from the first
# element made to the video sink taking its first buffer (which it draws at
# once, as prerolled), the same span the service's marks cover.
reference_first_frame() {  # reference_first_frame FILE: ms
    local log=$work/gst.log
    reference_for "$1"
    GST_DEBUG="GST_ELEMENT_FACTORY:4,basesink:5" GST_DEBUG_NO_COLOR=1 GST_DEBUG_FILE="$log" \
        timeout 10 "${reference[@]}" >/dev/null 2>&1 || true
    awk -v sink="<${vsink}0>" '
        function ms(t,  p) { split(t, p, ":"); return (p[1] * 3600 + p[2] * 60 + p[3]) * 1000 }
        /creating element/ && start == "" { start = ms($1) }
        index($0, "gst_base_sink_do_preroll:" sink " prerolling") { printf "%.1f", ms($1) - start; exit }
    ' "$log"
}

echo "Machine: $(nproc) cores, $(awk '/MemTotal/ { printf "%.0f GiB", $2 / 1048576 }' /proc/meminfo);" \
    "display $DISPLAY (Xvfb ${screen_w}x${screen_h}), video sink $vsink, no sound card: audio to a real-time fakesink."
echo "$runs runs of each, player and reference taking turns; figures are min / median / max."
echo

# --- CPU, first picture, memory on the MPEG-2 clip in the window ---------------------
if want window; then
    p_cpu=() p_ff=() p_ff2=() p_hwm=() r_cpu=() r_ff=() r_hwm=()
    for i in $(seq "$runs"); do
        progress "MPEG-2 clip, run $i of $runs ..."
        retry "$work/r" play_in_player "$clip" 10.3
        . "$work/r"
        p_cpu+=("$run_cpu") p_ff+=("$run_ff") p_ff2+=("$run_ff2") p_hwm+=("$run_hwm")
        retry "$work/r" reference_run "$clip"
        . "$work/r"
        r_cpu+=("$ref_cpu") r_hwm+=("$ref_hwm")
        retry "$work/r" reference_first_frame "$clip"
        r_ff+=("$(cat "$work/r")")
    done
    progress ""

    cpu_ratio=$(ratio "$(printf '%s\n' "${p_cpu[@]}" | median)" "$(printf '%s\n' "${r_cpu[@]}" | median)")
    echo "CPU time playing the 10 s 720x576 MPEG-2 clip in the window (s; player: double-click to end, gst-launch: whole run)"
    echo "  player      $(printf '%s\n' "${p_cpu[@]}" | spread 2)"
    echo "  gst-launch  $(printf '%s\n' "${r_cpu[@]}" | spread 2)"
    echo "  ratio $cpu_ratio   target <= 1.05   $(verdict "$cpu_ratio" "<=" 1.05)"
    echo

    ff_ratio=$(ratio "$(printf '%s\n' "${p_ff[@]}" | median)" "$(printf '%s\n' "${r_ff[@]}" | median)")
    echo "Time to the first picture (ms)"
    echo "  player      $(printf '%s\n' "${p_ff[@]}" | spread 1)   (service marks: open request -> first buffer at the video sink)"
    echo "  gst-launch  $(printf '%s\n' "${r_ff[@]}" | spread 1)   (GStreamer log: first element made -> first buffer at the video sink)"
    echo "  ratio $ff_ratio   target <= 1.1   $(verdict "$ff_ratio" "<=" 1.1)"
    ff2_ratio=$(ratio "$(printf '%s\n' "${p_ff2[@]}" | median)" "$(printf '%s\n' "${r_ff[@]}" | median)")
    echo "  player, the next file opened in the same run: $(printf '%s\n' "${p_ff2[@]}" | spread 1)   ratio $ff2_ratio"
    echo "  (the first open of a run also loads the decoders' libraries, as gst-launch does; the"
    echo "   player looks for a sound output once, in the background, as it starts)"
    echo

    p_hwm_mib=$(printf '%s\n' "${p_hwm[@]}" | median | awk '{ printf "%.1f", $1 / 1024 }')
    r_hwm_mib=$(printf '%s\n' "${r_hwm[@]}" | median | awk '{ printf "%.1f", $1 / 1024 }')
    extra=$(awk -v a="$p_hwm_mib" -v b="$r_hwm_mib" 'BEGIN { printf "%.1f", a - b }')
    echo "Peak memory (VmHWM) playing the MPEG-2 clip (MiB)"
    echo "  player      $(printf '%s\n' "${p_hwm[@]}" | awk '{ print $1 / 1024 }' | spread 1)"
    echo "  gst-launch  $(printf '%s\n' "${r_hwm[@]}" | awk '{ print $1 / 1024 }' | spread 1)"
    echo "  player - gst-launch (medians) $extra MiB   target <= 30   $(verdict "$extra" "<=" 30)"
    echo
fi

# --- CPU playing the MPEG-2 clip full screen -----------------------------------------
if want fullscreen; then
    mpv_run() {  # whole run of mpv's software output over the whole screen
        local out=$work/time.out
        /usr/bin/time -f '%U %S' -o "$out" timeout 120 mpv --no-config --really-quiet --vo=x11 --ao=null \
            --no-border --geometry="${screen_w}x${screen_h}+0+0" --no-keepaspect \
            --no-osc --no-input-default-bindings "$clip" >/dev/null 2>&1 || true
        awk '{ printf "%.2f", $1 + $2 }' "$out"
    }
    f_cpu=() f_ref=() f_mpv=() f_size=()
    for i in $(seq "$runs"); do
        progress "Full screen, run $i of $runs ..."
        retry "$work/r" play_in_player "$clip" 10.3 fullscreen
        . "$work/r"
        f_cpu+=("$run_cpu") f_size+=("${run_size:-unknown}")
        retry "$work/r" reference_run "$clip" "${screen_w}x${screen_h}"
        . "$work/r"
        f_ref+=("$ref_cpu")
        retry "$work/r" mpv_run
        f_mpv+=("$(cat "$work/r")")
    done
    progress ""
    fs_ratio=$(ratio "$(printf '%s\n' "${f_cpu[@]}" | median)" "$(printf '%s\n' "${f_ref[@]}" | median)")
    mpv_ratio=$(ratio "$(printf '%s\n' "${f_cpu[@]}" | median)" "$(printf '%s\n' "${f_mpv[@]}" | median)")
    echo "CPU time playing the 10 s 720x576 MPEG-2 clip full screen, ${screen_w}x${screen_h} (s; whole runs as above)"
    echo "  player      $(printf '%s\n' "${f_cpu[@]}" | spread 2)   (video window $(printf '%s\n' "${f_size[@]}" | sort | uniq -c | awk '{ printf "%s%s in %d runs", sep, $2, $1; sep = ", " }'))"
    echo "  gst-launch  $(printf '%s\n' "${f_ref[@]}" | spread 2)   (videoconvert ! videoscale ! ${screen_w}x${screen_h} ! $vsink)"
    echo "  ratio $fs_ratio   target <= 1.05   $(verdict "$fs_ratio" "<=" 1.05)"
    echo "  mpv --vo=x11 $(printf '%s\n' "${f_mpv[@]}" | spread 2)   (peer figure; player / mpv $mpv_ratio)"
    echo
fi

# --- sound only, paused, idle ------------------------------------------------------
# The player: idle with the file listed but nothing open, then 10 s of
# playing, then 10 s paused (the title keeps scrolling). gst-launch: the same
# 10 s of playing, counted the same way.
sound_in_player() {  # sound_in_player FILE [all]: sets snd_ms; with "all" also idle_* and pause_*
    local file=$1 dir tag
    idle_ms=0 idle_wake=0 pause_ms=0 pause_wake=0 covered_ms=0 covered_wake=0
    tag=$(basename "${file##*.}")
    dir=$(mktemp -d "$work/player.XXXXXX")
    one_entry_playlist "$dir" "$file" "$sound_title"
    start_player "$dir" KELTO_MCI_TRACE=marks
    sleep 1
    if [ "${2:-}" = all ]; then
        measure_window "$player_pid" 10 "$work/split.idle.$i"
        idle_ms=$win_ms idle_wake=$win_wake
    fi
    play_entry "$dir"
    sleep 1  # the open and the first buffers are not part of steady playing
    measure_window "$player_pid" 10 "$work/split.$tag.$i"
    snd_ms=$win_ms
    if [ "${2:-}" = all ]; then
        click "$pause_x" "$pause_y"
        wait_line 60 '^pause-request ' "$dir/err" || { echo "pause did not take" >&2; exit 1; }
        sleep 1
        measure_window "$player_pid" 10 "$work/split.pause.$i"
        pause_ms=$win_ms pause_wake=$win_wake
        # Another window over the whole screen: the player's is wholly covered.
        xmessage -geometry "${screen_w}x${screen_h}+0+0" covered >/dev/null 2>&1 &
        local cover=$!
        timeout 60 xdotool search --sync --onlyvisible --pid "$cover" --name . >/dev/null || true
        sleep 1
        measure_window "$player_pid" 10 "$work/split.covered.$i"
        covered_ms=$win_ms covered_wake=$win_wake
        kill "$cover" 2>/dev/null || true
        wait "$cover" 2>/dev/null || true
    fi
    stop_player
    emit snd_ms idle_ms idle_wake pause_ms pause_wake covered_ms covered_wake
}
sound_in_reference() {  # sound_in_reference FILE: sets ref_ms
    local log=$work/ref.log pid
    reference_for "$1"
    "${reference[@]}" >"$log" 2>&1 &
    pid=$!
    wait_line 60 'Setting pipeline to PLAYING' "$log" || { echo "gst-launch did not play" >&2; exit 1; }
    sleep 1
    measure_window "$pid" 10 "$work/split.ref.$i"
    ref_ms=$win_ms
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    emit ref_ms
}
if want sound; then
    w_p=() w_r=() m_p=() m_r=() i_ms=() i_wake=() z_ms=() z_wake=() z_frame=() c_ms=() c_wake=()
    b_timer=() b_repaint=() b_marquee=() b_first=()
    # A pass of the title: from the strip's whole width (28 cells) until the
    # last of its 20 characters at 1.2 cells each has left, half a cell a
    # frame, one pass per 5 s tick: 10 s hold two passes.
    frames_per_10s=$(awk 'BEGIN { e = -24; s = 28; print 2 * ((s - e) / 0.5 + 1) }')
    for i in $(seq "$runs"); do
        progress "Sound only, paused, idle, run $i of $runs ..."
        retry "$work/r" sound_in_player "$wav" all
        . "$work/r"
        w_p+=("$snd_ms") i_ms+=("$idle_ms") i_wake+=("$idle_wake") z_ms+=("$pause_ms") z_wake+=("$pause_wake")
        c_ms+=("$covered_ms") c_wake+=("$covered_wake")
        retry "$work/r" timeout 300 "$marquee_bench"
        read -r _ t _ r _ m _ f <"$work/r"
        b_timer+=("$t") b_repaint+=("$r") b_marquee+=("$m") b_first+=("$(awk -v f="$f" 'BEGIN { printf "%.1f", f / 1000 }')")
        z_frame+=("$(awk -v ms="$pause_ms" -v f="$frames_per_10s" 'BEGIN { printf "%.1f", ms * 1000 / f }')")
        cp "$work/split.wav.$i" "$work/split.wavp.$i"
        retry "$work/r" sound_in_reference "$wav"
        . "$work/r"
        w_r+=("$ref_ms")
        cp "$work/split.ref.$i" "$work/split.wavr.$i"
        retry "$work/r" sound_in_player "$mp3"
        . "$work/r"
        m_p+=("$snd_ms")
        cp "$work/split.mp3.$i" "$work/split.mp3p.$i"
        retry "$work/r" sound_in_reference "$mp3"
        . "$work/r"
        m_r+=("$ref_ms")
        cp "$work/split.ref.$i" "$work/split.mp3r.$i"
    done
    progress ""
    for kind in WAV MP3; do
        if [ $kind = WAV ]; then pv=("${w_p[@]}") rv=("${w_r[@]}") pk=wavp rk=wavr; else
            pv=("${m_p[@]}") rv=("${m_r[@]}") pk=mp3p rk=mp3r; fi
        r=$(ratio "$(printf '%s\n' "${pv[@]}" | median)" "$(printf '%s\n' "${rv[@]}" | median)")
        echo "CPU playing a 60 s $kind, sound only, over 10 s of steady playing (ms; all threads)"
        echo "  player      $(printf '%s\n' "${pv[@]}" | spread 1)"
        echo "  gst-launch  $(printf '%s\n' "${rv[@]}" | spread 1)"
        echo "  ratio $r   target <= 1.2   $(verdict "$r" "<=" 1.2)"
        echo "  by thread, median run: player: $(median_split "$work/split.$pk" "${pv[@]}")"
        echo "                     gst-launch: $(median_split "$work/split.$rk" "${rv[@]}")"
        echo
    done
    z_median=$(printf '%s\n' "${z_frame[@]}" | median)
    echo "Paused, the title scrolling (over 10 s; $frames_per_10s frames of the 20-character title)"
    echo "  CPU, ms          $(printf '%s\n' "${z_ms[@]}" | spread 1)"
    echo "  wake-ups a s     $(printf '%s\n' "${z_wake[@]}" | spread 1)"
    echo "  CPU a frame, us  $(printf '%s\n' "${z_frame[@]}" | spread 1)   target <= 30   $(verdict "$z_median" "<=" 30)"
    echo "  by thread, median run: $(median_split "$work/split.pause" "${z_ms[@]}")"
    echo "  one frame, all threads, in a process of its own (marquee_bench, us):"
    echo "    the whole frame, shown from frames on the X server  $(printf '%s\n' "${b_marquee[@]}" | spread 1)"
    echo "    a 30 ms timer on the window's thread alone          $(printf '%s\n' "${b_timer[@]}" | spread 1)"
    echo "    that timer and an empty strip repainted             $(printf '%s\n' "${b_repaint[@]}" | spread 1)"
    echo "    making the frames, once per title (ms)              $(printf '%s\n' "${b_first[@]}" | spread 1)"
    echo "  paused, the window wholly covered by another:"
    echo "    CPU, ms        $(printf '%s\n' "${c_ms[@]}" | spread 1)"
    echo "    wake-ups a s   $(printf '%s\n' "${c_wake[@]}" | spread 1)"
    echo
    i_median=$(printf '%s\n' "${i_ms[@]}" | median)
    iw_median=$(printf '%s\n' "${i_wake[@]}" | median)
    echo "Idle, nothing open (over 10 s)"
    echo "  CPU, ms          $(printf '%s\n' "${i_ms[@]}" | spread 1)   target <= 10   $(verdict "$i_median" "<=" 10)"
    echo "  wake-ups a s     $(printf '%s\n' "${i_wake[@]}" | spread 1)   target <= 2.5   $(verdict "$iw_median" "<=" 2.5)"
    echo "  by thread, median run: $(median_split "$work/split.idle" "${i_ms[@]}")"
    echo
fi

# --- start-up with 100,000 entries ---------------------------------------------
# The time the window is mapped comes from the server itself: xev listens for
# windows mapped on the root, and the line arrives as it happens.
startup() {  # startup DIR: seconds from exec to the window mapped
    local dir=$1 t0 t1="" line
    exec {xev_out}< <(exec stdbuf -oL xev -root -event substructure -event property)
    xev_pid=$!
    # xev listens once a property change on the root comes back through it.
    local tries=0
    until [ -n "${line:-}" ]; do
        tries=$((tries + 1))
        [ "$tries" -le 30 ] || { echo "xev did not start listening" >&2; return 1; }
        xprop -root -f KELTO_BENCH 8s -set KELTO_BENCH "$RANDOM" || return 1
        read -r -t 2 -u "$xev_out" line || line=""
        [[ $line == PropertyNotify* ]] || line=""
    done
    t0=$EPOCHREALTIME
    (cd "$dir" && exec "$player" >"$dir/out" 2>"$dir/err") &
    player_pid=$!
    while read -r -t 60 -u "$xev_out" line; do
        if [[ $line == MapNotify* ]]; then
            t1=$EPOCHREALTIME
            break
        fi
    done
    kill "$xev_pid" 2>/dev/null || true
    exec {xev_out}<&-
    [ -n "$t1" ] || { echo "the player's window was not mapped" >&2; cat "$dir/err" >&2; exit 1; }
    stop_player
    awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.3f", b - a }'
}
if want startup; then
    big=$work/big
    empty=$work/empty
    mkdir -p "$big" "$empty"
    awk 'BEGIN { for (i = 0; i < 100000; i++) printf "Track %06d - Sample Song Title.mp3\r\n", i }' >"$big/pl1.txt"
    awk 'BEGIN { for (i = 0; i < 100000; i++)
        printf "/home/listener/Music/Artist %03d/Album %04d/Track %06d - Sample Song Title.mp3\r\n", i / 1000, i / 10, i }' \
        >"$big/pl2.txt"
    : >"$empty/pl1.txt"
    : >"$empty/pl2.txt"
    s_big=() s_empty=()
    for i in $(seq "$runs"); do
        progress "Start-up, run $i of $runs ..."
        retry "$work/r" startup "$empty"
        s_empty+=("$(cat "$work/r")")
        retry "$work/r" startup "$big"
        s_big+=("$(cat "$work/r")")
    done
    progress ""
    big_median=$(printf '%s\n' "${s_big[@]}" | median)
    echo "Start-up to a shown window (s; exec -> the server maps the window)"
    echo "  100,000 entries  $(printf '%s\n' "${s_big[@]}" | spread 3)   target < 0.5   $(verdict "$big_median" "<" 0.5)"
    echo "  empty playlist   $(printf '%s\n' "${s_empty[@]}" | spread 3)   (for comparison)"
    echo
fi

# --- load plus save of 100,000 entries ------------------------------------------
if want playlist; then
    "$playlist_bench" --benchmark_filter='BM_PlaylistLoadAndSave/100000$' \
        --benchmark_repetitions="$runs" --benchmark_format=csv 2>/dev/null >"$work/ls.csv"
    ls_values=$(awk -F, '$1 == "\"BM_PlaylistLoadAndSave/100000\"" { print $3 / 1000 }' "$work/ls.csv")
    ls_median=$(printf '%s\n' "$ls_values" | median)
    echo "Load plus save of both playlist files, 100,000 entries (s; wall time, atomic saves flushed to disk)"
    echo "  playlist code    $(printf '%s\n' "$ls_values" | spread 3)   target < 0.2   $(verdict "$ls_median" "<" 0.2)"
    echo
fi

# --- MIDI --------------------------------------------------------------------
if want midi; then
    soundfont=""
    for sf in /usr/share/sounds/sf2/default-GM.sf2 /usr/share/sounds/sf2/TimGM6mb.sf2 \
        /usr/share/sounds/sf2/FluidR3_GM.sf2; do
        [ -e "$sf" ] && { soundfont=$sf; break; }
    done
    m_mid=() m_mp3=() r_mid=() r_mp3=()
    for i in $(seq "$runs"); do
        progress "MIDI, run $i of $runs ..."
        retry "$work/r" play_in_player "$samples/kelto-tune.mid" 5.3
        . "$work/r"
        m_mid+=("$run_hwm")
        retry "$work/r" reference_run "$samples/kelto-tune.mid"
        . "$work/r"
        r_mid+=("$ref_hwm")
        retry "$work/r" play_in_player "$samples/kelto-melody.mp3" 5.3
        . "$work/r"
        m_mp3+=("$run_hwm")
        retry "$work/r" reference_run "$samples/kelto-melody.mp3"
        . "$work/r"
        r_mp3+=("$ref_hwm")
    done
    progress ""
    mid_mib=$(printf '%s\n' "${m_mid[@]}" | median | awk '{ printf "%.1f", $1 / 1024 }')
    mp3_mib=$(printf '%s\n' "${m_mp3[@]}" | median | awk '{ printf "%.1f", $1 / 1024 }')
    sf_mib=$( [ -n "$soundfont" ] && stat -L -c %s "$soundfont" | awk '{ printf "%.1f", $1 / 1048576 }' || echo 0)
    midi_cost=$(awk -v a="$mid_mib" -v b="$mp3_mib" 'BEGIN { printf "%.1f", a - b }')
    echo "Peak memory (VmHWM) playing the 5 s MIDI sample (MiB)"
    echo "  player, MIDI     $(printf '%s\n' "${m_mid[@]}" | awk '{ print $1 / 1024 }' | spread 1)"
    echo "  player, MP3      $(printf '%s\n' "${m_mp3[@]}" | awk '{ print $1 / 1024 }' | spread 1)   (same length, no synthesiser)"
    echo "  gst-launch, MIDI $(printf '%s\n' "${r_mid[@]}" | awk '{ print $1 / 1024 }' | spread 1)"
    echo "  gst-launch, MP3  $(printf '%s\n' "${r_mp3[@]}" | awk '{ print $1 / 1024 }' | spread 1)"
    echo "  MIDI - MP3 in the player (medians) $midi_cost MiB; soundfont ${soundfont:-none} is $sf_mib MiB" \
        "  $(verdict "$midi_cost" "<=" "$(awk -v s="$sf_mib" 'BEGIN { print s + 5 }')") (target: soundfont + 5 MiB)"
fi
