#!/usr/bin/env bash
# Peak memory and time of `panelix make` on the generated 200 MB project against `cat` of its bins.
# Usage: bench/make_bench.sh BUILD_DIR   (a build with -DPANELIX_BENCH=ON; bench_make makes the data)
set -euo pipefail
BUILD=$(realpath "$1")
DATA=${PANELIX_BENCH_DIR:-/tmp/panelix-make-bench-data}
mkdir -p "$DATA"
# Generate the project once (bench_make keeps it in PANELIX_BENCH_DIR) and time it.
PANELIX_BENCH_DIR="$DATA" "$BUILD/bench/bench_make"
cd "$DATA"
mkdir -p out
echo "cat of the bins:"
/usr/bin/time -f "  %e s, peak %M KB" sh -c 'cat Picture-*.bin > out/cat.bin'
echo "panelix make:"
/usr/bin/time -f "  %e s, peak %M KB" "$BUILD/src/cli/panelix" make --bins "$DATA" --project "$DATA/project.ini" \
  --info out/UserInfo --flash out/Panelix_Flash --build-time 2024-03-03T14:05:09 > /dev/null
cmp <(tail -c +131073 out/Panelix_Flash.bin) out/cat.bin && echo "image after the info block = cat of the bins"
rm -rf out
