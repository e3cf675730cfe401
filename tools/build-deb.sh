#!/usr/bin/env bash
# Builds the Debian package of Velmora with CPack from a Release build (the build folder of
# ./run.sh, build/release, unless DEB_BUILD names another; DEB_BUILD_TYPE another build type)
# and shows what it holds.
#
#   tools/build-deb.sh         the package, velmora_VERSION_ARCH.deb in the build folder
#   tools/build-deb.sh --try   also installs it (dpkg -i, as root), starts both programs from
#                              /usr/bin on a sample workspace with an empty HOME, removes it
#                              again (dpkg --purge) and checks that none of its files is left
set -euo pipefail
cd "$(dirname "$0")/.."

PACKAGES=(cmake ninja-build g++ bison qt6-base-dev qt6-declarative-dev qt6-webengine-dev qt6-svg-dev fonts-dejavu-core help2man dpkg-dev file fakeroot)
missing=()
for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
if [ ${#missing[@]} -gt 0 ]; then
    $SUDO apt-get update
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi

BUILD=${DEB_BUILD:-build/release}
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE="${DEB_BUILD_TYPE:-Release}" -DVELMORA_TESTS=OFF -DVELMORA_GUI=ON >/dev/null
cmake --build "$BUILD"
rm -f "$BUILD"/velmora_*.deb
(cd "$BUILD" && cpack -G DEB)
deb=$(ls "$BUILD"/velmora_*.deb)
dpkg-deb --info "$deb"
dpkg-deb --contents "$deb"
if command -v lintian >/dev/null; then
    lintian "$deb" || true
fi
echo "package: $deb"
[ "${1:-}" = "--try" ] || exit 0

if dpkg-query -W -f='${Status}' velmora 2>/dev/null | grep -q "install ok installed"; then
    echo "build-deb: velmora is installed already; remove it first (dpkg -r velmora)" >&2
    exit 1
fi
$SUDO dpkg -i "$deb"
files=$(dpkg-query -L velmora)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$tmp/home"
(
    cd "$tmp"
    run() { env -i HOME="$tmp/home" PATH=/usr/bin:/bin "$@"; }
    run /usr/bin/velmora-cli --version
    run /usr/bin/velmora --version
    run /usr/bin/velmora-cli sample-workspace ws >/dev/null
    run /usr/bin/velmora-cli --workspace ws info
    ls "$tmp/home/.config/velmora"
    run QT_QPA_PLATFORM=offscreen /usr/bin/velmora --screenshot "$tmp/desktop.png" ws 2>/dev/null
    [ -s "$tmp/desktop.png" ]
    man -l /usr/share/man/man1/velmora-cli.1.gz 2>/dev/null | head -5 || true
)
$SUDO dpkg --purge velmora
left=0
while IFS= read -r f; do
    if [ -f "$f" ] || [ -L "$f" ]; then
        echo "left behind: $f" >&2
        left=1
    fi
done <<<"$files"
for d in /usr/share/velmora /usr/share/doc/velmora; do
    [ ! -e "$d" ] || { echo "left behind: $d" >&2; left=1; }
done
[ $left -eq 0 ] && echo "build-deb: installed, ran and removed without a trace"
exit $left
