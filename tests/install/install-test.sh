#!/usr/bin/env bash
# Installs the build into a temporary prefix, moves the prefix somewhere else, and runs the
# installed velmora-cli from a folder outside the source tree with an empty HOME: the version,
# a sample workspace and its list, and the shipped import formats in the new profile.
# usage: install-test.sh BUILD_DIR VERSION
set -euo pipefail
build=$1
version=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

fail() {
    echo "install-test: $*" >&2
    exit 1
}

cmake --install "$build" --prefix "$tmp/first" >/dev/null
# A file that only the installation has: a profile seeded from the source tree would lack it.
echo '$FORMAT Ticker,Date,Close' >"$tmp/first/share/velmora/profile/installed-only.format"
mv "$tmp/first" "$tmp/moved"
prefix=$tmp/moved
mkdir -p "$tmp/home" "$tmp/run"
cd "$tmp/run"
# Nothing of the caller's environment but the sanitizers' options.
run() {
    env -i HOME="$tmp/home" PATH=/usr/bin:/bin ${ASAN_OPTIONS:+ASAN_OPTIONS=$ASAN_OPTIONS} \
        ${UBSAN_OPTIONS:+UBSAN_OPTIONS=$UBSAN_OPTIONS} "$@"
}

[ "$(run "$prefix/bin/velmora-cli" --version)" = "velmora-cli $version" ] ||
    fail "velmora-cli --version is not 'velmora-cli $version'"
if [ -x "$prefix/bin/velmora" ]; then
    [ "$(run "$prefix/bin/velmora" --version)" = "velmora $version" ] ||
        fail "velmora --version is not 'velmora $version'"
fi

run "$prefix/bin/velmora-cli" sample-workspace ws >/dev/null
run "$prefix/bin/velmora-cli" --workspace ws list >list.txt
[ "$(wc -l <list.txt)" -eq 39 ] || fail "the sample workspace lists $(wc -l <list.txt) stocks, not 39"

profile=$tmp/home/.config/velmora
for f in "$prefix"/share/velmora/profile/*; do
    cmp -s "$f" "$profile/$(basename "$f")" || fail "the new profile lacks $(basename "$f")"
done
echo "install-test: the installation in $prefix runs"
