#!/bin/sh
# Usage: check-install.sh BUILD_DIR VERSION
# Installs the build into a fresh prefix and checks that a desktop finds
# everything where it looks: both programs, runnable from there, the menu
# entry (valid, naming the installed program and icon, opening the player's
# media types), the software centre's description, the manual pages and the
# icon itself. VERSION is the one CMake holds; both programs must print it.
set -u
build=$1
version=$2
prefix=$(mktemp -d "${TMPDIR:-/tmp}/kelto-install-test.XXXXXX")
trap 'rm -rf "$prefix"' EXIT
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

if ! cmake --install "$build" --prefix "$prefix" >"$prefix.log" 2>&1; then
    cat "$prefix.log"
    rm -f "$prefix.log"
    echo "FAIL: cmake --install"
    exit 1
fi
rm -f "$prefix.log"

for program in kelto-player mcisend; do
    [ -x "$prefix/bin/$program" ] || fail "$prefix/bin/$program is not an installed program"
done
# Runnable from the prefix, without the build tree.
for program in kelto-player mcisend; do
    answer=$("$prefix/bin/$program" --version 2>/dev/null)
    [ "$answer" = "$program $version" ] ||
        fail "installed $program --version said \"$answer\", not \"$program $version\""
    "$prefix/bin/$program" --help 2>&1 | grep -q "^Usage: $program " ||
        fail "installed $program --help shows no usage"
done
answer=$(echo "status nothing mode" | "$prefix/bin/mcisend" 2>/dev/null)
case "$answer" in
    [1-9]*"	"*) ;;
    *) fail "installed mcisend gave \"$answer\" for a command on no device" ;;
esac

desktop="$prefix/share/applications/kelto-player.desktop"
if [ ! -f "$desktop" ]; then
    fail "no menu entry at $desktop"
else
    if command -v desktop-file-validate >/dev/null 2>&1; then
        report=$(desktop-file-validate "$desktop" 2>&1) || fail "menu entry is invalid: $report"
        [ -z "$report" ] || fail "menu entry draws remarks: $report"
    fi
    for line in "[Desktop Entry]" "Type=Application" "Name=Kelto Player" "Exec=kelto-player %F" \
        "Icon=kelto-player" "Categories=AudioVideo;Audio;Video;Player;"; do
        grep -qxF "$line" "$desktop" || fail "menu entry lacks the line $line"
    done
    # A file manager offers the player for these files only if it says so.
    for type in audio/mpeg audio/mp2 audio/x-wav audio/midi video/mpeg video/x-msvideo \
        video/mp4 audio/mp4 video/x-matroska video/webm audio/ogg audio/x-opus+ogg audio/flac; do
        grep -q "^MimeType=.*$type;" "$desktop" || fail "menu entry does not open $type"
    done
fi

metainfo="$prefix/share/metainfo/org.kelto.player.metainfo.xml"
if [ ! -f "$metainfo" ]; then
    fail "no software centre description at $metainfo"
else
    report=$(appstreamcli validate --no-net "$metainfo" 2>&1) ||
        fail "software centre description is invalid: $report"
    grep -q "<launchable type=\"desktop-id\">kelto-player.desktop</launchable>" "$metainfo" ||
        fail "software centre description does not name the menu entry"
    # The same kinds as the menu entry, for both are made from one list.
    described=$(sed -n 's|^ *<mediatype>\(.*\)</mediatype>$|\1|p' "$metainfo" | sort | tr '\n' ';')
    offered=$(sed -n 's|^MimeType=||p' "$desktop" | tr ';' '\n' | sed '/^$/d' | sort | tr '\n' ';')
    if [ -z "$described" ] || [ "$described" != "$offered" ]; then
        fail "software centre describes the kinds \"$described\", the menu entry \"$offered\""
    fi
fi

for page in kelto-player mcisend; do
    man_page="$prefix/share/man/man1/$page.1.gz"
    if [ ! -f "$man_page" ]; then
        fail "no manual page at $man_page"
        continue
    fi
    # man itself, with its warnings on: what a reader would see, and no
    # complaint from the formatter on the way.
    shown=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$man_page" 2>&1 >/dev/null)
    [ -z "$shown" ] || fail "manual page $page draws remarks: $shown"
    LC_ALL=C.UTF-8 MANWIDTH=80 man -E UTF-8 -l "$man_page" 2>/dev/null | grep -q "^NAME" ||
        fail "manual page $page does not render"
done

doc="$prefix/share/doc/kelto-player"
for file in copyright changelog.gz; do
    [ -s "$doc/$file" ] || fail "no $doc/$file"
done
gzip -t "$doc/changelog.gz" 2>/dev/null || fail "changelog.gz is not gzip"

icon="$prefix/share/icons/hicolor/32x32/apps/kelto-player.png"
if [ ! -f "$icon" ]; then
    fail "no icon at $icon"
else
    # PNG signature, then the header chunk's width and height, both 32.
    signature=$(od -An -tx1 -N8 "$icon" | tr -d ' \n')
    size=$(od -An -tx1 -j16 -N8 "$icon" | tr -d ' \n')
    [ "$signature" = 89504e470d0a1a0a ] || fail "icon is not a PNG"
    [ "$size" = 0000002000000020 ] || fail "icon is not 32 x 32 (header $size)"
fi

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "install into a fresh prefix: every file in place"
