#!/usr/bin/env bash
# Installs what is needed, builds, and runs the main job: the workbench when a display is
# available, otherwise the demo project built headless from its manifest with `panelix build`.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DPANELIX_TESTS=OFF >/dev/null
cmake --build build/release -j "$(nproc)"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ "${PANELIX_HEADLESS:-0}" != 1 ]; then
  exec build/release/src/app/panelix-workbench
fi
OUT=build/demo-output
echo "No display: building the demo project (examples/demo/panelix.toml) into $OUT"
build/release/src/cli/panelix build examples/demo/panelix.toml --out "$OUT"
echo "Wrote the bins into $OUT/bins, and the info bin, its report and the flash image into $OUT:"
ls -l "$OUT" "$OUT/bins"
