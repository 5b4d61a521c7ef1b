#!/bin/sh
# Installs whatever Debian packages of a list (default tools/packages.txt;
# tools/bench-packages.txt for the benchmark) are missing.
# Runs apt-get update only when something has to be installed.
# Usage: tools/install-deps.sh [LIST]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
list=${1:-$here/packages.txt}

pkgs=$(grep -v '^[[:space:]]*#' "$list" | grep -v '^[[:space:]]*$')
missing=""
for p in $pkgs; do
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    case "$status" in
        *"install ok installed"*) ;;
        *) missing="$missing $p" ;;
    esac
done

if [ -z "$missing" ]; then
    echo "All required packages are installed."
    exit 0
fi

if [ "$(id -u)" -eq 0 ]; then
    SUDO=""
elif command -v sudo >/dev/null 2>&1; then
    SUDO="sudo"
else
    echo "These packages are missing and I am not root (and there is no sudo):$missing" >&2
    exit 1
fi

echo "Installing:$missing"
export DEBIAN_FRONTEND=noninteractive
# A CI machine is thrown away after its run: dpkg need not sync every file it
# unpacks, which is most of the time of a few hundred packages.
dpkg_opts=""
[ "${KELTO_CI:-0}" = 1 ] && dpkg_opts="-o Dpkg::Options::=--force-unsafe-io"
$SUDO apt-get update
# shellcheck disable=SC2086
$SUDO apt-get install -y --no-install-recommends $dpkg_opts $missing
