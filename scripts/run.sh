#!/usr/bin/env bash
# Installs what is needed, builds, and runs the main job: the workbench when a display is
# available, otherwise the bundled example project built headless with the CLI.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DPANELIX_TESTS=OFF >/dev/null
cmake --build build/release -j "$(nproc)"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ "${PANELIX_HEADLESS:-0}" != 1 ]; then
  exec build/release/src/app/panelix-workbench
fi
exec examples/demo/build.sh build/release/src/cli/panelix
