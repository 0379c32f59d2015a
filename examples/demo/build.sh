#!/usr/bin/env bash
# Builds the demo project headless with the panelix CLI and says what it wrote.
# Usage: examples/demo/build.sh PATH/TO/panelix [OUTPUT_DIR]
# Every bin is made from the sources in this folder by the tool that owns its kind, into the
# output folder; the project then lays them out into one flash image.
set -euo pipefail
PANELIX=$(realpath "$1")
DEMO=$(cd "$(dirname "$0")" && pwd)
OUT=$(realpath -m "${2:-$DEMO/../../build/demo-output}")
BINS="$OUT/bins"
rm -rf "$BINS"
mkdir -p "$BINS"
echo "Demo project: $DEMO"
echo "Output folder: $OUT"

# --- pictures (picture converter) ---
# Screen art in 5-6-5 colour; transparent icon pixels turn black, the module's transparent colour.
# Pictures are numbered in the order given; the digit and key sets take their folders in name order.
PICS="$DEMO/pictures"
"$PANELIX" picture --format r5g6b5 -o "$BINS/Picture-main" "$PICS/background.png" "$PICS/splash.jpg" \
  "$PICS/button.bmp" "$PICS/icon-ok.png" "$PICS/icon-alarm.png" "$PICS/icon-warn.png"
"$PANELIX" picture --format r5g6b5 -o "$BINS/Number-digits" "$PICS/digits"
"$PANELIX" picture --format r5g6b5 -o "$BINS/KeyNum-keys" "$PICS/keys"

# --- bootloader (bootloader generator) ---
# A 4.3" 480x272 panel: 24-bit RGB, data on the falling PCLK edge, sync pulses active low.
"$PANELIX" bootloader --xsize 480 --ysize 272 --hspw 4 --hsbp 43 --hsfp 8 --vspw 4 --vsbp 12 --vsfp 8 \
  --lcd-if 24 --color 16 --canvas block16 --spi-speed 4 -o "$BINS/Bootloader"

# --- GIF animations (GIF converter) ---
# Every frame of the spinner (made by gif/make_spinner.cpp) in 5-6-5 colour, one address row per frame.
"$PANELIX" gif --format r5g6b5 -o "$BINS/Gif-spinner" "$DEMO/gif/spinner.gif"

# --- fonts (font library generator) ---
# Names tell the project builder the font slot (characters 5-6) and the size code (8-9).
"$PANELIX" --codepage 936 font library --set gb2312 --width 16 --height 16 -o "$BINS/Font_C1_16"
"$PANELIX" --codepage 936 font string "$DEMO/fonts/menu.txt" --width 16 --height 16 -o "$BINS/Font_C2_16"
"$PANELIX" --codepage 936 font ascii --width 8 --height 16 -o "$BINS/Font_D1_16"

# --- sounds (WAV converter) ---
# A two-note chime, 8000 samples per second, mono, 8 bits, kept as it is; the data text beside the
# bin (Wav-chime-Addr.txt) names the file as given, so it is converted from its own folder.
(cd "$DEMO/sounds" && "$PANELIX" wav --channel left --bits 8 --speed 1 -o "$BINS/Wav-chime" chime.wav)

# --- cursor (cursor editor) ---
# An arrow pointer: black outline, colour-0 fill, everything else transparent (code 2).
"$PANELIX" cursor --from-text "$DEMO/cursor/arrow.txt" -o "$BINS/Cursor-arrow"

# --- flash image (project builder) ---
# The project lists every bin of the folder; the build time comes from SOURCE_DATE_EPOCH when it
# is set, else from the clock. The listing says where each table and bin landed in the image.
cp "$DEMO/project.ini" "$BINS/project.ini"
"$PANELIX" make --bins "$BINS" --project "$BINS/project.ini" --info "$OUT/UserInfo" --flash "$OUT/Panelix_Flash"
echo "Info bin: $OUT/UserInfo.bin, report: $OUT/UserInfo.txt, flash image: $OUT/Panelix_Flash.bin"

echo "Bins written to $BINS:"
ls -l "$BINS"
