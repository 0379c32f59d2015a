#include "readback/extract.h"

#include <gtest/gtest.h>

#include "inspect/inspect_fixture.h"
#include "picture/decoders.h"
#include "picture/encoders.h"

namespace panelix::inspect {
namespace {

using namespace panelix::inspect::test;

std::uint8_t Widened(std::uint8_t value, int bits) {
  const std::uint32_t top = value >> (8 - bits);
  std::uint32_t wide = top << (8 - bits);
  for (int shift = bits; shift < 8; shift += bits) {
    wide |= (top << (8 - bits)) >> shift;
  }
  return static_cast<std::uint8_t>(wide);
}

picture::RgbImage Gradient(int width, int height) {
  picture::RgbImage image = picture::MakeRgbImage(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      std::uint8_t* p = image.Pixel(x, y);
      p[0] = static_cast<std::uint8_t>(x * 37 + y);
      p[1] = static_cast<std::uint8_t>(y * 53 + 7);
      p[2] = static_cast<std::uint8_t>((x ^ y) * 29);
    }
  }
  return image;
}

// Pictures of a converter bin, extracted, equal their source pictures encoded and widened; each
// format and row padding in turn.
TEST(ExtractTest, PicturesComeBackAsTheirSourcesEncodedAndWidened) {
  struct Case {
    picture::PixelFormat format;
    bool padding;
    int width;
  };
  for (const Case c :
       {Case{picture::PixelFormat::R5G6B5, false, 7}, Case{picture::PixelFormat::R5G6B5, true, 5},
        Case{picture::PixelFormat::R8G8B8, false, 6}, Case{picture::PixelFormat::R8G8B8, true, 5},
        Case{picture::PixelFormat::BlackWhite, false, 11}}) {
    SCOPED_TRACE(static_cast<int>(c.format) * 10 + c.padding);
    TempDir dir;
    picture::RgbImage source = Gradient(c.width, 3);
    if (c.format == picture::PixelFormat::BlackWhite) {
      for (std::size_t i = 0; i < source.rgb.size(); i += 6) {
        source.rgb[i] = source.rgb[i + 1] = source.rgb[i + 2] = 0;
      }
    }
    picture::PictureOptions options;
    options.format = c.format;
    options.rowPadding = c.padding;
    const std::vector<std::uint8_t> bytes = picture::EncodePicture(source, options);
    WriteBytes(dir / "Picture-a.bin", bytes);
    WriteText(dir / "Picture-a-Addr.txt",
              Row(c.width, 3, 0, static_cast<std::uint32_t>(bytes.size()), "a.png"));
    const ImageFile file(dir / "Picture-a.bin");
    const Inspection in = InspectConverterBin(file, dir / "Picture-a-Addr.txt");
    ASSERT_EQ(in.problems, std::vector<std::string>{});
    ExtractOptions extract;
    extract.folder = dir / "out";
    ExtractImage(file, in, extract, NoMessage);
    const picture::PngPicture png = picture::DecodePng(ReadBytes(dir / "out/picture-0000.png"));
    ASSERT_EQ(png.image.width, c.width);
    for (std::size_t i = 0; i < source.rgb.size(); ++i) {
      const int channel = static_cast<int>(i % 3);
      std::uint8_t expected = source.rgb[i];
      if (c.format == picture::PixelFormat::R5G6B5) {
        expected = Widened(expected, channel == 1 ? 6 : 5);
      } else if (c.format == picture::PixelFormat::BlackWhite) {
        const std::size_t px = i / 3 * 3;
        const bool black = source.rgb[px] == 0 && source.rgb[px + 1] == 0 && source.rgb[px + 2] == 0;
        expected = black ? 0 : 255;
      }
      ASSERT_EQ(png.image.rgb[i], expected) << "byte " << i;
    }
  }
}

// A whole image: every picture, the font, the cursor, the sound and the bootloader become files.
TEST(ExtractTest, ImageGivesEveryKindOfFile) {
  const SampleProject project;
  const ImageFile file(project.WriteImage());
  const Inspection in = InspectFile(file);
  const auto out = project.dir / "out";
  ExtractOptions options;
  options.folder = out;
  const ExtractResult result = ExtractImage(file, in, options, NoMessage);
  EXPECT_EQ(result.files, in.pictures.size() + 4);
  EXPECT_TRUE(std::filesystem::exists(out / "picture-0000.png"));
  EXPECT_EQ(picture::DecodePng(ReadBytes(out / "font-slot1.png")).image.height, 17 + 1);
  const picture::PngPicture cursor = picture::DecodePng(ReadBytes(out / "cursor-0.png"));
  EXPECT_EQ(cursor.image.width, 32);
  const std::vector<std::uint8_t> wav = ReadBytes(out / "sound-0.wav");
  ASSERT_EQ(wav.size(), 44u + 0x80);
  EXPECT_EQ(std::vector<std::uint8_t>(wav.begin() + 44, wav.end()), Pattern(0x80, 6));
  const std::vector<std::uint8_t> text = ReadBytes(out / "bootloader.txt");
  EXPECT_NE(std::string(text.begin(), text.end()).find("61 72 77 63 77 62 78 67 //ID"), std::string::npos);
}

}  // namespace
}  // namespace panelix::inspect
