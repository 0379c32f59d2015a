#!/usr/bin/env bash
# Builds the Debian package (.deb) of panelix and the workbench, its Depends worked out by
# dpkg-shlibdeps. Prints the package's path on its last line.
# Usage: scripts/package.sh [BUILD_DIR]   (default build/package: a Release build without tests;
#        an already configured build folder is packaged as it is, after building it)
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${1:-build/package}
if [ ! -f "$BUILD/CMakeCache.txt" ]; then
  scripts/install-deps.sh
  cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DPANELIX_TESTS=OFF >/dev/null
fi
cmake --build "$BUILD" -j "$(nproc)"
(cd "$BUILD" && cpack -G DEB >/dev/null)
DEB=$(ls -t "$BUILD"/panelix_*.deb | head -n 1)
dpkg-deb --field "$DEB" Package Version Depends >&2
echo "$DEB"
