#!/usr/bin/env bash
# Installs what is needed, builds everything (workbench included) with warnings as errors and runs
# every test; packages that build as a .deb and builds the demo with the unpacked package; then builds
# the configuration without the GUI with AddressSanitizer and UndefinedBehaviorSanitizer, runs its
# tests and replays every fuzz target's seed corpus once. Each stage says how long it took.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
JOBS=$(nproc)
STAGE_START=$SECONDS
stage() {
  echo "== $1 took $((SECONDS - STAGE_START)) s"
  STAGE_START=$SECONDS
}

cmake -S . -B build/ci -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPANELIX_WERROR=ON -DPANELIX_GUI=ON
cmake --build build/ci -j "$JOBS"
(cd build/ci && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$JOBS")
stage "build and tests"
# The Debian package of that build, unpacked into a scratch root: the installed CLI runs and builds
# the installed demo.
DEB=$(scripts/package.sh build/ci | tail -n 1)
ROOT=$(mktemp -d)
trap 'rm -rf "$ROOT"' EXIT
dpkg-deb -x "$DEB" "$ROOT"
"$ROOT/usr/bin/panelix" --version
"$ROOT/usr/bin/panelix" build "$ROOT/usr/share/panelix/examples/demo/panelix.toml" --out "$ROOT/demo-output"
test -s "$ROOT/demo-output/Panelix_Flash.bin"
stage "package"
# The configuration without the GUI, which also proves that no core folder reaches for Qt, built
# with clang, AddressSanitizer and UndefinedBehaviorSanitizer: the cores, the CLI, their tests and
# the fuzz targets. -O1 keeps it quick; debug information keeps the reports readable.
cmake -S . -B build/ci-sanitize -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug \
      -DCMAKE_CXX_FLAGS="-O1" -DPANELIX_GUI=OFF -DPANELIX_SANITIZE=address,undefined -DPANELIX_FUZZ=ON
cmake --build build/ci-sanitize -j "$JOBS"
stage "sanitizer build without the GUI"
# fontconfig's own leftovers at exit are not ours to report (scripts/lsan-suppressions.txt).
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan-suppressions.txt:print_suppressions=0"
(cd build/ci-sanitize && ctest --output-on-failure -j "$JOBS")
stage "sanitizer tests"
for target in build/ci-sanitize/fuzz/fuzz_*; do
  name=${target##*/fuzz_}
  # One run over the seeds, with the limits a fuzzing session uses.
  "$target" -runs=0 -malloc_limit_mb=300 -timeout=2 "fuzz/corpus/$name"
done
stage "fuzz corpus replay"
echo "The GUI build passed every test; the package installs and builds the demo; the sanitizer build"
echo "without the GUI passed every test and replayed every seed corpus."
