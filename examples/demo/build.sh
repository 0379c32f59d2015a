#!/usr/bin/env bash
# Builds the demo project headless with the panelix CLI and says what it wrote.
# Usage: examples/demo/build.sh PATH/TO/panelix [OUTPUT_DIR]
set -euo pipefail
PANELIX=$(realpath "$1")
DEMO=$(cd "$(dirname "$0")" && pwd)
OUT=$(realpath -m "${2:-$DEMO/../../build/demo-output}")
mkdir -p "$OUT"
echo "Demo project: $DEMO"
echo "Output folder: $OUT"
