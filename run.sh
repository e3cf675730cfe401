#!/usr/bin/env bash
# Builds Velmora (Release) and starts it on the bundled sample workspace.
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES=(cmake ninja-build g++ bison qt6-base-dev qt6-declarative-dev qt6-webengine-dev qt6-svg-dev fonts-liberation fonts-dejavu-core)
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
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMORA_TESTS=OFF -DVELMORA_GUI=ON >/dev/null
cmake --build "$BUILD"
CLI="$BUILD/src/cli/velmora-cli"
PROFILE="$PWD/build/sample-profile"
SAMPLE="$PWD/build/sample-workspace"
QUOTES="$PWD/build/sample-quotes"
# The profile gets the shipped import definitions when it lacks them.
mkdir -p "$PROFILE"
for f in resources/profile/*; do
    [ -e "$PROFILE/$(basename "$f")" ] || cp "$f" "$PROFILE/"
done
if [ ! -f "$SAMPLE/tarvik.workspace" ]; then
    # The sample securities are written without quotations, their quotations as daily text
    # export files, which are then imported and the composites computed, as a user would.
    rm -rf "$QUOTES"
    "$CLI" --profile "$PROFILE" sample-workspace "$SAMPLE" --ascii-dir "$QUOTES"
    "$CLI" --profile "$PROFILE" --workspace "$SAMPLE" import ascii "$QUOTES"/*.txt \
        --format ticker-daily.format
    "$CLI" --profile "$PROFILE" --workspace "$SAMPLE" composites --all --volume --copy-volume \
        --adv-dec
fi
"$CLI" --profile "$PROFILE" --workspace "$SAMPLE" info
"$CLI" --profile "$PROFILE" --workspace "$SAMPLE" list
# A chart of one sample stock; the command prints the path of the PNG.
"$CLI" --profile "$PROFILE" --workspace "$SAMPLE" chart ALDORA --out "$PWD/build/sample-chart.png"
# The desktop program on the sample workspace, when there is a display to show it on.
GUI="$PWD/$BUILD/src/gui/velmora"
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    "$GUI" --profile "$PROFILE" --workspace "$SAMPLE"
else
    # Without a display the program starts on the off-screen platform and saves a picture of
    # its main window instead.
    # Two chart windows side by side: the first stock and BOREAL.
    QT_QPA_PLATFORM=offscreen "$GUI" --profile "$PROFILE" --workspace "$SAMPLE" --open BOREAL \
        --screenshot "$PWD/build/sample-desktop.png" 2>/dev/null
    echo "The desktop program needs a display; start it with: $GUI --profile $PROFILE --workspace $SAMPLE"
fi
