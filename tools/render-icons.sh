#!/usr/bin/env bash
# Renders the application icon (packaging/icons/org.velmora.Velmora.svg) into the PNG sizes the
# installation ships (packaging/icons/SIZE/org.velmora.Velmora.png). Run after changing the SVG
# and commit the PNGs; needs rsvg-convert (Debian package librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")/../packaging/icons"
for size in 16 24 32 48 64 128 256; do
    mkdir -p "$size"
    rsvg-convert -w "$size" -h "$size" org.velmora.Velmora.svg -o "$size/org.velmora.Velmora.png"
done
