#include "gif/gif_reader.h"

#include <gtest/gtest.h>

#include "base/error.h"
#include "gif/gif_maker.h"

namespace panelix::gif {
namespace {

using test::MakeGif;
using test::Palette;
using test::TestFrame;

const Palette kColors{{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};

// The canvas as one letter per pixel: K black, R red, G green, B blue, Y yellow, . anything else.
std::string Letters(const std::vector<std::uint8_t>& rgb, int width) {
  std::string s;
  for (std::size_t i = 0; i + 2 < rgb.size(); i += 3) {
    const std::array<std::uint8_t, 3> p{rgb[i], rgb[i + 1], rgb[i + 2]};
    using C = std::array<std::uint8_t, 3>;
    s += p == C{0, 0, 0}       ? 'K'
         : p == C{255, 0, 0}   ? 'R'
         : p == C{0, 255, 0}   ? 'G'
         : p == C{0, 0, 255}   ? 'B'
         : p == C{255, 255, 0} ? 'Y'
                               : '.';
    if ((i / 3 + 1) % static_cast<std::size_t>(width) == 0) {
      s += '/';
    }
  }
  return s;
}

TEST(GifReader, FramesAccumulateAtTheirPositionsWithTransparencyAndClipping) {
  const std::vector<TestFrame> frames{
      // A full red screen.
      {0, 0, 4, 3, std::vector<std::uint8_t>(12, 1)},
      // A 2 x 2 frame at (1, 1) whose index 0 is transparent: the red below shows through.
      {1, 1, 2, 2, {2, 3, 0, 2}, {}, 0},
      // A 3 x 3 frame at (3, 1) with its own colours, reaching past the right and bottom edges.
      {3, 1, 3, 3, std::vector<std::uint8_t>(9, 1), {{0, 0, 0}, {255, 255, 0}}},
  };
  const GifReader reader(MakeGif(4, 3, kColors, frames));
  EXPECT_EQ(reader.ScreenWidth(), 4);
  EXPECT_EQ(reader.ScreenHeight(), 3);
  ASSERT_EQ(reader.FrameCount(), 3);

  std::vector<std::uint8_t> rgb(4 * 3 * 3, 7);
  std::vector<std::string> seen;
  reader.DrawFrames({4, 3, rgb}, [&](std::int32_t i) {
    EXPECT_EQ(i, static_cast<std::int32_t>(seen.size()));
    seen.push_back(Letters(rgb, 4));
    return true;
  });
  EXPECT_EQ(seen, (std::vector<std::string>{"RRRR/RRRR/RRRR/", "RRRR/RGBR/RRGR/", "RRRR/RGBY/RRGY/"}));
}

TEST(GifReader, KeepsWhatTheTargetHeldAndCanStopEarly) {
  // One 1 x 1 frame at (1, 0) over a 2 x 1 screen, then a second frame that must not be drawn.
  const GifReader reader(MakeGif(2, 1, kColors, {{1, 0, 1, 1, {3}}, {0, 0, 2, 1, {2, 2}}}));
  std::vector<std::uint8_t> rgb{255, 0, 0, 9, 9, 9};
  int calls = 0;
  reader.DrawFrames({2, 1, rgb}, [&](std::int32_t) {
    ++calls;
    return false;
  });
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(Letters(rgb, 2), "RB/");
}

TEST(GifReader, InterlacedRowsLandInTheirPlaces) {
  std::vector<std::uint8_t> indices;
  for (int y = 0; y < 10; ++y) {
    indices.push_back(static_cast<std::uint8_t>(y % 4));
  }
  const GifReader reader(MakeGif(1, 10, kColors, {{0, 0, 1, 10, indices, {}, -1, true}}));
  std::vector<std::uint8_t> rgb(30);
  reader.DrawFrames({1, 10, rgb}, [](std::int32_t) { return true; });
  EXPECT_EQ(Letters(rgb, 1), "K/R/G/B/K/R/G/B/K/R/");
}

TEST(GifReader, RowsBelowTheScreenAreLeftAndTheFramesAfterThemStillLand) {
  std::vector<std::uint8_t> tall;
  for (int y = 0; y < 40; ++y) {
    tall.push_back(static_cast<std::uint8_t>(y % 4));
  }
  const std::vector<TestFrame> frames{
      {0, 0, 1, 40, tall},
      {0, 1, 1, 20, std::vector<std::uint8_t>(20, 2), {}, -1, true},
      {0, 5, 1, 1, {1}},  // wholly below the screen
      {0, 0, 1, 1, {3}},
  };
  const GifReader reader(MakeGif(1, 2, kColors, frames));
  ASSERT_EQ(reader.FrameCount(), 4);
  std::vector<std::uint8_t> rgb(6, 9);
  std::vector<std::string> seen;
  reader.DrawFrames({1, 2, rgb}, [&](std::int32_t) {
    seen.push_back(Letters(rgb, 1));
    return true;
  });
  EXPECT_EQ(seen, (std::vector<std::string>{"K/R/", "K/G/", "K/G/", "B/G/"}));
}

TEST(GifReader, IndexBeyondTheColourTableDrawsBlack) {
  // Two colours in the table, index 3 in the data.
  const GifReader reader(MakeGif(2, 1, {{255, 0, 0}, {0, 255, 0}}, {{0, 0, 2, 1, {1, 3}}}));
  std::vector<std::uint8_t> rgb(6, 9);
  reader.DrawFrames({2, 1, rgb}, [](std::int32_t) { return true; });
  EXPECT_EQ(Letters(rgb, 2), "GK/");
}

TEST(GifReader, AcceptsAMissingTrailer) {
  std::vector<std::uint8_t> bytes = MakeGif(2, 2, kColors, {{0, 0, 2, 2, {1, 1, 1, 1}}, {0, 0, 1, 1, {2}}});
  ASSERT_EQ(bytes.back(), 0x3B);
  bytes.pop_back();
  const GifReader reader(bytes);
  EXPECT_EQ(reader.FrameCount(), 2);
}

TEST(GifReader, TheFramesOfOneGifShareOnePixelLimit) {
  // Three 4 x 3 frames on a 4 x 3 screen hold 36 pixels.
  const std::vector<TestFrame> frames(3, TestFrame{0, 0, 4, 3, std::vector<std::uint8_t>(12, 1)});
  const std::vector<std::uint8_t> bytes = MakeGif(4, 3, kColors, frames);
  EXPECT_EQ(GifReader(bytes, 36).FrameCount(), 3);
  try {
    GifReader reader(bytes, 35);
    ADD_FAILURE() << "no error";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "The GIF picture is too large: its frames hold 36 pixels, the limit is 35.");
  }
  // Small frames on a large screen count at the screen's size, as they are encoded.
  const std::vector<TestFrame> dots(3, TestFrame{0, 0, 1, 1, {1}});
  EXPECT_THROW(GifReader(MakeGif(4, 3, kColors, dots), 35), Error);
}

TEST(GifReader, BrokenAndAbsurdFilesFailCleanly) {
  const std::vector<std::uint8_t> good =
      MakeGif(4, 3, kColors, {{0, 0, 4, 3, std::vector<std::uint8_t>(12, 1)}});
  auto withScreen = [&](std::uint16_t w, std::uint16_t h) {
    std::vector<std::uint8_t> b = good;
    b[6] = w & 0xFF;
    b[7] = w >> 8;
    b[8] = h & 0xFF;
    b[9] = h >> 8;
    return b;
  };
  // The frame's size sits in its image descriptor, 10 bytes after the global table's end.
  auto withFrame = [&](std::uint16_t w, std::uint16_t h) {
    std::vector<std::uint8_t> b = good;
    const std::size_t desc = 13 + 3 * 4;
    EXPECT_EQ(b[desc], 0x2C);
    b[desc + 5] = w & 0xFF;
    b[desc + 6] = w >> 8;
    b[desc + 7] = h & 0xFF;
    b[desc + 8] = h >> 8;
    return b;
  };
  struct Case {
    const char* what;
    std::vector<std::uint8_t> bytes;
    const char* message;
  };
  const std::vector<Case> cases{
      {"empty", {}, "The file is not a GIF picture."},
      {"not a GIF", {'P', 'N', 'G', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, "The file is not a GIF picture."},
      {"header only", std::vector<std::uint8_t>(good.begin(), good.begin() + 6),
       "The file is not a GIF picture."},
      {"cut in the frame", std::vector<std::uint8_t>(good.begin(), good.end() - 6),
       "The GIF picture is damaged."},
      {"huge screen", withScreen(65535, 65535),
       "The GIF picture is too large: its frames hold 4294836225 pixels, the limit is 33554432."},
      {"huge frame", withFrame(9000, 9000),
       "The GIF picture is too large: its frames hold 81000000 pixels, the limit is 33554432."},
      // Found when the frame is decoded, not when the file is opened.
      {"frame larger than its data", withFrame(200, 200), "The GIF picture is damaged."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    try {
      GifReader reader(c.bytes);
      std::vector<std::uint8_t> rgb(std::size_t{3} * reader.ScreenWidth() * reader.ScreenHeight());
      reader.DrawFrames({reader.ScreenWidth(), reader.ScreenHeight(), rgb},
                        [](std::int32_t) { return true; });
      ADD_FAILURE() << "no error";
    } catch (const Error& e) {
      EXPECT_STREQ(e.what(), c.message);
    }
  }
}

}  // namespace
}  // namespace panelix::gif
