#!/usr/bin/env bash
# tools/run-tidy.sh BUILD_DIR [FILE...]: runs clang-tidy with the repository's .clang-tidy over
# every source file of src/ (or only the named ones), with the compile commands of BUILD_DIR.
# Every finding is an error; exit status 1 when there is any.
set -uo pipefail
cd "$(dirname "$0")/.."
BUILD=${1:?usage: tools/run-tidy.sh BUILD_DIR [FILE...]}
shift
[ -f "$BUILD/compile_commands.json" ] || { echo "no $BUILD/compile_commands.json"; exit 1; }
root=$(pwd)
if [ $# -gt 0 ]; then
    regex="^($(printf '%s|' "$@" | sed 's/|$//; s/\./\\./g' | sed "s#\([^|]*\)#$root/\1#g"))\$"
else
    regex="^$root/src/.*\.cpp\$"
fi
log=$(mktemp)
# GCC's own warning options mean nothing to clang: they are not findings.
run-clang-tidy -p "$BUILD" -j "$(nproc)" -quiet -extra-arg=-Wno-unknown-warning-option \
    "$regex" >"$log" 2>&1
status=$?
# Only the findings and the lines that show where they are.
sed 's/\x1b\[[0-9;]*m//g' "$log" | grep -E "^$root/.*(warning|error):" -A3 | grep -v "^--$" || true
if [ $status -ne 0 ]; then
    echo "clang-tidy: findings above (or a file that would not parse: $log)"
    exit 1
fi
rm -f "$log"
echo "clang-tidy: no findings"
