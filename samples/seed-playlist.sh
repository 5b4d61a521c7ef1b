#!/bin/sh
# Usage: seed-playlist.sh SAMPLE_DIR [PLAYLIST_DIR]
#
# Gives a first run something to play: when PLAYLIST_DIR (default: the
# current directory) holds neither pl1.txt nor pl2.txt, writes a playlist of
# the clips in SAMPLE_DIR there, titles in pl1.txt and absolute paths in
# pl2.txt, one a line, each line ended by CR LF, as the player writes them.
# An existing playlist file is never touched. Always exits 0 unless called
# wrongly: a player without a seeded playlist still starts.
set -eu

if [ $# -lt 1 ] || [ $# -gt 2 ]; then
    echo "usage: $0 SAMPLE_DIR [PLAYLIST_DIR]" >&2
    exit 2
fi
target=${2:-.}

if [ -e "$target/pl1.txt" ] || [ -e "$target/pl2.txt" ] ||
    [ -L "$target/pl1.txt" ] || [ -L "$target/pl2.txt" ]; then
    exit 0
fi
if ! samples=$(cd "$1" 2>/dev/null && pwd -P); then
    echo "No sample clips at $1; starting with an empty playlist." >&2
    exit 0
fi

cr=$(printf '\r')
# Created afresh (never over an existing name) with the user's usual permissions.
tmp1="$target/.pl1.txt.seed$$"
tmp2="$target/.pl2.txt.seed$$"
if ! (set -C && : >"$tmp1") 2>/dev/null; then
    echo "Cannot write a playlist into $target; starting with an empty playlist." >&2
    exit 0
fi
if ! (set -C && : >"$tmp2") 2>/dev/null; then
    rm -f "$tmp1"
    echo "Cannot write a playlist into $target; starting with an empty playlist." >&2
    exit 0
fi
trap 'rm -f "$tmp1" "$tmp2"' EXIT

count=0
for clip in "$samples"/*.mpg "$samples"/*.mp3 "$samples"/*.mid; do
    if [ ! -f "$clip" ] || [ ! -s "$clip" ]; then continue; fi
    if ! printf '%s%s\n' "${clip##*/}" "$cr" >>"$tmp1" ||
        ! printf '%s%s\n' "$clip" "$cr" >>"$tmp2"; then
        echo "Cannot write a playlist into $target; starting with an empty playlist." >&2
        exit 0
    fi
    count=$((count + 1))
done
if [ "$count" -eq 0 ]; then
    echo "No sample clips in $samples; starting with an empty playlist." >&2
    exit 0
fi

# Hard links never replace an existing name, so a playlist that appeared
# meanwhile stays as it is, and each file appears only when complete.
if ! ln "$tmp1" "$target/pl1.txt" 2>/dev/null; then
    exit 0
fi
if ! ln "$tmp2" "$target/pl2.txt" 2>/dev/null; then
    rm -f "$target/pl1.txt"
    exit 0
fi
echo "Seeded a playlist of $count sample clips in $(cd "$target" && pwd) (pl1.txt, pl2.txt)."
