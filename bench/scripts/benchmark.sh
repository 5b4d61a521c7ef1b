#!/bin/bash
# Usage: bench/scripts/benchmark.sh [RUNS]      (tools/benchmark.sh builds first)
#
# Side by side, in one run, on the same clip and the same sinks: the player
# (build/bin/kelto-player, driven with the mouse as a user would) against
# gst-launch-1.0 playbin. Prints each figure as min / median / max of RUNS
# runs (default 5) and the ratio of the medians against its target. Starts
# its own Xvfb; needs no sound card. KELTO_BUILD_DIR picks the build folder.
set -euo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
build=${KELTO_BUILD_DIR:-$root/build}
runs=${1:-5}
player=$build/bin/kelto-player
playlist_bench=$build/bin/playlist_bench
samples=$build/samples
title='^Kelto Player 1\.0$'

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

for f in "$player" "$playlist_bench" "$samples/kelto-tune.mid" "$samples/kelto-melody.mp3"; do
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

# --- small helpers -------------------------------------------------------------
hz=$(getconf CLK_TCK)

# utime + stime of a live process, in clock ticks.
cpu_ticks() { awk '{ sub(/^.*\) /, ""); print $12 + $13 }' "/proc/$1/stat"; }
# Peak resident memory of a live process, KiB.
hwm_kib() { awk '/^VmHWM:/ { print $2 }' "/proc/$1/status"; }

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

# Progress on a terminal only, so that a saved report holds just the figures.
progress() { if [ -t 2 ]; then printf '\r%-60s\r' "$*" >&2; fi; }

wait_for() {  # wait_for SECONDS COMMAND...: true once COMMAND succeeds
    local deadline=$((SECONDS + $1))
    shift
    until "$@" >/dev/null 2>&1; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.05
    done
}

# --- a display of our own ------------------------------------------------------
display=""
for n in $(seq 77 120); do
    if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then
        display=:$n
        break
    fi
done
[ -n "$display" ] || { echo "no free X display number between :77 and :120" >&2; exit 1; }
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
export DISPLAY=$display
unset WAYLAND_DISPLAY
export QT_QPA_PLATFORM=xcb
wait_for 10 xdpyinfo || { echo "Xvfb did not start" >&2; cat "$work/xvfb.log" >&2; exit 1; }

# --- the clip --------------------------------------------------------------------
clip=$work/clip-720x576.mpg
queue="queue max-size-buffers=0 max-size-bytes=0 max-size-time=0"
echo "Making a 10 s 720x576 MPEG-2 program stream with picture and sound..."
# shellcheck disable=SC2086
gst-launch-1.0 -q videotestsrc pattern=smpte num-buffers=250 \
    ! video/x-raw,format=I420,width=720,height=576,framerate=25/1 \
    ! timeoverlay font-desc="Sans 36" ! mpeg2enc format=3 ! $queue ! mux. \
    audiotestsrc wave=sine freq=440 num-buffers=1000 samplesperbuffer=480 \
    ! audio/x-raw,rate=48000,channels=2 ! avenc_mp2 ! $queue \
    ! mplex format=8 name=mux ! filesink location="$clip" >/dev/null

# The service draws with XVideo when the display has an adaptor, else with
# plain X images; the reference pipeline gets the same.
if gst-launch-1.0 -q videotestsrc num-buffers=1 ! xvimagesink >/dev/null 2>&1; then
    vsink=xvimagesink
else
    vsink=ximagesink
fi
# The service's playbin, sinks and filter, as gst-launch-1.0 arguments.
reference_for() {  # reference_for FILE: sets the array "reference"
    reference=(gst-launch-1.0 -q playbin "uri=file://$1"
        "video-sink=videoconvert ! videoscale ! $vsink"
        "audio-sink=fakesink sync=true" "audio-filter=scaletempo")
}

