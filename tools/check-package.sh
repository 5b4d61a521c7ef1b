#!/bin/sh
# Builds the Debian package, runs lintian on it, and proves it on a clean
# Debian 12 root made with mmdebstrap from this machine's own apt sources:
# apt installs the .deb there from nothing, then tools/check-package-root.sh
# checks both programs, headless playback, the window on Xvfb, the manual page
# and a clean purge (see that script). Prints how long it all took.
# Needs root (mmdebstrap makes the root, chroot enters it); CI runs as root.
# Usage: tools/check-package.sh
set -eu

# mmdebstrap calls this script back with the new root before the package goes
# in: the .debs apt is about to fetch for it that this machine's apt cache
# already holds are copied into the root's cache, so only the rest comes over
# the network. apt checks each against the root's own indices (a file that
# differs is fetched again), and resolves the Depends itself as before.
if [ "${1:-}" = --seed-apt-cache ]; then
    target=$2
    shift 2
    chroot "$target" apt-get install --print-uris -qq --no-install-recommends "$@" |
        sed -n "s/^'[^']*' \([^ ]*\) .*/\1/p" |
        while IFS= read -r file; do
            if [ -f "/var/cache/apt/archives/$file" ]; then
                cp "/var/cache/apt/archives/$file" "$target/var/cache/apt/archives/"
            fi
        done
    echo "apt cache: $(find "$target/var/cache/apt/archives" -name '*.deb' | wc -l) .debs from this machine"
    exit 0
fi

start=$(date +%s)
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KELTO_BUILD_DIR:-$root/build}
"$root/tools/install-deps.sh"
if [ ! -f "$build/CMakeCache.txt" ]; then
    "$root/tools/build.sh"
fi
cmake --build "$build" --parallel "$(nproc)" --target package

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
deb=kelto-player_${version}_$(dpkg --print-architecture).deb
[ -f "$build/$deb" ] || {
    echo "check-package: no $build/$deb after the package build" >&2
    exit 1
}
echo "== $deb"
dpkg-deb -f "$build/$deb" Package Version Section Priority Maintainer Depends

# lintian's errors and warnings both fail; what is accepted is overridden in
# the package with its reason (packaging/debian/kelto-player.lintian-overrides).
echo "== lintian"
lintian --fail-on error,warning --display-info "$build/$deb"
echo "lintian: no errors, no warnings"

# The root gets the same apt sources as this machine: there may be no other
# way out to a mirror.
sources=""
for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources; do
    [ -s "$file" ] && sources="$sources $file"
done
[ -n "$sources" ] || {
    echo "check-package: no apt sources in /etc/apt" >&2
    exit 1
}

# Everything the root needs from outside is copied into one folder there.
samples=$build/samples
for clip in kelto-test-pattern.mpg kelto-tune.mid; do
    [ -f "$samples/$clip" ] || {
        echo "check-package: no $samples/$clip (built with the rest)" >&2
        exit 1
    }
done
echo "== [$(($(date +%s) - start)) s] a clean Debian 12 root (mmdebstrap), and the package in it"
# dpkg need not sync every file of a root that is thrown away: the few
# hundred packages the Depends pull in unpack in a fraction of the time.
# shellcheck disable=SC2016,SC2086 # $1 is mmdebstrap's, in the hooks' own shell; the sources are words
mmdebstrap --variant=apt --quiet \
    --aptopt='Acquire::Check-Valid-Until "false"' --dpkgopt=force-unsafe-io \
    --customize-hook='mkdir -p "$1/tmp/kelto-check"' \
    --customize-hook="copy-in $build/$deb $samples/kelto-test-pattern.mpg $samples/kelto-tune.mid $root/tools/check-package-root.sh /tmp/kelto-check" \
    --customize-hook="sh $root/tools/check-package.sh --seed-apt-cache \"\$1\" /tmp/kelto-check/$deb" \
    --customize-hook="chroot \"\$1\" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root sh -c 'cd /tmp/kelto-check && sh check-package-root.sh $deb $version kelto-test-pattern.mpg kelto-tune.mid'" \
    bookworm /dev/null $sources
echo "== package check passed in $(($(date +%s) - start)) s"
