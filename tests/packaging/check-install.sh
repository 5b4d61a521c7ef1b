#!/bin/sh
# Usage: check-install.sh BUILD_DIR
# Installs the build into a fresh prefix and checks that a desktop finds
# everything where it looks: both programs, runnable from there, the menu
# entry (valid, naming the installed program and icon) and the icon itself.
set -u
build=$1
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
"$prefix/bin/kelto-player" --version 2>&1 | grep -q "^kelto-player [0-9]" ||
    fail "installed kelto-player --version does not answer"
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
    for line in "[Desktop Entry]" "Type=Application" "Name=Kelto Player" "Exec=kelto-player" \
        "Icon=kelto-player" "Categories=AudioVideo;Player;"; do
        grep -qxF "$line" "$desktop" || fail "menu entry lacks the line $line"
    done
fi

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