# --- the player, driven with the mouse -------------------------------------------
player_pid=""
start_player() {  # start_player DIR [ENV...]: starts it there, waits for its window
    local dir=$1
    shift
    (cd "$dir" && exec env "$@" "$player" >"$dir/out" 2>"$dir/err") &
    player_pid=$!
    window=$(timeout 20 xdotool search --sync --onlyvisible --name "$title" | head -1)
    [ -n "$window" ] || { echo "the player's window did not appear" >&2; cat "$dir/err" >&2; exit 1; }
}
stop_player() {
    kill "$player_pid" 2>/dev/null || true
    wait "$player_pid" 2>/dev/null || true
    # Its window gone, so that the next search finds the next player.
    wait_for 10 sh -c "! xdotool search --onlyvisible --name '$title'" || true
}
one_entry_playlist() {  # one_entry_playlist DIR FILE
    printf '%s\r\n' "$(basename "$2")" >"$1/pl1.txt"
    printf '%s\r\n' "$2" >"$1/pl2.txt"
}
# first_frame_ms TRACE N: ms from the Nth open request to the Nth first picture.
first_frame_ms() {
    awk -v n="$2" '$1 == "open-request" && ++o == n { open = $2 }
        $1 == "first-frame" && ++f == n { if (open != "") printf "%.1f", ($2 - open) / 1000; exit }' "$1"
}

# Plays FILE for SECONDS from a double-click on the first entry. Sets
# run_cpu (CPU seconds from the click to the end), run_hwm (KiB) and
# run_ff (ms from the open request to the first picture, empty without one)
# and run_ff2 (the same for a second double-click on the entry afterwards).
play_in_player() {
    local file=$1 seconds=$2 dir c0 c1
    dir=$(mktemp -d "$work/player.XXXXXX")
    one_entry_playlist "$dir" "$file"
    start_player "$dir" KELTO_MCI_TRACE=1
    sleep 1  # start-up settles first; only playing is counted
    c0=$(cpu_ticks "$player_pid")
    xdotool mousemove --window "$window" 20 137 click --repeat 2 --delay 80 1
    wait_for 10 grep -q '^play-request ' "$dir/err" || {
        echo "the double-click did not start playback" >&2
        cat "$dir/err" >&2
        exit 1
    }
    sleep "$seconds"
    c1=$(cpu_ticks "$player_pid")
    run_hwm=$(hwm_kib "$player_pid")
    run_cpu=$(awk -v a="$c0" -v b="$c1" -v hz="$hz" 'BEGIN { printf "%.2f", (b - a) / hz }')
    run_ff=$(first_frame_ms "$dir/err" 1)
    run_ff2=""
    if [ -n "$run_ff" ]; then
        # The same entry again: a file opened after the first one.
        xdotool mousemove --window "$window" 20 137 click --repeat 2 --delay 80 1
        if wait_for 10 sh -c "[ \$(grep -c '^first-frame ' '$dir/err') -ge 2 ]"; then
            run_ff2=$(first_frame_ms "$dir/err" 2)
        fi
    fi
    stop_player
}

# Whole run of the reference pipeline: CPU seconds and peak KiB.
reference_run() {  # reference_run URI-FILE
    local out=$work/time.out
    reference_for "$1"
    /usr/bin/time -f '%U %S %M' -o "$out" "${reference[@]}" >/dev/null 2>&1
    ref_cpu=$(awk '{ printf "%.2f", $1 + $2 }' "$out")
    ref_hwm=$(awk '{ print $3 }' "$out")
}

# Reference time to the first picture: GStreamer's own log, from the first
# element made to the video sink taking its first buffer (which it draws at
# once, as prerolled), the same span the service's marks cover.
reference_first_frame() {  # reference_first_frame FILE: ms
    local log=$work/gst.log
    reference_for "$1"
    GST_DEBUG="GST_ELEMENT_FACTORY:4,basesink:5" GST_DEBUG_NO_COLOR=1 GST_DEBUG_FILE="$log" \
        timeout 3 "${reference[@]}" >/dev/null 2>&1 || true
    awk -v sink="<${vsink}0>" '
        function ms(t,  p) { split(t, p, ":"); return (p[1] * 3600 + p[2] * 60 + p[3]) * 1000 }
        /creating element/ && start == "" { start = ms($1) }
        index($0, "gst_base_sink_do_preroll:" sink " prerolling") { printf "%.1f", ms($1) - start; exit }
    ' "$log"
}

