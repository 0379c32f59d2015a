#include <gtest/gtest.h>

#include "base/error.h"
#include "fixtures.h"
#include "picture/decoders.h"

namespace panelix::picture {
namespace {

using fx::BmpSpec;
using fx::Bytes;
using fx::Colours;
using fx::MakeBmp;
using Cols = std::vector<std::uint32_t>;

constexpr std::uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF;

TEST(Bmp, DecodesEveryPixelLayout) {
  struct Case {
    const char* name;
    BmpSpec spec;
    Cols expected;  // picture rows from the top
  };
  const Case cases[] = {
      // Bottom-up: the first row in the file is the picture's last.
      {"24 bit",
       {.width = 2, .height = 2, .data = {0, 0, 0xFF, 0, 0xFF, 0, 0, 0, 0xFF, 0, 0, 0xFF, 0xFF, 0xFF, 0, 0}},
       {kBlue, kWhite, kRed, kGreen}},
      {"24 bit top-down",
       {.width = 2, .height = -2, .data = {0, 0, 0xFF, 0, 0xFF, 0, 0, 0, 0xFF, 0, 0, 0xFF, 0xFF, 0xFF, 0, 0}},
       {kRed, kGreen, kBlue, kWhite}},
      {"32 bit",
       {.width = 2, .height = 1, .bitCount = 32, .data = {0x56, 0x34, 0x12, 0x99, 1, 2, 3, 0}},
       {0x123456, 0x030201}},
      {"16 bit 555",
       {.width = 2, .height = 1, .bitCount = 16, .data = {0x00, 0x7C, 0xFF, 0x03}},
       {kRed, 0x00FFFF}},
      {"16 bit 565 bit fields",
       {.width = 3,
        .height = 1,
        .bitCount = 16,
        .compression = 3,
        .masks = {0xF800, 0x07E0, 0x001F},
        .data = {0x00, 0xF8, 0x00, 0x04, 0x01, 0x00, 0, 0}},
       {kRed, 0x008200, 0x000008}},
      {"32 bit alpha bit fields",
       {.width = 1,
        .height = 1,
        .bitCount = 32,
        .compression = 6,
        .masks = {0xFF000000, 0x00FF0000, 0x0000FF00, 0x000000FF},
        .data = {0x80, 0x56, 0x34, 0x12}},
       {0x123456}},
      {"32 bit bit fields in a v5 header",
       {.width = 1,
        .height = 1,
        .bitCount = 32,
        .compression = 3,
        .headerSize = 124,
        .masks = {0x3FF00000, 0x000FFC00, 0x000003FF},
        .data = {0xFF, 0x03, 0x00, 0x00}},
       {0x0000FF}},
      {"v4 header 24 bit", {.width = 1, .height = 1, .headerSize = 108, .data = {1, 2, 3, 0}}, {0x030201}},
      {"1 bit",
       {.width = 10, .height = 1, .bitCount = 1, .palette = {kRed, kBlue}, .data = {0xA0, 0x40, 0, 0}},
       {kBlue, kRed, kBlue, kRed, kRed, kRed, kRed, kRed, kRed, kBlue}},
      {"4 bit short palette",
       {.width = 3,
        .height = 1,
        .bitCount = 4,
        .palette = {kRed, kGreen, kBlue},
        .colorsUsed = 3,
        .data = {0x21, 0xF0, 0, 0}},
       {kBlue, kGreen, 0}},
      {"8 bit",
       {.width = 2,
        .height = 1,
        .bitCount = 8,
        .palette = {kRed, kGreen},
        .colorsUsed = 2,
        .data = {1, 0, 0, 0}},
       {kGreen, kRed}},
      {"OS/2 core 8 bit",
       {.width = 2,
        .height = 2,
        .bitCount = 8,
        .headerSize = 12,
        .palette = {kRed, kGreen},
        .data = {0, 1, 0, 0, 1, 1, 0, 0}},
       {kGreen, kGreen, kRed, kGreen}},
      {"OS/2 core 24 bit", {.width = 1, .height = 1, .headerSize = 12, .data = {3, 2, 1, 0}}, {0x010203}},
      // RLE8: run of 3, end of line, absolute 3 (padded), end of bitmap; the skipped pixel takes colour 0.
      {"RLE8",
       {.width = 4,
        .height = 2,
        .bitCount = 8,
        .compression = 1,
        .palette = {kWhite, kRed, kGreen, kBlue},
        .colorsUsed = 4,
        .data = {3, 1, 0, 0, 0, 3, 2, 3, 2, 0, 0, 1}},
       {kGreen, kBlue, kGreen, kWhite, kRed, kRed, kRed, kWhite}},
      // RLE8 delta: skip right 2 and up 1, then a run of 2 clipped to the row's end.
      {"RLE8 delta",
       {.width = 3,
        .height = 2,
        .bitCount = 8,
        .compression = 1,
        .palette = {kWhite, kRed},
        .colorsUsed = 2,
        .data = {0, 2, 2, 1, 2, 1, 0, 1}},
       {kWhite, kWhite, kRed, kWhite, kWhite, kWhite}},
      // RLE4: run of 3 alternating nibbles, end of line, absolute 3 nibbles (2 bytes), end of bitmap.
      {"RLE4",
       {.width = 3,
        .height = 2,
        .bitCount = 4,
        .compression = 2,
        .palette = {kWhite, kRed, kGreen, kBlue},
        .colorsUsed = 4,
        .data = {3, 0x12, 0, 0, 0, 3, 0x32, 0x10, 0, 1}},
       {kBlue, kGreen, kRed, kRed, kGreen, kRed}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    try {
      const RgbImage image = DecodeBmp(MakeBmp(c.spec));
      EXPECT_EQ(image.width, c.spec.width);
      EXPECT_EQ(image.height, std::abs(c.spec.height));
      EXPECT_EQ(Colours(image), c.expected);
    } catch (const Error& e) {
      ADD_FAILURE() << e.what();
    }
  }
}

TEST(Bmp, BrokenFilesFailCleanly) {
  const Bytes good = MakeBmp({.width = 2, .height = 2, .data = Bytes(16, 0)});
  const auto with = [&](std::size_t at, std::uint32_t value, int width) {
    Bytes b = good;
    fx::PutLE(b, at, value, width);
    return b;
  };
  struct Case {
    const char* name;
    Bytes file;
    const char* message;
  };
  const Case cases[] = {
      {"empty", {}, "The BMP file is damaged: it does not begin with a BMP header."},
      {"not BM", with(0, 0x4D41, 2), "The BMP file is damaged: it does not begin with a BMP header."},
      {"header cut", Bytes(good.begin(), good.begin() + 30),
       "The BMP file is damaged: the header is cut short."},
      {"pixels cut", Bytes(good.begin(), good.end() - 6),
       "The BMP file is damaged: the pixel data is cut short."},
      {"offset outside", with(10, 1000, 4), "The BMP file is damaged: the pixel data lies outside the file."},
      {"offset near end", with(10, 60, 4), "The BMP file is damaged: the pixel data is cut short."},
      {"header size", with(14, 41, 4), "The BMP file is damaged: its header size 41 is unknown."},
      {"zero width", with(18, 0, 4), "The BMP file: the picture has no pixels."},
      {"negative width", with(18, 0xFFFFFFFE, 4), "The BMP file is damaged: its width is negative."},
      {"height INT_MIN", with(22, 0x80000000, 4), "The BMP file: the picture is too large (2 x 2147483648)."},
      {"absurd size", with(18, 0x7FFFFFFF, 4), "The BMP file: the picture is too large (2147483647 x 2)."},
      {"too many pixels", with(22, 65535, 4) /* and 65535 x 65535 below */, nullptr},
      {"bits", with(28, 7, 2), "The BMP file is damaged: 7 bits per pixel are not supported."},
      {"compression", with(30, 4, 4), "The BMP file is damaged: its compression is not supported."},
      {"rle on 24 bit", with(30, 1, 4),
       "The BMP file is damaged: the compression does not match the bits per pixel."},
      {"masks on 24 bit", with(30, 3, 4),
       "The BMP file is damaged: colour masks need 16 or 32 bits per pixel."},
      {"no palette", MakeBmp({.width = 1, .height = 1, .bitCount = 8, .data = {0, 0, 0, 0}}),
       "The BMP file is damaged: the colour table is missing."},
      {"rle cut",
       MakeBmp({.width = 4,
                .height = 2,
                .bitCount = 8,
                .compression = 1,
                .palette = {kRed},
                .colorsUsed = 1,
                .data = {2, 0, 0}}),
       "The BMP file is damaged: the compressed pixel data is cut short."},
      {"rle absolute cut",
       MakeBmp({.width = 4,
                .height = 2,
                .bitCount = 8,
                .compression = 1,
                .palette = {kRed},
                .colorsUsed = 1,
                .data = {0, 200, 1}}),
       "The BMP file is damaged: the compressed pixel data is cut short."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    try {
      DecodeBmp(c.file);
      ADD_FAILURE() << "accepted";
    } catch (const Error& e) {
      if (c.message != nullptr) {
        EXPECT_STREQ(e.what(), c.message);
      }
    }
  }
  // The pixel cap holds before anything is allocated.
  Bytes huge = with(18, 65535, 4);
  fx::PutLE(huge, 22, 65535, 4);
  EXPECT_THROW(DecodeBmp(huge), Error);
  EXPECT_THROW(DecodeBmp(good, DecodeLimits{.maxSide = 1}), Error);
}

}  // namespace
}  // namespace panelix::picture
