#!/usr/bin/env bash
# Saves a picture of every window of the workbench into docs/screenshots/, one PNG per window.
# Usage: scripts/screenshots.sh [PATH/TO/panelix-workbench]   (needs xvfb-run)
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
WORKBENCH=${1:-"$ROOT/build/src/app/panelix-workbench"}
OUT="$ROOT/docs/screenshots"
mkdir -p "$OUT"
# A plain X server of a usual desktop size; the windows are shown at their design sizes.
xvfb-run -a -s "-screen 0 1600x1000x24" env QT_QPA_PLATFORM=xcb "$WORKBENCH" --screenshots "$OUT"
ls -l "$OUT"