echo "Machine: $(nproc) cores, $(awk '/MemTotal/ { printf "%.0f GiB", $2 / 1048576 }' /proc/meminfo);" \
    "display $display (Xvfb), video sink $vsink, no sound card: audio to a real-time fakesink."
echo "$runs runs of each; figures are min / median / max."
echo

# --- 1 and 2: CPU, first picture, memory on the MPEG-2 clip -----------------------
p_cpu=() p_ff=() p_ff2=() p_hwm=() r_cpu=() r_ff=() r_hwm=()
for i in $(seq "$runs"); do
    progress "MPEG-2 clip, run $i of $runs ..."
    play_in_player "$clip" 10.3
    p_cpu+=("$run_cpu") p_ff+=("$run_ff") p_ff2+=("$run_ff2") p_hwm+=("$run_hwm")
    reference_run "$clip"
    r_cpu+=("$ref_cpu") r_hwm+=("$ref_hwm")
    r_ff+=("$(reference_first_frame "$clip")")
done
progress ""

cpu_ratio=$(ratio "$(printf '%s\n' "${p_cpu[@]}" | median)" "$(printf '%s\n' "${r_cpu[@]}" | median)")
echo "CPU time playing the 10 s 720x576 MPEG-2 clip (s; player: double-click to end, gst-launch: whole run)"
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

# --- 3: start-up with 100,000 entries ---------------------------------------------
startup() {  # startup DIR: seconds from exec to the window mapped
    local dir=$1 t0 t1
    t0=$EPOCHREALTIME
    (cd "$dir" && exec "$player" >"$dir/out" 2>"$dir/err") &
    player_pid=$!
    until xdotool search --onlyvisible --name "$title" >/dev/null 2>&1; do
        sleep 0.005
        kill -0 "$player_pid" 2>/dev/null || { echo "the player ended" >&2; cat "$dir/err" >&2; exit 1; }
    done
    t1=$EPOCHREALTIME
    stop_player
    awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.3f", b - a }'
}
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
    s_empty+=("$(startup "$empty")")
    s_big+=("$(startup "$big")")
done
progress ""
big_median=$(printf '%s\n' "${s_big[@]}" | median)
echo "Start-up to a shown window (s; exec -> window mapped, polled every 5 ms)"
echo "  100,000 entries  $(printf '%s\n' "${s_big[@]}" | spread 3)   target < 0.5   $(verdict "$big_median" "<" 0.5)"
echo "  empty playlist   $(printf '%s\n' "${s_empty[@]}" | spread 3)   (for comparison)"
echo

# --- 4: load plus save of 100,000 entries ------------------------------------------
"$playlist_bench" --benchmark_filter='BM_PlaylistLoadAndSave/100000$' \
    --benchmark_repetitions="$runs" --benchmark_format=csv 2>/dev/null >"$work/ls.csv"
ls_values=$(awk -F, '$1 == "\"BM_PlaylistLoadAndSave/100000\"" { print $3 / 1000 }' "$work/ls.csv")
ls_median=$(printf '%s\n' "$ls_values" | median)
echo "Load plus save of both playlist files, 100,000 entries (s; wall time, atomic saves flushed to disk)"
echo "  playlist code    $(printf '%s\n' "$ls_values" | spread 3)   target < 0.2   $(verdict "$ls_median" "<" 0.2)"
echo

# --- 5: MIDI --------------------------------------------------------------------
soundfont=""
for sf in /usr/share/sounds/sf2/default-GM.sf2 /usr/share/sounds/sf2/TimGM6mb.sf2 \
    /usr/share/sounds/sf2/FluidR3_GM.sf2; do
    [ -e "$sf" ] && { soundfont=$sf; break; }
done
m_mid=() m_mp3=() r_mid=() r_mp3=()
for i in $(seq "$runs"); do
    progress "MIDI, run $i of $runs ..."
    play_in_player "$samples/kelto-tune.mid" 5.3
    m_mid+=("$run_hwm")
    play_in_player "$samples/kelto-melody.mp3" 5.3
    m_mp3+=("$run_hwm")
    reference_run "$samples/kelto-tune.mid"
    r_mid+=("$ref_hwm")
    reference_run "$samples/kelto-melody.mp3"
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
