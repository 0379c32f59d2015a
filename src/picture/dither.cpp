#include "picture/dither.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

namespace panelix::picture {

namespace {

// The 8 x 8 Bayer matrix: every threshold 0..63 once, spread as evenly as it can be.
constexpr std::uint8_t kBayer[8][8] = {{0, 32, 8, 40, 2, 34, 10, 42},  {48, 16, 56, 24, 50, 18, 58, 26},
                                       {12, 44, 4, 36, 14, 46, 6, 38}, {60, 28, 52, 20, 62, 30, 54, 22},
                                       {3, 35, 11, 43, 1, 33, 9, 41},  {51, 19, 59, 27, 49, 17, 57, 25},
                                       {15, 47, 7, 39, 13, 45, 5, 37}, {63, 31, 55, 23, 61, 29, 53, 21}};

// The 8-bit value whose truncation to `bits` bits is `level`, spread over the whole range.
int Expand(int level, int bits) {
  return (level << (8 - bits)) | (level >> (2 * bits - 8));
}

// Nearest level of `bits` bits to an 8-bit value (any int, clamped).
int Nearest(int value, int bits) {
  const int top = (1 << bits) - 1;
  return std::clamp((std::clamp(value, 0, 255) * top + 127) / 255, 0, top);
}

int Luminance(const std::uint8_t* p) {
  return (299 * p[0] + 587 * p[1] + 114 * p[2] + 500) / 1000;
}

std::array<int, 3> Bits(DitherTarget target) {
  return target == DitherTarget::Argb4444 ? std::array<int, 3>{4, 4, 4} : std::array<int, 3>{5, 6, 5};
}

bool IsBlack(const std::uint8_t* p) {
  return p[0] == 0 && p[1] == 0 && p[2] == 0;
}

// A visible colour must not take the black of transparency in R5G6B5: where the dithered levels
// are all 0, the colour keeps its plain truncation (black only when the source truncates to it).
template <typename Channels>
void KeepVisible(const Channels& source, int (&levels)[3], DitherTarget target,
                 const std::array<int, 3>& bits) {
  if (target == DitherTarget::R5G6B5 && levels[0] == 0 && levels[1] == 0 && levels[2] == 0) {
    for (int c = 0; c < 3; ++c) {
      levels[c] = source[c] >> (8 - bits[c]);
    }
  }
}

void Ordered(RgbImage& out, DitherTarget target) {
  const auto bits = Bits(target);
  for (std::int32_t y = 0; y < out.height; ++y) {
    for (std::int32_t x = 0; x < out.width; ++x) {
      std::uint8_t* p = out.Pixel(x, y);
      const int threshold = kBayer[y % 8][x % 8];
      if (target == DitherTarget::BlackWhite) {
        // Black below a threshold between 2 and 254: pure black stays black, white stays white.
        const bool black = Luminance(p) < 4 * threshold + 2;
        p[0] = p[1] = p[2] = black ? 0 : 255;
        continue;
      }
      int levels[3] = {0, 0, 0};
      for (int c = 0; c < 3; ++c) {
        // The level the channel reaches when (threshold + 0.5) / 64 of a level is added: over a
        // block the levels average to the source, measured on the levels' own scale.
        const int top = (1 << bits[c]) - 1;
        levels[c] = std::min((128 * p[c] * top + (2 * threshold + 1) * 255) / (128 * 255), top);
      }
      KeepVisible(p, levels, target, bits);
      for (int c = 0; c < 3; ++c) {
        p[c] = static_cast<std::uint8_t>(Expand(levels[c], bits[c]));
      }
    }
  }
}

// Error diffusion over one channel plane of ints (or the luminance), rows in order.
void FloydSteinberg(RgbImage& out, DitherTarget target) {
  const std::int32_t w = out.width;
  const auto bits = Bits(target);
  const int channels = target == DitherTarget::BlackWhite ? 1 : 3;
  // Errors carried to the current and the next row, in 1/16 units, with a guard pixel each side.
  const std::size_t rowSize = static_cast<std::size_t>(w + 2) * 3;
  std::vector<int> current(rowSize, 0);
  std::vector<int> next(rowSize, 0);
  for (std::int32_t y = 0; y < out.height; ++y) {
    std::fill(next.begin(), next.end(), 0);
    for (std::int32_t x = 0; x < w; ++x) {
      std::uint8_t* p = out.Pixel(x, y);
      const bool keepBlack = target != DitherTarget::Argb4444 && IsBlack(p);
      const int source[3] = {p[0], p[1], p[2]};
      int levels[3] = {0, 0, 0};
      int errors[3] = {0, 0, 0};
      const std::size_t at = static_cast<std::size_t>(x + 1) * 3;
      for (int c = 0; c < channels; ++c) {
        const int value = (channels == 1 ? Luminance(p) : p[c]) + current[at + c] / 16;
        if (channels == 1) {
          levels[c] = value < 128 ? 0 : 255;
          errors[c] = value - levels[c];
        } else {
          levels[c] = Nearest(value, bits[c]);
          errors[c] = value - Expand(levels[c], bits[c]);
        }
      }
      if (keepBlack) {
        errors[0] = errors[1] = errors[2] = 0;
      } else if (channels == 1) {
        p[0] = p[1] = p[2] = static_cast<std::uint8_t>(levels[0]);
      } else {
        KeepVisible(source, levels, target, bits);
        for (int c = 0; c < 3; ++c) {
          p[c] = static_cast<std::uint8_t>(Expand(levels[c], bits[c]));
        }
      }
      for (int c = 0; c < channels; ++c) {
        const int e = errors[c];
        current[at + 3 + c] += 7 * e;
        next[at - 3 + c] += 3 * e;
        next[at + c] += 5 * e;
        next[at + 3 + c] += e;
      }
    }
    std::swap(current, next);
  }
}

}  // namespace

bool DitherTargetOf(PixelFormat format, DitherTarget& target) {
  switch (format) {
    case PixelFormat::R5G6B5:
      target = DitherTarget::R5G6B5;
      return true;
    case PixelFormat::BlackWhite:
      target = DitherTarget::BlackWhite;
      return true;
    case PixelFormat::R8G8B8:
      break;
  }
  return false;
}

RgbImage DitherPicture(const RgbImage& picture, DitherTarget target, Dither dither) {
  RgbImage out = picture;
  if (dither == Dither::Ordered) {
    Ordered(out, target);
  } else if (dither == Dither::FloydSteinberg) {
    FloydSteinberg(out, target);
  }
  return out;
}

RgbImage DitheredPreview(const RgbImage& picture, const PictureOptions& options, bool argb) {
  DitherTarget target = DitherTarget::Argb4444;
  if (options.dither == Dither::None || (!argb && !DitherTargetOf(options.format, target))) {
    return picture;
  }
  return DitherPicture(picture, target, options.dither);
}

}  // namespace panelix::picture
