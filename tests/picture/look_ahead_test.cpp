#include "picture/look_ahead.h"

#include <gtest/gtest.h>

#include "base/error.h"
#include "fixtures.h"
#include "support/cli_runner.h"

namespace panelix::picture {
namespace {

using fx::Bytes;

// A preview after a load, or the load's failure, in comparable form.
struct Loaded {
  bool shown = false;
  std::string error;
  std::string path;
  PictureKind kind = PictureKind::None;
  std::int32_t width = 0;
  std::int32_t height = 0;
  Bytes rgb;
  Bytes alpha;
  Rotation rotation = Rotation::None;
  std::vector<std::string> warnings;
  bool operator==(const Loaded&) const = default;
};

template <typename Load>
Loaded Outcome(Load&& load) {
  Preview preview;
  preview.image = fx::Picture(1, 1, {0x102030});
  Loaded out;
  try {
    out.shown = load(preview);
  } catch (const Error& e) {
    out.error = e.what();
  }
  out.path = preview.path;
  out.kind = preview.kind;
  out.width = preview.image.width;
  out.height = preview.image.height;
  out.rgb = preview.image.rgb;
  out.alpha = preview.image.alpha;
  out.rotation = preview.rotation;
  out.warnings = preview.warnings;
  return out;
}

// The files a folder of pictures may hold, good and bad.
std::vector<std::string> WritePictures(const test::TempDir& dir) {
  Bytes rgba;
  for (std::uint32_t i = 0; i < 12; ++i) {
    rgba.insert(rgba.end(), {static_cast<std::uint8_t>(i), 1, 2, static_cast<std::uint8_t>(i * 25)});
  }
  Bytes jpeg = fx::EncodeJpeg(fx::Picture(2, 1, {0x808080, 0x404040}));
  for (std::size_t i = 0; i + 1 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xDA) {
      jpeg.insert(jpeg.begin() + static_cast<std::ptrdiff_t>(i), {0x00, 0x00});  // warns
      break;
    }
  }
  const Bytes rgb = fx::EncodePng(3, 2, 2, Bytes(18, 0x33));
  test::WriteBytes(dir / "alpha.png", fx::EncodePng(4, 3, 6, rgba));
  test::WriteBytes(dir / "rgb.png", rgb);
  test::WriteBytes(dir / "cut.png", Bytes(rgb.begin(), rgb.begin() + 40));
  test::WriteBytes(dir / "warns.jpg", jpeg);
  test::WriteBytes(dir / "a.bmp", fx::MakeBmp({.width = 3, .height = 2, .data = Bytes(24, 0x40)}));
  test::WriteBytes(dir / "bad.bmp", {'B', 'M', 1});
  std::vector<std::string> paths;
  for (const char* name :
       {"alpha.png", "rgb.png", "cut.png", "warns.jpg", "a.bmp", "bad.bmp", "missing.png", "x.gif"}) {
    paths.push_back((dir / name).string());
  }
  return paths;
}

TEST(LookAhead, ADecodedFileLoadsAsTheFileItselfUnderEveryOption) {
  test::TempDir dir;
  const std::vector<std::string> paths = WritePictures(dir);
  std::vector<ConvertOptions> optionSets(5);
  optionSets[1].picture.format = PixelFormat::BlackWhite;
  optionSets[1].alphaThreshold = "0";
  optionSets[1].picture.rotation = Rotation::Right90;
  optionSets[1].picture.rowPadding = true;
  optionSets[2].picture.format = PixelFormat::R8G8B8;
  optionSets[2].alphaThreshold = "";  // refused, but only for PNG files
  optionSets[2].picture.rotation = Rotation::Left90;
  optionSets[3].alphaThreshold = "300";
  optionSets[3].argbPng = true;
  optionSets[4].limits.maxPixels = 7;  // refuses the bigger pictures
  for (const std::string& path : paths) {
    for (std::size_t i = 0; i < optionSets.size(); ++i) {
      SCOPED_TRACE(path + ", options " + std::to_string(i));
      const ConvertOptions& options = optionSets[i];
      const Loaded direct = Outcome([&](Preview& p) { return LoadPreview(p, path, options); });
      const Loaded ahead = Outcome(
          [&](Preview& p) { return LoadDecodedPreview(p, DecodeFile(path, options.limits), options); });
      EXPECT_EQ(ahead, direct) << "direct: " << direct.error << " / ahead: " << ahead.error;
    }
  }
}

TEST(LookAhead, TakesWhatWasAskedForAndDecodesTheRestOnTheSpot) {
  test::TempDir dir;
  const std::vector<std::string> paths = WritePictures(dir);
  const ConvertOptions options;
  ConvertOptions small;
  small.limits.maxPixels = 11;
  const auto viaAhead = [&](LookAhead& ahead, const std::string& path, const ConvertOptions& o = {}) {
    return Outcome([&](Preview& p) { return LoadDecodedPreview(p, ahead.Take(path, o.limits), o); });
  };
  const auto direct = [&](const std::string& path, const ConvertOptions& o = {}) {
    return Outcome([&](Preview& p) { return LoadPreview(p, path, o); });
  };
  LookAhead ahead(3);
  // In order, as a run asks: each step takes its picture and asks for the next ones.
  for (std::size_t i = 0; i < paths.size(); ++i) {
    SCOPED_TRACE(paths[i]);
    ahead.Ahead({paths.begin() + static_cast<std::ptrdiff_t>(i), paths.end()}, options.limits);
    EXPECT_EQ(viaAhead(ahead, paths[i]), direct(paths[i]));
  }
  // Out of order, with other limits than asked for, twice, and after being dropped.
  ahead.Ahead({paths[0], paths[1], paths[0]}, options.limits);
  EXPECT_EQ(viaAhead(ahead, paths[1]), direct(paths[1]));
  const Loaded refused = direct(paths[0], small);
  EXPECT_NE(refused.error, "");
  EXPECT_EQ(viaAhead(ahead, paths[0], small), refused);
  EXPECT_EQ(viaAhead(ahead, paths[0]), direct(paths[0]));
  EXPECT_EQ(viaAhead(ahead, paths[0]), direct(paths[0]));
  ahead.Ahead({paths[4]}, options.limits);
  ahead.Drop();
  EXPECT_EQ(viaAhead(ahead, paths[4]), direct(paths[4]));
}

TEST(LookAhead, EndsCleanlyWhileItDecodes) {
  test::TempDir dir;
  test::WriteBytes(dir / "big.png", fx::EncodePng(1000, 1000, 2, Bytes(3000000, 0x5A)));
  for (int round = 0; round < 3; ++round) {
    LookAhead ahead(2);
    ahead.Ahead({(dir / "big.png").string(), (dir / "big.png").string()}, {});
  }
}

}  // namespace
}  // namespace panelix::picture
