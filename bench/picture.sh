#!/usr/bin/env bash
# Converts 200 PNG pictures of 800 x 480 and 50 JPEGs of 1024 x 600 into one R5G6B5 bin with
# `panelix picture` and compares the time with decoding the same files alone.
# Usage: bench/picture.sh BUILD_DIR [THREADS]   (BUILD_DIR configured with -DPANELIX_BENCH=ON,
#        ideally -DCMAKE_BUILD_TYPE=Release; THREADS defaults to one per core)
set -euo pipefail
BUILD=$(realpath "$1")
THREADS=${2:-$(nproc)}
PANELIX="$BUILD/src/cli/panelix"
GEN="$BUILD/bench/bench_picture"
WORK="$BUILD/bench-picture"
DATA="$WORK/pictures"
if [ ! -f "$DATA/photo049.jpg" ]; then
  "$GEN" --generate "$DATA"
fi
now() { date +%s.%N; }

"$GEN" --decode "$DATA" "$THREADS" >/dev/null  # warm the page cache
# Wall time, and CPU time (user + system) which other load on the machine disturbs less.
t0=$(now)
/usr/bin/time -f "%U %S" -o "$WORK/decode.cpu" "$GEN" --decode "$DATA" "$THREADS"
t1=$(now)
/usr/bin/time -f "%U %S" -o "$WORK/convert.cpu" \
  "$PANELIX" picture --format r5g6b5 --jobs "$THREADS" -o "$WORK/Picture-bench" "$DATA"
t2=$(now)
dcpu=$(awk '{print $1 + $2}' "$WORK/decode.cpu")
ccpu=$(awk '{print $1 + $2}' "$WORK/convert.cpu")

in_bytes=$(du -cb "$DATA"/*.png "$DATA"/*.jpg | tail -1 | cut -f1)
out_bytes=$(stat -c %s "$WORK/Picture-bench.bin")
awk -v d="$(echo "$t1 - $t0" | bc)" -v c="$(echo "$t2 - $t1" | bc)" -v i="$in_bytes" -v o="$out_bytes" \
    -v t="$THREADS" -v dc="$dcpu" -v cc="$ccpu" 'BEGIN {
  printf "threads %d\n", t
  printf "decode alone: %.3f s  (%.1f MB/s of picture files)\n", d, i / d / 1e6
  printf "convert:      %.3f s  (%.1f MB/s in, %.1f MB/s of bin written)\n", c, i / c / 1e6, o / c / 1e6
  printf "convert / decode = %.2f wall, %.2f CPU (%.2f s / %.2f s) (goal <= 1.25)\n", c / d, cc / dc, cc, dc
}'
