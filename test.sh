#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer and runs every test.
# Installs the Debian packages it needs when they are missing.
set -euo pipefail
cd "$(dirname "$0")"

# help2man writes the man pages; desktop-file-utils and appstream validate the installed desktop
# entry and AppStream data in the install test. qt6-webengine-dev gives the Profile pane its
# web view in the unsanitized builds (the developers' and the release build; this sanitized
# build uses the text browser); qt6-svg-dev brings the SVG icon engine that draws the toolbar
# images.
PACKAGES=(cmake ninja-build g++ libgtest-dev libgmock-dev bison clang clang-format clang-tidy libclang-rt-14-dev qt6-base-dev qt6-declarative-dev qt6-webengine-dev qt6-svg-dev fonts-liberation fonts-dejavu-core help2man desktop-file-utils appstream)

missing=()
for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    SUDO=""
    [ "$(id -u)" -ne 0 ] && SUDO="sudo"
    $SUDO apt-get update
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi

# The habits every source file keeps take seconds: check them before the long build.
tools/check-style.sh
tools/check-layers.sh

BUILD=build/debug-asan
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVELMORA_SANITIZE=ON -DVELMORA_TESTS=ON -DVELMORA_GUI=ON -DVELMORA_WERROR=ON
cmake --build "$BUILD"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir "$BUILD" --output-on-failure -j "$(nproc)"

# Bug-prone patterns, needless copies and functions too complex to follow, with the build's
# compile commands.
tools/run-tidy.sh "$BUILD"

# Every reader of outside data is fuzzed for a few seconds, so a regression shows here. The
# harnesses and every library they use are built with clang, warnings as errors, so the code
# stays clean under both compilers.
fuzz/run.sh 10
