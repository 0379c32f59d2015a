#!/usr/bin/env bash
# Time of `panelix inspect` on a 200 MB flash image with 8000 picture entries, and the rate of
# `panelix inspect --extract` (PNG encoding) over the same image.
# Usage: bench/image_reading_bench.sh BUILD_DIR
set -euo pipefail
BUILD=$(realpath "$1")
PANELIX="$BUILD/src/cli/panelix"
DATA=${PANELIX_BENCH_DIR:-/tmp/panelix-inspect-bench-data}
mkdir -p "$DATA/bins"
cd "$DATA"
# 8000 pictures of 80 x 160 in R5G6B5 (25600 bytes each): 204.8 MB of picture data.
if [ ! -f bins/Picture-big.bin ]; then
  head -c 204800000 /dev/urandom > bins/Picture-big.bin
  awk 'BEGIN { for (i = 0; i < 8000; i++) printf "{80, 160, 0x%08X, 0x%08X},//p%d.bmp\r\n", i * 25600, 25600, i }' \
    > bins/Picture-big-Addr.txt
  {
    printf ' \r\n[INFO]\r\nPCVersion = 10\r\nCOMPort = UART\r\nBaudrate = 115200\r\nPCBVersion = 12\r\n'
    printf 'MCUBit = 8\r\nMCUType = STM\r\nCX9Type = CX-2\r\nCX9IF = SPI\r\nXSIZE = 1024\r\nYSIZE = 600\r\n'
    printf 'VBPD = 20\r\nVFPD = 12\r\nVSPW = 3\r\nHBPD = 140\r\nHFPD = 160\r\nHSPW = 20\r\nPCLKRISING = True\r\n'
    printf 'HSYNCPolarity = 0\r\nVSYNCPolarity = 0\r\nDEPolarity = 1\r\nRGBSequence = RGB\r\nColorDepth = 16\r\n'
    printf 'FlashType = NOR\r\nFlashSize = 2048\r\n \r\n[USERCMD]\r\n80h#00:1,2,3\r\n82h#00:1,2\r\n'
  } > bins/project.ini
  "$PANELIX" make --bins bins --project bins/project.ini --info UserInfo --flash Panelix_Flash \
    --build-time 2024-03-03T14:05:09 > /dev/null
fi
echo "panelix inspect (200 MB, 8000 pictures):"
/usr/bin/time -f "  %e s, peak %M KB" "$PANELIX" inspect Panelix_Flash.bin > /dev/null
echo "panelix inspect --json:"
/usr/bin/time -f "  %e s, peak %M KB" "$PANELIX" inspect --json Panelix_Flash.bin > /dev/null
rm -rf extracted
echo "panelix inspect --extract (PNG per picture):"
start=$(date +%s.%N)
"$PANELIX" inspect --extract extracted Panelix_Flash.bin > /dev/null 2>&1
end=$(date +%s.%N)
echo "  $(echo "$start $end" | awk '{ printf "%.2f s, %.1f MB/s of picture data", $2 - $1, 204.8 / ($2 - $1) }')"
rm -rf extracted
