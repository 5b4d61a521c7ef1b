#!/bin/sh
# Static checks, each of which fails the run:
#   every C++ file formatted as .clang-format has it;
#   every shell script through shellcheck;
#   clang-tidy with the committed .clang-tidy over the program's code and the
#   shared test support, file by file: a tree of its own (build-lint/, or
#   $KELTO_LINT_DIR) is configured without the unity build, whose compile
#   commands name only the combined files, and only its generated sources
#   (moc) are made.
#   With --all, over the test suites' own files too: about twice the time,
#   which CI does not spend on every run.
# Usage: tools/lint.sh [--all]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KELTO_LINT_DIR:-$root/build-lint}
cd "$root"
"$root/tools/install-deps.sh"

# shellcheck disable=SC2046 # file names from git, none with blanks
clang-format --dry-run --Werror $(git ls-files '*.cpp' '*.h')
echo "clang-format: every file as formatted"

# shellcheck disable=SC2046
shellcheck $(git ls-files '*.sh') .ci/run bench/scripts/*
echo "shellcheck: every script clean"

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_UNITY_BUILD=OFF -DCMAKE_GLOBAL_AUTOGEN_TARGET=ON >/dev/null
cmake --build "$build" --target autogen >/dev/null
# Generated sources (moc) live in the build folder and are not ours to check.
files="^$root/(?!build|tests/(?!support/))"
[ "${1:-}" = --all ] && files="^$root/(?!build)"
status=0
run-clang-tidy -p "$build" -j "$(nproc)" -quiet "$files" \
    >"$build/clang-tidy.log" 2>&1 || status=$?
if [ "$status" -ne 0 ] || grep -Eq "(warning|error):" "$build/clang-tidy.log"; then
    grep -E "(warning|error):" "$build/clang-tidy.log" | sort -u >&2
    echo "clang-tidy: findings above (whole log in $build/clang-tidy.log)" >&2
    exit 1
fi
echo "clang-tidy: no findings"
