#!/bin/sh
# Fails on an include that crosses an edge the layering does not allow.
# Every library's headers are reachable from the repository root, so the
# compiler cannot tell; this table can. It lists, for each folder, the folders
# whose headers its files may include (its own always). A folder missing from
# the table is an error: a new folder says here what it builds on, and links
# the same libraries in its CMakeLists.txt.
# Also: the command layer and the platform interfaces see neither Qt nor
# GStreamer, and the media service sees no Qt.
# Usage: tools/check-layering.sh (from anywhere); prints each fault, exits 1.
set -eu
# Word lists below hold "*" as a word, never a file pattern.
set -f
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

# Folders of headers: platform (no Qt) and platform/widgets (its Qt half) are
# separate layers.
allowed() {
    case $1 in
        platform) echo "platform" ;;
        platform/widgets) echo "platform platform/widgets" ;;
        mci) echo "platform" ;;
        mciservice) echo "platform" ;;
        mcisend) echo "mciservice platform" ;;
        ui) echo "platform platform/widgets" ;;
        player) echo "ui platform platform/widgets mci" ;;
        playlist) echo "ui platform platform/widgets mci" ;;
        status) echo "player ui platform platform/widgets mci" ;;
        desktop) echo "player playlist status ui platform platform/widgets mci" ;;
        app) echo "desktop player playlist status ui platform platform/widgets mci mciservice" ;;
        samples) echo "mciservice" ;;
        packaging) echo "ui" ;;
        fuzz) echo "mciservice platform" ;;
        bench) echo "mciservice mci playlist ui platform platform/widgets tests/support" ;;
        tests/support) echo "* tests/support" ;;
        tests/*) echo "* tests/support" ;;
        *) return 1 ;;
    esac
}

# The folder a file belongs to, as the table names it.
layer_of() {
    case $1 in
        platform/widgets/*) echo "platform/widgets" ;;
        tests/support/*) echo "tests/support" ;;
        tests/*) echo "tests/$(echo "$1" | cut -d/ -f2)" ;;
        *) echo "${1%%/*}" ;;
    esac
}

# The layer an include names: the longest folder prefix the table knows.
layer_of_include() {
    case $1 in
        */*) layer_of "$1" ;;
        *) echo "" ;;
    esac
}

faults=0
fault() {
    echo "layering: $1" >&2
    faults=$((faults + 1))
}

files=$(git ls-files '*.cpp' '*.h')
for file in $files; do
    layer=$(layer_of "$file")
    if ! may=$(allowed "$layer"); then
        fault "$file: folder $layer is not in tools/check-layering.sh"
        continue
    fi
    includes=$(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file")
    for include in $includes; do
        target=$(layer_of_include "$include")
        # A name without a folder is a file beside this one.
        [ -z "$target" ] && continue
        [ "$target" = "$layer" ] && continue
        ok=no
        for allowed_layer in $may; do
            case $allowed_layer in
                "*") case $target in tests/*) ;; *) ok=yes ;; esac ;;
                "$target") ok=yes ;;
            esac
        done
        [ "$ok" = yes ] || fault "$file includes $include: $layer does not build on $target"
    done
    case $layer in
        mci | platform)
            if grep -Eq '^[[:space:]]*#[[:space:]]*include[[:space:]]*<(Q|gst/|glib)' "$file"; then
                fault "$file: $layer sees neither Qt nor GStreamer"
            fi
            ;;
        mciservice)
            if grep -Eq '^[[:space:]]*#[[:space:]]*include[[:space:]]*<Q' "$file"; then
                fault "$file: the media service sees no Qt"
            fi
            ;;
    esac
done

if [ "$faults" -gt 0 ]; then
    echo "layering: $faults fault(s)" >&2
    exit 1
fi
echo "layering: every include keeps to the layers"
