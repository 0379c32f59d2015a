#!/usr/bin/env bash
# Builds the demo project headless with the panelix CLI and says what it wrote.
# Usage: examples/demo/build.sh PATH/TO/panelix [OUTPUT_DIR]
# Every bin is made from the sources in this folder by the tool that owns its kind, into the
# output folder; the project then lays them out into one flash image.
set -euo pipefail
PANELIX=$(realpath "$1")
DEMO=$(cd "$(dirname "$0")" && pwd)
OUT=$(realpath -m "${2:-$DEMO/../../build/demo-output}")
BINS="$OUT/bins"
rm -rf "$BINS"
mkdir -p "$BINS"
echo "Demo project: $DEMO"
echo "Output folder: $OUT"

# --- pictures (picture converter) ---

# --- bootloader (bootloader generator) ---

# --- GIF animations (GIF converter) ---

# --- fonts (font library generator) ---

# --- sounds (WAV converter) ---

# --- cursor (cursor editor) ---

# --- flash image (project builder) ---

echo "Bins written to $BINS:"
ls -l "$BINS"
