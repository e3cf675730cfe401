#!/usr/bin/env bash
# Builds Velmora (Release) and starts it on the bundled sample workspace.
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES=(cmake ninja-build g++ bison)
missing=()
for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    SUDO=""
    [ "$(id -u)" -ne 0 ] && SUDO="sudo"
    $SUDO apt-get update
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi

BUILD=build/release
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMORA_TESTS=OFF >/dev/null
cmake --build "$BUILD"
CLI="$BUILD/src/cli/velmora-cli"
PROFILE="$PWD/build/sample-profile"
SAMPLE="$PWD/build/sample-workspace"
if [ ! -f "$SAMPLE/tarvik.workspace" ]; then
    "$CLI" --profile "$PROFILE" sample-workspace "$SAMPLE"
fi
"$CLI" --profile "$PROFILE" --workspace "$SAMPLE" info
"$CLI" --profile "$PROFILE" --workspace "$SAMPLE" list
