#include "picture/loading.h"

#include <gtest/gtest.h>

#include "base/error.h"
#include "fixtures.h"
#include "support/cli_runner.h"

namespace panelix::picture {
namespace {

using fx::Bytes;
using fx::Colours;

ConvertOptions Options(PixelFormat format = PixelFormat::R5G6B5, std::string threshold = "150") {
  ConvertOptions o;
  o.picture.format = format;
  o.alphaThreshold = std::move(threshold);
  return o;
}

TEST(Classify, SubstringsInOrderAfterTheFirstCharacter) {
  struct Case {
    const char* path;
    PictureKind kind;
  };
  const Case cases[] = {
      {"/ui/a.png", PictureKind::Png},     {"/ui/a.PNG", PictureKind::Png},
      {"/ui/a.jpeg", PictureKind::Jpeg},   {"/ui/a.JPG", PictureKind::Jpeg},
      {"/ui/a.BMP", PictureKind::Bmp},     {"/ui/photo.Jpg", PictureKind::None},
      {"/ui/c.Png", PictureKind::None},    {"/shots.png/cat.bmp", PictureKind::Png},
      {"/x.bmp/y.jpg", PictureKind::Jpeg}, {".png", PictureKind::None},
      {".png/x.png", PictureKind::None},   {"a.gif", PictureKind::None},
      {"x.bmp.jpg", PictureKind::Jpeg},    {"", PictureKind::None},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ClassifyPicture(c.path), c.kind) << c.path;
  }
}

// One RGBA PNG pixel row: (R, G, B, A) per pixel.
Bytes Rgba(std::initializer_list<std::uint32_t> rgba) {
  Bytes b;
  for (std::uint32_t v : rgba) {
    b.insert(b.end(), {static_cast<std::uint8_t>(v >> 24), static_cast<std::uint8_t>(v >> 16),
                       static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)});
  }
  return b;
}

