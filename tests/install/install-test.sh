#!/usr/bin/env bash
# Installs the build into a temporary prefix, moves the prefix somewhere else, and runs the
# installed velmora-cli from a folder outside the source tree with an empty HOME: the version,
# a sample workspace and its list, and the shipped import formats in the new profile.
# With MAN_PAGES 1 the man pages must be there too. The desktop entry and the AppStream data
# are validated when desktop-file-validate and appstreamcli are installed.
# usage: install-test.sh BUILD_DIR VERSION MAN_PAGES
set -euo pipefail
build=$1
version=$2
man_pages=$3
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

# The files of the desktop, the manual and the shell.
id=org.velmora.Velmora
for f in share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
    share/mime/packages/$id.xml share/icons/hicolor/scalable/apps/$id.svg \
    share/icons/hicolor/48x48/apps/$id.png share/bash-completion/completions/velmora-cli \
    share/doc/velmora/manual/index.md share/doc/velmora/manual/functions.md; do
    [ -s "$prefix/$f" ] || fail "$f is not installed"
done
if [ "$man_pages" = 1 ]; then
    for page in velmora-cli velmora; do
        [ -x "$prefix/bin/$page" ] || continue
        zcat "$prefix/share/man/man1/$page.1.gz" | grep -q "^\.TH \"\?${page^^}" ||
            fail "share/man/man1/$page.1.gz is not the man page of $page"
    done
    zcat "$prefix/share/man/man1/velmora-cli.1.gz" | grep -q '^\.B sample\\-workspace$' ||
        fail "the man page of velmora-cli lacks its commands"
fi
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$prefix/share/applications/$id.desktop"
fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net --explain "$prefix/share/metainfo/$id.metainfo.xml" >/dev/null ||
        appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml"
fi
echo "install-test: the installation in $prefix runs"
