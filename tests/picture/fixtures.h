#pragma once

#include <spng.h>
#include <turbojpeg.h>

#include <cstdint>
#include <cstdlib>
#include <initializer_list>
#include <stdexcept>
#include <vector>

#include "picture/rgb_image.h"

namespace panelix::picture::fx {

using Bytes = std::vector<std::uint8_t>;

// A picture from a list of (R, G, B) pixels, row by row.
inline RgbImage Picture(std::int32_t width, std::int32_t height,
                        std::initializer_list<std::uint32_t> colours) {
  RgbImage image = MakeRgbImage(width, height);
  std::size_t i = 0;
  for (std::uint32_t c : colours) {
    image.rgb[i++] = static_cast<std::uint8_t>(c >> 16);
    image.rgb[i++] = static_cast<std::uint8_t>(c >> 8);
    image.rgb[i++] = static_cast<std::uint8_t>(c);
  }
  return image;
}

// A PNG file written by the PNG library. samples holds the raw samples of the colour type, row by
// row (8 bits each unless bitDepth says 16, then big-endian pairs); palette/trns for indexed files.
inline Bytes EncodePng(std::uint32_t width, std::uint32_t height, std::uint8_t colorType,
                       const Bytes& samples, std::uint8_t bitDepth = 8,
                       const std::vector<spng_plte_entry>& palette = {}, const Bytes& trns = {},
                       std::uint8_t interlace = 0) {
  spng_ctx* ctx = spng_ctx_new(SPNG_CTX_ENCODER);
  spng_set_option(ctx, SPNG_ENCODE_TO_BUFFER, 1);
  spng_ihdr ihdr{};
  ihdr.width = width;
  ihdr.height = height;
  ihdr.bit_depth = bitDepth;
  ihdr.color_type = colorType;
  ihdr.interlace_method = interlace;
  spng_set_ihdr(ctx, &ihdr);
  if (!palette.empty()) {
    spng_plte plte{};
    plte.n_entries = static_cast<std::uint32_t>(palette.size());
    for (std::size_t i = 0; i < palette.size(); ++i) {
      plte.entries[i] = palette[i];
    }
    spng_set_plte(ctx, &plte);
  }
  if (!trns.empty()) {
    spng_trns t{};
    t.n_type3_entries = static_cast<std::uint32_t>(trns.size());
    for (std::size_t i = 0; i < trns.size(); ++i) {
      t.type3_alpha[i] = trns[i];
    }
    spng_set_trns(ctx, &t);
  }
  Bytes copy = samples;
  if (spng_encode_image(ctx, copy.data(), copy.size(), SPNG_FMT_PNG, SPNG_ENCODE_FINALIZE) != 0) {
    spng_ctx_free(ctx);
    throw std::runtime_error("test PNG not encoded");
  }
  std::size_t size = 0;
  int error = 0;
  auto* buffer = static_cast<std::uint8_t*>(spng_get_png_buffer(ctx, &size, &error));
  Bytes png(buffer, buffer + size);
  std::free(buffer);
  spng_ctx_free(ctx);
  return png;
}

// A baseline JPEG of an RGB picture.
inline Bytes EncodeJpeg(const RgbImage& image, int quality = 95, int subsampling = TJSAMP_444) {
  tjhandle handle = tjInitCompress();
  unsigned char* out = nullptr;
  unsigned long size = 0;
  if (tjCompress2(handle, image.rgb.data(), image.width, image.width * 3, image.height, TJPF_RGB, &out, &size,
                  subsampling, quality, 0) != 0) {
    tjDestroy(handle);
    throw std::runtime_error("test JPEG not encoded");
  }
  Bytes jpeg(out, out + size);
  tjFree(out);
  tjDestroy(handle);
  return jpeg;
}

// Not inlined: GCC 12 misreads the vector bounds of copies made in lambdas.
[[gnu::noinline]] inline void PutLE(Bytes& b, std::size_t at, std::uint32_t value, int width) {
  for (int i = 0; i < width; ++i) {
    b[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
  }
}

// A BMP file with a 40-byte info header (or another size), the given palette (B, G, R, 0 entries),
// optional masks after the header and raw pixel data.
struct BmpSpec {
  std::int32_t width = 1;
  std::int32_t height = 1;
  std::uint16_t bitCount = 24;
  std::uint32_t compression = 0;
  std::uint32_t headerSize = 40;
  std::vector<std::uint32_t> palette = {};  // 0xRRGGBB
  std::vector<std::uint32_t> masks = {};    // written after a 40-byte header, or into a bigger one
  std::uint32_t colorsUsed = 0;
  Bytes data = {};
};

inline Bytes MakeBmp(const BmpSpec& s) {
  const bool core = s.headerSize == 12;
  const std::size_t entry = core ? 3 : 4;
  const std::size_t masksAfter = s.headerSize == 40 ? s.masks.size() * 4 : 0;
  const std::size_t offset = 14 + s.headerSize + masksAfter + s.palette.size() * entry;
  Bytes b(offset + s.data.size(), 0);
  b[0] = 'B';
  b[1] = 'M';
  PutLE(b, 2, static_cast<std::uint32_t>(b.size()), 4);
  PutLE(b, 10, static_cast<std::uint32_t>(offset), 4);
  PutLE(b, 14, s.headerSize, 4);
  if (core) {
    PutLE(b, 18, static_cast<std::uint32_t>(s.width), 2);
    PutLE(b, 20, static_cast<std::uint32_t>(s.height), 2);
    PutLE(b, 22, 1, 2);
    PutLE(b, 24, s.bitCount, 2);
  } else {
    PutLE(b, 18, static_cast<std::uint32_t>(s.width), 4);
    PutLE(b, 22, static_cast<std::uint32_t>(s.height), 4);
    PutLE(b, 26, 1, 2);
    PutLE(b, 28, s.bitCount, 2);
    PutLE(b, 30, s.compression, 4);
    PutLE(b, 34, static_cast<std::uint32_t>(s.data.size()), 4);
    PutLE(b, 46, s.colorsUsed, 4);
    for (std::size_t i = 0; i < s.masks.size(); ++i) {
      PutLE(b, 54 + 4 * i, s.masks[i], 4);
    }
  }
  std::size_t at = 14 + s.headerSize + masksAfter;
  for (std::uint32_t c : s.palette) {
    b[at] = static_cast<std::uint8_t>(c);
    b[at + 1] = static_cast<std::uint8_t>(c >> 8);
    b[at + 2] = static_cast<std::uint8_t>(c >> 16);
    at += entry;
  }
  std::copy(s.data.begin(), s.data.end(), b.begin() + static_cast<std::ptrdiff_t>(offset));
  return b;
}

// The colours of a picture as 0xRRGGBB, row by row.
inline std::vector<std::uint32_t> Colours(const RgbImage& image) {
  std::vector<std::uint32_t> out;
  for (std::size_t i = 0; i + 2 < image.rgb.size(); i += 3) {
    out.push_back((std::uint32_t{image.rgb[i]} << 16) | (std::uint32_t{image.rgb[i + 1]} << 8) |
                  image.rgb[i + 2]);
  }
  return out;
}

}  // namespace panelix::picture::fx
