#!/usr/bin/env bash
# Renders the PNG sizes of the icon from panelix.svg (needs rsvg-convert, Debian librsvg2-bin).
# The PNGs are kept in the repository so that building needs no SVG renderer.
set -euo pipefail
cd "$(dirname "$0")"
for size in 16 24 32 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" panelix.svg -o "panelix-$size.png"
done
