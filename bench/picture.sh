#!/usr/bin/env bash
# The picture converter against its peers, side by side in one run:
#  - 300 pictures (200 PNG of 800 x 480, 50 JPEG of 1024 x 600, 50 BMP of 800 x 480) into one
#    R5G6B5 bin with `panelix picture`, against ffmpeg converting the same files to raw RGB565
#    with plain truncation (one process per type);
#  - on one core, converting the 200 PNGs against decoding them alone with libpng's simplified API;
#  - 3 GIFs of 30 frames with `panelix gif` against ffmpeg;
#  - the peak memory of the picture run.
# Usage: bench/picture.sh BUILD_DIR [RUNS]   (BUILD_DIR configured with -DPANELIX_BENCH=ON, ideally
#        Release; RUNS, default 5, repetitions whose medians are printed)
# ffmpeg is a peer for comparison only; the script installs it when it is missing.
set -euo pipefail
BUILD=$(realpath "$1")
RUNS=${2:-5}
PANELIX="$BUILD/src/cli/panelix"
GEN="$BUILD/bench/bench_picture"
WORK=${TMPDIR:-/tmp}/panelix-bench-picture
DATA="$WORK/pictures"
OUT="$WORK/out"
mkdir -p "$OUT"
if ! command -v ffmpeg >/dev/null; then
  apt-get install -y --no-install-recommends ffmpeg >/dev/null || sudo apt-get install -y --no-install-recommends ffmpeg >/dev/null
fi
if [ ! -f "$DATA/gif/anim2.gif" ]; then
  "$GEN" --generate "$DATA" >/dev/null
fi
# The PNGs alone, beside the set (a folder inside it would be scanned as part of it).
mkdir -p "$WORK/png"
for f in "$DATA"/*.png; do ln -sf "$f" "$WORK/png/"; done

FFSCALE=(-vf scale=sws_dither=none:flags=neighbor -f rawvideo -pix_fmt rgb565le)
ffmpeg_pictures() {
  ffmpeg -v error -y -i "$DATA/screen%03d.png" "${FFSCALE[@]}" "$OUT/ff-png.raw"
  ffmpeg -v error -y -i "$DATA/photo%03d.jpg" "${FFSCALE[@]}" "$OUT/ff-jpg.raw"
  ffmpeg -v error -y -i "$DATA/panel%03d.bmp" "${FFSCALE[@]}" "$OUT/ff-bmp.raw"
}
ffmpeg_gifs() {
  for g in "$DATA"/gif/*.gif; do
    ffmpeg -v error -y -i "$g" "${FFSCALE[@]}" "$OUT/ff-$(basename "$g").raw"
  done
}
panelix_pictures() { "$PANELIX" picture --format r5g6b5 -o "$OUT/Picture" "$DATA" >/dev/null; }
panelix_pictures_one_core() { taskset -c 0 "$PANELIX" picture --jobs 1 -o "$OUT/Png" "$WORK/png" >/dev/null; }
libpng_one_core() { taskset -c 0 "$GEN" --libpng "$DATA" >/dev/null; }
panelix_gifs() { "$PANELIX" gif --format r5g6b5 -o "$OUT/Gif" "$DATA"/gif/*.gif >/dev/null; }

# Wall seconds of a function, one line per run.
seconds() {
  local start end
  start=$(date +%s.%N)
  "$@"
  end=$(date +%s.%N)
  echo "$end - $start" | bc
}
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# One warm-up of each (page cache), then the pairs in turn so drift hits both sides alike.
for f in ffmpeg_pictures panelix_pictures libpng_one_core panelix_pictures_one_core ffmpeg_gifs panelix_gifs; do
  "$f"
done
declare -A times
for _ in $(seq "$RUNS"); do
  for f in ffmpeg_pictures panelix_pictures libpng_one_core panelix_pictures_one_core ffmpeg_gifs panelix_gifs; do
    sync  # so that no run pays for the writing back of the one before
    times[$f]+="$(seconds "$f")"$'\n'
  done
done
m() { printf '%s' "${times[$1]}" | median; }
peak=$( { /usr/bin/time -f "%M" "$PANELIX" picture --format r5g6b5 -o "$OUT/Picture" "$DATA" >/dev/null; } 2>&1 | tail -1)

echo "load average: $(cut -d' ' -f1-3 /proc/loadavg); medians of $RUNS runs, $(nproc) cores"
awk -v fp="$(m ffmpeg_pictures)" -v pp="$(m panelix_pictures)" -v lp="$(m libpng_one_core)" \
    -v p1="$(m panelix_pictures_one_core)" -v fg="$(m ffmpeg_gifs)" -v pg="$(m panelix_gifs)" -v mem="$peak" 'BEGIN {
  printf "300 pictures: panelix %.3f s, ffmpeg %.3f s: ffmpeg / panelix = %.2f (goal >= 3)\n", pp, fp, fp / pp
  printf "200 PNGs on one core: panelix %.3f s, libpng decoding alone %.3f s: ratio %.2f (goal <= 1.25)\n", p1, lp, p1 / lp
  printf "3 GIFs of 30 frames: panelix %.3f s, ffmpeg %.3f s: panelix / ffmpeg = %.2f (goal <= 0.5)\n", pg, fg, pg / fg
  printf "peak memory of the 300-picture run: %.1f MB (goal < 100)\n", mem / 1024
}'