TEST(PngLoading, AlphaTreatmentLiftsVisibleBlackAndBlackensTheRest) {
  const Bytes png =
      fx::EncodePng(6, 1, 6, Rgba({0x000000C8, 0x070307C8, 0x080000C8, 0x12345696, 0x010001FF, 0x020000FF}));
  struct Case {
    PixelFormat format;
    const char* threshold;
    std::vector<std::uint32_t> colours;
  };
  const Case cases[] = {
      {PixelFormat::R5G6B5, "150", {0x080408, 0x0F070F, 0x080000, 0x000000, 0x090409, 0x0A0408}},
      {PixelFormat::R8G8B8, "150", {0x020202, 0x070307, 0x080000, 0x000000, 0x030203, 0x020000}},
      {PixelFormat::BlackWhite, "149", {0x020202, 0x070307, 0x080000, 0x123456, 0x030203, 0x020000}},
      {PixelFormat::R5G6B5, "300", {0, 0, 0, 0, 0, 0}},
      {PixelFormat::R5G6B5, "255", {0, 0, 0, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.threshold);
    const RgbImage image = LoadPictureBytes(png, PictureKind::Png, Options(c.format, c.threshold));
    EXPECT_FALSE(image.HasAlpha());
    EXPECT_EQ(Colours(image), c.colours);
  }
}

TEST(PngLoading, FilesWithoutAnAlphaChannelAreTakenAsTheyAre) {
  // Indexed with a transparent palette entry: tRNS is not alpha.
  const Bytes indexed = fx::EncodePng(2, 1, 3, {0, 1}, 8, {{0, 0, 0, 255}, {10, 20, 30, 255}}, {0});
  EXPECT_EQ(Colours(LoadPictureBytes(indexed, PictureKind::Png, Options())),
            (std::vector<std::uint32_t>{0x000000, 0x0A141E}));
  // 4-bit grey expands to R = G = B; 16-bit samples (handed to the encoder in host order) keep their high
  // byte.
  const Bytes grey = fx::EncodePng(2, 1, 0, {0x0F}, 4);
  EXPECT_EQ(Colours(LoadPictureBytes(grey, PictureKind::Png, Options())),
            (std::vector<std::uint32_t>{0x000000, 0xFFFFFF}));
  const Bytes deep = fx::EncodePng(1, 1, 2, {0xFF, 0x12, 0x00, 0x34, 0x80, 0x56}, 16);
  EXPECT_EQ(Colours(LoadPictureBytes(deep, PictureKind::Png, Options())),
            std::vector<std::uint32_t>{0x123456});
  // Grey with alpha is treated like truecolour with alpha.
  const Bytes greyAlpha = fx::EncodePng(2, 1, 4, {0x00, 0xFF, 0x40, 0x10});
  EXPECT_EQ(Colours(LoadPictureBytes(greyAlpha, PictureKind::Png, Options())),
            (std::vector<std::uint32_t>{0x080408, 0x000000}));
}

TEST(PngLoading, TheThresholdIsReadOnlyForPngFiles) {
  test::TempDir dir;
  const auto png = (dir / "a.png").string();
  const auto jpg = (dir / "b.jpg").string();
  test::WriteBytes(png, fx::EncodePng(1, 1, 6, Rgba({0xFFFFFFFF})));
  test::WriteBytes(jpg, fx::EncodeJpeg(fx::Picture(1, 1, {0x808080})));
  for (const char* bad : {"", "abc", "12x"}) {
    try {
      LoadPicture(png, Options(PixelFormat::R5G6B5, bad));
      FAIL() << "threshold '" << bad << "' accepted";
    } catch (const ConversionError& e) {
      EXPECT_EQ(std::string(e.what()), std::string("'") + bad + "' is not a valid integer value");
    }
  }
  EXPECT_EQ(LoadPicture(jpg, Options(PixelFormat::R5G6B5, "")).width, 1);
  EXPECT_EQ(ReadAlphaThreshold("300"), 255);
}

TEST(PictureLoading, JpegDecodesAtFullScale) {
  RgbImage flat = MakeRgbImage(16, 8);
  for (std::size_t i = 0; i < flat.rgb.size(); i += 3) {
    flat.rgb[i] = 200;
    flat.rgb[i + 1] = 100;
    flat.rgb[i + 2] = 50;
  }
  const RgbImage image = LoadPictureBytes(fx::EncodeJpeg(flat), PictureKind::Jpeg, Options());
  ASSERT_EQ(image.width, 16);
  ASSERT_EQ(image.height, 8);
  for (std::size_t i = 0; i < image.rgb.size(); i += 3) {
    EXPECT_NEAR(image.rgb[i], 200, 2);
    EXPECT_NEAR(image.rgb[i + 1], 100, 2);
    EXPECT_NEAR(image.rgb[i + 2], 50, 2);
  }
}

TEST(PictureLoading, BrokenFilesFailWithAClearMessage) {
  const Bytes png = fx::EncodePng(4, 4, 2, Bytes(48, 7));
  const Bytes jpeg = fx::EncodeJpeg(MakeRgbImage(8, 8));
  struct Case {
    const char* name;
    Bytes file;
    PictureKind kind;
    const char* prefix;
  };
  Bytes badCrc = png;
  badCrc[29] ^= 1;  // inside IHDR's CRC
  const Case cases[] = {
      {"empty png", {}, PictureKind::Png, "The PNG file is damaged"},
      {"cut png", Bytes(png.begin(), png.begin() + 40), PictureKind::Png, "The PNG file is damaged"},
      {"png crc", badCrc, PictureKind::Png, "The PNG file is damaged"},
      {"bmp as png", fx::MakeBmp({}), PictureKind::Png, "The PNG file is damaged"},
      {"empty jpeg", {}, PictureKind::Jpeg, "The JPEG file"},
      {"jpeg header only", Bytes(jpeg.begin(), jpeg.begin() + 20), PictureKind::Jpeg, "The JPEG file"},
      {"png as jpeg", png, PictureKind::Jpeg, "The JPEG file"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    try {
      LoadPictureBytes(c.file, c.kind, Options());
      ADD_FAILURE() << "accepted";
    } catch (const Error& e) {
      EXPECT_EQ(std::string(e.what()).rfind(c.prefix, 0), 0U) << e.what();
    }
  }
  test::TempDir dir;
  EXPECT_THROW(LoadPicture((dir / "missing.png").string(), Options()), Error);
  // A file in a folder named like a PNG is decoded as PNG, and fails.
  std::filesystem::create_directories(dir / "shots.png");
  test::WriteBytes(dir / "shots.png" / "cat.bmp", fx::MakeBmp({}));
  EXPECT_THROW(LoadPicture((dir / "shots.png" / "cat.bmp").string(), Options()), Error);
}

TEST(Rotation, QuarterTurnsMoveCornersAndAlpha) {
  // 3 x 2:  1 2 3
  //         4 5 6
  RgbImage source = fx::Picture(3, 2, {1, 2, 3, 4, 5, 6});
  source.alpha = {11, 12, 13, 14, 15, 16};
  const RgbImage right = RotatePicture(source, Rotation::Right90);
  EXPECT_EQ(right.width, 2);
  EXPECT_EQ(right.height, 3);
  EXPECT_EQ(Colours(right), (std::vector<std::uint32_t>{4, 1, 5, 2, 6, 3}));
  EXPECT_EQ(right.alpha, (Bytes{14, 11, 15, 12, 16, 13}));
  const RgbImage left = RotatePicture(source, Rotation::Left90);
  EXPECT_EQ(Colours(left), (std::vector<std::uint32_t>{3, 6, 2, 5, 1, 4}));
  EXPECT_EQ(Colours(RotatePicture(source, Rotation::None)), Colours(source));
  EXPECT_EQ(Colours(RotatePicture(right, Rotation::Left90)), Colours(source));
}

TEST(Preview, KindIsSetBeforeDecodingAndAFailedLoadKeepsThePicture) {
  test::TempDir dir;
  const auto good = (dir / "a.bmp").string();
  test::WriteBytes(good, fx::MakeBmp({.width = 3, .height = 2, .data = Bytes(24, 0x40)}));
  test::WriteBytes(dir / "b.png", {1, 2, 3});
  ConvertOptions options = Options();
  options.picture.rotation = Rotation::Right90;
  Preview preview;
  EXPECT_TRUE(LoadPreview(preview, good, options));
  EXPECT_EQ(preview.image.width, 2);
  EXPECT_EQ(preview.rotation, Rotation::Right90);
  EXPECT_THROW(LoadPreview(preview, (dir / "b.png").string(), options), Error);
  EXPECT_EQ(preview.kind, PictureKind::Png);
  EXPECT_EQ(preview.path, (dir / "b.png").string());
  EXPECT_EQ(preview.image.width, 2);
  EXPECT_FALSE(LoadPreview(preview, (dir / "x.gif").string(), options));
  EXPECT_EQ(preview.kind, PictureKind::None);
  EXPECT_EQ(preview.image.height, 3);
}

}  // namespace
}  // namespace panelix::picture
