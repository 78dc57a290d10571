#!/usr/bin/env bash
# Renders the PNG sizes of the icons from their SVG drawings into
# dist/icons/<size>/ (needs rsvg-convert, Debian librsvg2-bin). Run after
# changing a drawing and commit the PNGs with it.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
for size in 16 24 32 48 64 128 256; do
    mkdir -p "$here/$size"
    for icon in quillon quillon-pocket; do
        rsvg-convert -w "$size" -h "$size" "$here/$icon.svg" -o "$here/$size/$icon.png"
    done
done
