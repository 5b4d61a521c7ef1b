#!/bin/sh
# One command for a newcomer: install what is missing, build, start the player.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/install-deps.sh"
"$root/tools/build.sh"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "kelto-player is built ($root/build/bin/kelto-player), but there is no display to show it on" >&2
    echo "(neither DISPLAY nor WAYLAND_DISPLAY is set). Start it from a desktop session." >&2
    exit 2
fi
# A first start in a folder without a playlist gets one of the built sample clips.
if [ $# -eq 0 ]; then
    "$root/samples/seed-playlist.sh" "${KELTO_BUILD_DIR:-$root/build}/samples" || true
fi
exec "${KELTO_BUILD_DIR:-$root/build}/bin/kelto-player" "$@"
