#include "picture/dither.h"

#include <gtest/gtest.h>

#include <cmath>

#include "fixtures.h"
#include "picture/encoders.h"

namespace panelix::picture {
namespace {

// A smooth diagonal gradient of dark to mid colours, where truncation bands worst.
RgbImage Gradient(std::int32_t w, std::int32_t h) {
  RgbImage image = MakeRgbImage(w, h);
  for (std::int32_t y = 0; y < h; ++y) {
    for (std::int32_t x = 0; x < w; ++x) {
      std::uint8_t* p = image.Pixel(x, y);
      p[0] = static_cast<std::uint8_t>(20 + x * 100 / w);
      p[1] = static_cast<std::uint8_t>(30 + (x + y) * 90 / (w + h));
      p[2] = static_cast<std::uint8_t>(200 - y * 150 / h);
    }
  }
  return image;
}

// The colour the module shows for each stored value, per channel, 8-bit.
double Channel(std::uint32_t value, int shift, int bits) {
  const std::uint32_t level = (value >> shift) & ((1U << bits) - 1);
  return level * 255.0 / ((1U << bits) - 1);
}

// Mean distance between the 8 x 8 block averages of the shown picture and of the source.
double BlockError(const RgbImage& source, const std::vector<double>& shown, int channels) {
  double total = 0;
  int blocks = 0;
  for (std::int32_t by = 0; by + 8 <= source.height; by += 8) {
    for (std::int32_t bx = 0; bx + 8 <= source.width; bx += 8) {
      for (int c = 0; c < channels; ++c) {
        double a = 0;
        double b = 0;
        for (std::int32_t y = by; y < by + 8; ++y) {
          for (std::int32_t x = bx; x < bx + 8; ++x) {
            const std::uint8_t* p = source.Pixel(x, y);
            a += channels == 1 ? (0.299 * p[0] + 0.587 * p[1] + 0.114 * p[2]) : p[c];
            b += shown[static_cast<std::size_t>(channels) * source.PixelIndex(x, y) + c];
          }
        }
        total += std::abs(a - b) / 64;
        ++blocks;
      }
    }
  }
  return total / blocks;
}

// The encoded bytes as shown colours: 5-6-5, 4-4-4-4 colour or black/white luminance.
std::vector<double> Shown(const std::vector<std::uint8_t>& bytes, PixelFormat format, bool argb,
                          std::size_t pixels) {
  std::vector<double> shown;
  for (std::size_t i = 0; i < pixels; ++i) {
    if (format == PixelFormat::BlackWhite) {
      shown.push_back((bytes[i / 8] >> (7 - i % 8) & 1) != 0 ? 0.0 : 255.0);
      continue;
    }
    const std::uint32_t v = bytes[2 * i] | (std::uint32_t{bytes[2 * i + 1]} << 8);
    if (argb) {
      shown.insert(shown.end(), {Channel(v, 8, 4), Channel(v, 4, 4), Channel(v, 0, 4)});
    } else {
      shown.insert(shown.end(), {Channel(v, 11, 5), Channel(v, 5, 6), Channel(v, 0, 5)});
    }
  }
  return shown;
}

TEST(Dither, BlockAveragesAtLeastTwiceAsCloseAsTruncation) {
  const RgbImage gradient = Gradient(64, 48);
  PngPicture png;
  png.colorType = 6;
  png.image = gradient;
  png.image.alpha.assign(64 * 48, 200);
  const auto sink = [](const std::string&) {};
  struct Case {
    const char* name;
    PixelFormat format;
    bool argb;
  };
  const Case cases[] = {{"R5G6B5", PixelFormat::R5G6B5, false},
                        {"Black_White", PixelFormat::BlackWhite, false},
                        {"aRGB colour", PixelFormat::R5G6B5, true}};
  for (const auto& c : cases) {
    const auto encode = [&](Dither dither) {
      PictureOptions options;
      options.format = c.format;
      options.dither = dither;
      const auto bytes = c.argb ? EncodeArgb4444(png, gradient, Rotation::None, options, sink)
                                : EncodePicture(gradient, options);
      return BlockError(gradient, Shown(bytes, c.format, c.argb, 64 * 48),
                        c.format == PixelFormat::BlackWhite ? 1 : 3);
    };
    const double plain = encode(Dither::None);
    for (const Dither dither : {Dither::Ordered, Dither::FloydSteinberg}) {
      SCOPED_TRACE(std::string(c.name) + (dither == Dither::Ordered ? " ordered" : " floyd-steinberg"));
      EXPECT_LE(2 * encode(dither), plain);
    }
  }
}

TEST(Dither, BlackStaysBlackAndNothingElseTurnsBlack) {
  // Transparent PNG pixels are black and visible ones are lifted off black: dithering keeps both.
  RgbImage picture = MakeRgbImage(16, 16);
  for (std::size_t i = 0; i < picture.rgb.size(); i += 3) {
    if (i % 2 == 0) {
      picture.rgb[i] = 8;
      picture.rgb[i + 1] = 4;
      picture.rgb[i + 2] = 8;
    }
  }
  for (const Dither dither : {Dither::Ordered, Dither::FloydSteinberg}) {
    const RgbImage out = DitherPicture(picture, DitherTarget::R5G6B5, dither);
    for (std::size_t i = 0; i < picture.rgb.size(); i += 3) {
      const bool wasBlack = picture.rgb[i] == 0 && picture.rgb[i + 1] == 0 && picture.rgb[i + 2] == 0;
      const bool isBlack = out.rgb[i] == 0 && out.rgb[i + 1] == 0 && out.rgb[i + 2] == 0;
      ASSERT_EQ(wasBlack, isBlack) << "pixel " << i / 3;
    }
  }
  // R8G8B8 has nothing to reduce, and None is plain truncation.
  DitherTarget target{};
  EXPECT_FALSE(DitherTargetOf(PixelFormat::R8G8B8, target));
  EXPECT_EQ(DitherPicture(picture, DitherTarget::R5G6B5, Dither::None).rgb, picture.rgb);
}

}  // namespace
}  // namespace panelix::picture
