#pragma once

// Small files that declare far more than they hold: each once cost seconds and gigabytes. The
// tests convert them and the fuzz targets start from them (fuzz/corpus).
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "fixtures.h"

namespace panelix::picture::hostile {

using fx::Bytes;

inline void PutBE32(Bytes& b, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) {
    b.push_back(static_cast<std::uint8_t>(v >> shift));
  }
}

inline void PutLE16(Bytes& b, std::uint32_t v) {
  b.push_back(static_cast<std::uint8_t>(v));
  b.push_back(static_cast<std::uint8_t>(v >> 8));
}

inline std::uint32_t Crc32(const std::uint8_t* data, std::size_t size) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (std::size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int k = 0; k < 8; ++k) {
      crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
  }
  return ~crc;
}

// A 54-byte BMP: the headers of a 24-bit picture of width x height and no pixel data.
inline Bytes BmpWithoutPixels(std::uint32_t width, std::uint32_t height) {
  Bytes b(54, 0);
  b[0] = 'B';
  b[1] = 'M';
  fx::PutLE(b, 2, 54, 4);
  fx::PutLE(b, 10, 54, 4);
  fx::PutLE(b, 14, 40, 4);
  fx::PutLE(b, 18, width, 4);
  fx::PutLE(b, 22, height, 4);
  fx::PutLE(b, 26, 1, 2);
  fx::PutLE(b, 28, 24, 2);
  return b;
}

// A 45-byte PNG: signature, the header of an 8-bit RGBA picture of width x height, and the end
// chunk; no image data at all.
inline Bytes PngWithoutData(std::uint32_t width, std::uint32_t height) {
  Bytes b{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  const auto chunk = [&b](const char* type, const Bytes& data) {
    PutBE32(b, static_cast<std::uint32_t>(data.size()));
    const std::size_t start = b.size();
    b.insert(b.end(), type, type + 4);
    b.insert(b.end(), data.begin(), data.end());
    PutBE32(b, Crc32(b.data() + start, b.size() - start));
  };
  Bytes header;
  PutBE32(header, width);
  PutBE32(header, height);
  header.insert(header.end(), {8, 6, 0, 0, 0});
  chunk("IHDR", header);
  chunk("IEND", {});
  return b;
}

// A baseline JPEG whose frame header declares width x height, cut right after its scan header: no
// entropy-coded data follows.
inline Bytes JpegCutAfterHeaders(std::uint16_t width, std::uint16_t height) {
  Bytes jpeg = fx::EncodeJpeg(fx::Picture(8, 8, {}), 90);
  std::size_t at = 2;
  while (at + 4 <= jpeg.size() && jpeg[at] == 0xFF) {
    const std::uint8_t marker = jpeg[at + 1];
    const std::size_t length = std::size_t{jpeg[at + 2]} << 8 | jpeg[at + 3];
    if (marker == 0xC0) {
      jpeg[at + 5] = static_cast<std::uint8_t>(height >> 8);
      jpeg[at + 6] = static_cast<std::uint8_t>(height);
      jpeg[at + 7] = static_cast<std::uint8_t>(width >> 8);
      jpeg[at + 8] = static_cast<std::uint8_t>(width);
    }
    if (marker == 0xDA) {
      jpeg.resize(at + 2 + length);
      return jpeg;
    }
    at += 2 + length;
  }
  return {};
}

// LZW data (minimum code size 2) for count pixels of colour 0, as a GIF encoder writes it: runs
// of growing length, the table cleared whenever it is full, packed into 255-byte sub-blocks.
inline Bytes ConstantLzw(std::uint64_t count) {
  constexpr int kClear = 4;
  constexpr int kEnd = 5;
  Bytes packed;
  std::uint32_t bits = 0;
  int used = 0;
  int width = 3;
  int running = kEnd + 1;  // the decoder's next table entry plus one, as it counts
  int maxCode = 1 << width;
  const auto put = [&](int code) {
    bits |= static_cast<std::uint32_t>(code) << used;
    used += width;
    while (used >= 8) {
      packed.push_back(static_cast<std::uint8_t>(bits));
      bits >>= 8;
      used -= 8;
    }
    // The decoder widens its codes once its table passes the current width.
    if (running < 4097 && ++running > maxCode && width < 12) {
      maxCode <<= 1;
      ++width;
    }
  };
  const auto clear = [&] {
    put(kClear);
    width = 3;
    running = kEnd + 1;
    maxCode = 1 << width;
  };
  clear();
  std::uint64_t left = count;
  std::uint64_t run = 1;
  while (left > 0) {
    const std::uint64_t take = std::min(run, left);
    // Run length 1 is the colour itself; run length r >= 2 is the table entry made after r - 1
    // codes, entry kEnd - 1 + r.
    put(take == 1 ? 0 : static_cast<int>(kEnd - 1 + take));
    left -= take;
    if (++run > 4000) {
      clear();
      run = 1;
    }
  }
  put(kEnd);
  if (used > 0) {
    packed.push_back(static_cast<std::uint8_t>(bits));
  }
  Bytes blocks;
  for (std::size_t at = 0; at < packed.size(); at += 255) {
    const std::size_t n = std::min<std::size_t>(255, packed.size() - at);
    blocks.push_back(static_cast<std::uint8_t>(n));
    blocks.insert(blocks.end(), packed.begin() + static_cast<std::ptrdiff_t>(at),
                  packed.begin() + static_cast<std::ptrdiff_t>(at + n));
  }
  blocks.push_back(0);
  return blocks;
}

// A GIF with a screenWidth x screenHeight logical screen and frameCount single-colour frames of
// frameWidth x frameHeight at (0, 0): a few bytes of LZW data per thousand pixels.
inline Bytes GifOfLargeFrames(std::uint16_t screenWidth, std::uint16_t screenHeight, int frameCount,
                              std::uint16_t frameWidth, std::uint16_t frameHeight) {
  Bytes b{'G', 'I', 'F', '8', '9', 'a'};
  PutLE16(b, screenWidth);
  PutLE16(b, screenHeight);
  b.insert(b.end(), {0x80, 0, 0});  // a global table of two colours
  b.insert(b.end(), {0, 0, 0, 255, 255, 255});
  const Bytes data = ConstantLzw(std::uint64_t{frameWidth} * frameHeight);
  for (int i = 0; i < frameCount; ++i) {
    b.push_back(0x2C);
    PutLE16(b, 0);
    PutLE16(b, 0);
    PutLE16(b, frameWidth);
    PutLE16(b, frameHeight);
    b.push_back(0);
    b.push_back(2);
    b.insert(b.end(), data.begin(), data.end());
  }
  b.push_back(0x3B);
  return b;
}

struct HostileInput {
  const char* name;  // file name, its extension giving its kind
  Bytes bytes;
};

// The four inputs as first found: a BMP and a PNG of 16384-odd pixels square with no pixel data, a
// JPEG of 16383 x 16383 cut after its headers, and a GIF of 22 frames of 65535 x 1024 on a 1 x 1
// screen.
inline std::vector<HostileInput> HostileInputs() {
  return {
      {"bmp-16000-no-pixels.bmp", BmpWithoutPixels(16000, 16000)},
      {"png-16384-no-idat.png", PngWithoutData(16384, 16384)},
      {"jpeg-16383-cut-after-headers.jpg", JpegCutAfterHeaders(16383, 16383)},
      {"gif-22-frames-65535x1024-on-1x1.gif", GifOfLargeFrames(1, 1, 22, 65535, 1024)},
  };
}

}  // namespace panelix::picture::hostile
