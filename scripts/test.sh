#!/usr/bin/env bash
# Installs what is needed, builds everything (workbench included) with warnings as errors and runs
# every test; packages that build as a .deb and builds the demo with the unpacked package; then builds
# the configuration without the GUI, which also proves that no core folder reaches for Qt.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
JOBS=$(nproc)
cmake -S . -B build/ci -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPANELIX_WERROR=ON -DPANELIX_GUI=ON
cmake --build build/ci -j "$JOBS"
(cd build/ci && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$JOBS")
# The Debian package of that build, unpacked into a scratch root: the installed CLI runs and builds
# the installed demo.
DEB=$(scripts/package.sh build/ci | tail -n 1)
ROOT=$(mktemp -d)
trap 'rm -rf "$ROOT"' EXIT
dpkg-deb -x "$DEB" "$ROOT"
"$ROOT/usr/bin/panelix" --version
"$ROOT/usr/bin/panelix" build "$ROOT/usr/share/panelix/examples/demo/panelix.toml" --out "$ROOT/demo-output"
test -s "$ROOT/demo-output/Panelix_Flash.bin"
cmake -S . -B build/ci-nogui -G Ninja -DCMAKE_BUILD_TYPE=Release -DPANELIX_WERROR=ON -DPANELIX_GUI=OFF -DPANELIX_TESTS=OFF
cmake --build build/ci-nogui -j "$JOBS"
echo "Both configurations built; all tests passed; the package installs and builds the demo."
