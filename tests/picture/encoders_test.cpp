#include "picture/encoders.h"

#include <gtest/gtest.h>

#include "base/error.h"
#include "fixtures.h"

namespace panelix::picture {
namespace {

using fx::Bytes;
using fx::Picture;

PictureOptions Opt(PixelFormat format, ChannelOrder order = ChannelOrder::Rgb, bool mirrorX = false,
                   bool mirrorY = false, bool padding = false) {
  PictureOptions o;
  o.format = format;
  o.order = order;
  o.mirrorX = mirrorX;
  o.mirrorY = mirrorY;
  o.rowPadding = padding;
  return o;
}

constexpr auto k565 = PixelFormat::R5G6B5;
constexpr auto k888 = PixelFormat::R8G8B8;
constexpr auto kBw = PixelFormat::BlackWhite;
constexpr auto kRgb = ChannelOrder::Rgb;
constexpr auto kBgr = ChannelOrder::Bgr;

TEST(Encoders, BytesForFormatsOrdersMirrorsAndPadding) {
  const RgbImage red = Picture(1, 1, {0xFF0000});
  const RgbImage mixed = Picture(1, 1, {0x123456});
  const RgbImage abc = Picture(3, 1, {0x000008, 0x000010, 0x000018});  // 5-bit blue 1, 2, 3
  const RgbImage column = Picture(1, 3, {0x000008, 0x000010, 0x000018});
  const RgbImage square = Picture(2, 2, {0x000008, 0x000010, 0x000018, 0x000020});
  const RgbImage five = Picture(5, 1, {0x000008, 0x000008, 0x000008, 0x000008, 0x000008});
  // black, white, black, black, then six non-black pixels (one of them near-black)
  const RgbImage ten =
      Picture(10, 1, {0, 0xFFFFFF, 0, 0, 0x000001, 0x010000, 0x000100, 0x808080, 0xFFFFFF, 0x00FF00});
  struct Case {
    const char* name;
    const RgbImage& picture;
    PictureOptions options;
    Bytes expected;
  };
  const Case cases[] = {
      {"565 RGB red", red, Opt(k565, kRgb), {0x00, 0xF8}},
      {"565 BGR red", red, Opt(k565, kBgr), {0x1F, 0x00}},
      {"565 RGB mixed", mixed, Opt(k565, kRgb), {0xAA, 0x11}},  // r5 2, g6 13, b5 10 -> 0x11AA
      {"565 white", Picture(1, 1, {0xFFFFFF}), Opt(k565), {0xFF, 0xFF}},
      {"888 RGB", mixed, Opt(k888, kRgb), {0x56, 0x34, 0x12}},
      {"888 BGR", mixed, Opt(k888, kBgr), {0x12, 0x34, 0x56}},
      {"mirror X", abc, Opt(k565, kRgb, true), {3, 0, 2, 0, 1, 0}},
      {"mirror Y", column, Opt(k565, kRgb, false, true), {3, 0, 2, 0, 1, 0}},
      {"no mirror", square, Opt(k565), {1, 0, 2, 0, 3, 0, 4, 0}},
      {"half turn", square, Opt(k565, kRgb, true, true), {4, 0, 3, 0, 2, 0, 1, 0}},
      {"565 pad 5x1",
       five,
       Opt(k565, kRgb, false, false, true),
       {1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
      {"888 pad 1x1",
       red,
       Opt(k888, kRgb, false, false, true),
       {0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
      {"888 no pad at width 4", Picture(4, 1, {0, 0, 0, 0}), Opt(k888, kRgb, false, false, true),
       Bytes(12, 0)},
      {"bw row of ten", ten, Opt(kBw), {0xB0, 0x00}},
      {"bw mirror X", ten, Opt(kBw, kRgb, true), {0x03, 0x40}},
      {"bw ignores order", ten, Opt(kBw, kBgr), {0xB0, 0x00}},
      {"bw pad", ten, Opt(kBw, kRgb, false, false, true), {0xB0, 0x00, 0xFF, 0xFF}},
      {"empty", RgbImage{}, Opt(k888, kRgb, false, false, true), {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(EncodePicture(c.picture, c.options), c.expected);
    EXPECT_EQ(EncodedSize(c.picture.width, c.picture.height, c.options.format, c.options.rowPadding),
              static_cast<std::int64_t>(c.expected.size()));
  }
}

TEST(Encoders, BlackWhiteRowsAndPaddingSizes) {
  // 33 x 2, all black: 5 data bytes per row (last one holds one bit), 3 padding bytes with padding.
  RgbImage black = MakeRgbImage(33, 2);
  const Bytes row = {0xFF, 0xFF, 0xFF, 0xFF, 0x80};
  Bytes plain = row;
  plain.insert(plain.end(), row.begin(), row.end());
  EXPECT_EQ(EncodeBlackWhite(black, Opt(kBw)), plain);
  Bytes padded = row;
  padded.insert(padded.end(), {0xFF, 0xFF, 0xFF});
  padded.insert(padded.end(), row.begin(), row.end());
  padded.insert(padded.end(), {0xFF, 0xFF, 0xFF});
  EXPECT_EQ(EncodeBlackWhite(black, Opt(kBw, kRgb, false, false, true)), padded);

  struct Size {
    std::int32_t w, h;
    PixelFormat format;
    bool padding;
    std::int64_t bytes;
  };
  const Size sizes[] = {
      {480, 272, k565, false, 0x3FC00}, {100, 50, kBw, false, 0x28A}, {32, 3, kBw, true, 12},
      {33, 2, kBw, false, 10},          {3, 1, k565, true, 8},        {0, 5, k888, true, 0},
  };
  for (const auto& s : sizes) {
    EXPECT_EQ(EncodedSize(s.w, s.h, s.format, s.padding), s.bytes) << s.w << "x" << s.h;
  }
}

TEST(Encoders, SizesThatDoNotFitThirtyTwoBitsAreRefused) {
  EXPECT_EQ(CheckedEncodedSize(32768, 32767, k565, false), 2147418112);
  try {
    CheckedEncodedSize(32768, 32768, k565, false);
    FAIL() << "2^31 bytes accepted";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "The picture is too large to convert (32768 x 32768).");
  }
  EXPECT_THROW(CheckedEncodedSize(65535, 65535, k888, true), Error);
  EXPECT_EQ(CheckedEncodedSize(65535, 65535, kBw, false), 65535 * 8192);
}

TEST(Encoders, ProgressIsReportedPerRowAndCanStop) {
  const RgbImage picture = MakeRgbImage(2, 3);
  std::vector<std::int64_t> seen;
  EncodeR8G8B8(picture, Opt(k888), [&](std::int64_t done, std::int64_t total) {
    EXPECT_EQ(total, 3);
    seen.push_back(done);
    return true;
  });
  EXPECT_EQ(seen, (std::vector<std::int64_t>{0, 1, 2, 3}));
  EXPECT_THROW(EncodeR5G6B5(picture, Opt(k565), [](std::int64_t done, std::int64_t) { return done < 2; }),
               Stopped);
}

TEST(Encoders, Argb4444FromTheFilesOwnPixels) {
  PngPicture png;
  png.colorType = 6;
  png.image = Picture(4, 1, {0x123456, 0x123456, 0x123456, 0xFFFFFF});
  png.image.alpha = {0x80, 0xFF, 0x0F, 0x00};
  const RgbImage preview = MakeRgbImage(4, 1);
  std::vector<std::string> messages;
  const MessageFn sink = [&](const std::string& t) { messages.push_back(t); };
  EXPECT_EQ(EncodeArgb4444(png, preview, Rotation::None, Opt(k565, kBgr), sink),
            (Bytes{0x35, 0x81, 0x35, 0xF1, 0x35, 0x01, 0xFF, 0x0F}));
  EXPECT_EQ(EncodeArgb4444(png, preview, Rotation::None, Opt(k565, kRgb, true), sink),
            (Bytes{0xFF, 0x0F, 0x35, 0x01, 0x35, 0xF1, 0x35, 0x81}));

  // 3 x 1 with padding: 6 pixel bytes and one 0xFF pixel.
  PngPicture three;
  three.colorType = 4;
  three.image = Picture(3, 1, {0, 0, 0});
  three.image.alpha = {0xFF, 0xFF, 0xFF};
  EXPECT_EQ(
      EncodeArgb4444(three, MakeRgbImage(3, 1), Rotation::None, Opt(k888, kRgb, false, false, true), sink),
      (Bytes{0x00, 0xF0, 0x00, 0xF0, 0x00, 0xF0, 0xFF, 0xFF}));

  // Turned with the preview: the file's pixels and alpha follow the rotation it was loaded with.
  PngPicture two;
  two.colorType = 6;
  two.image = Picture(2, 1, {0x100000, 0x200000});
  two.image.alpha = {0x10, 0x20};
  EXPECT_EQ(EncodeArgb4444(two, MakeRgbImage(1, 2), Rotation::Right90, Opt(k565), sink),
            (Bytes{0x00, 0x11, 0x00, 0x22}));
  EXPECT_EQ(EncodeArgb4444(two, MakeRgbImage(1, 2), Rotation::Left90, Opt(k565), sink),
            (Bytes{0x00, 0x22, 0x00, 0x11}));
  EXPECT_THROW(EncodeArgb4444(two, MakeRgbImage(2, 1), Rotation::Right90, Opt(k565), sink), Error);
  EXPECT_TRUE(messages.empty());

  // Without an alpha channel the picture is stored as 5-6-5 after the message.
  PngPicture opaque;
  opaque.colorType = 2;
  opaque.image = Picture(1, 1, {0xFF0000});
  EXPECT_EQ(EncodeArgb4444(opaque, Picture(1, 1, {0xFF0000}), Rotation::None, Opt(k888), sink),
            (Bytes{0x00, 0xF8}));
  EXPECT_EQ(messages, std::vector<std::string>{"The png don't have Alpha"});
}

}  // namespace
}  // namespace panelix::picture
