#include "gif/gif_look_ahead.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <unistd.h>

#include "base/error.h"
#include "gif/gif_maker.h"
#include "gif/gif_run.h"

namespace panelix::gif {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::MakeGif;
using test::TestFrame;

const test::Palette kColors{{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};

// What drawing a GIF did to the canvas: the canvas after each frame, at the end, and the error.
struct Drawing {
  std::vector<Bytes> frames;
  std::int32_t width = 0;
  std::int32_t height = 0;
  Bytes canvas;
  std::string error;
  bool operator==(const Drawing&) const = default;
};

template <typename Draw>
Drawing Record(picture::RgbImage& canvas, Draw&& draw, int stopAfter = -1) {
  Drawing out;
  try {
    draw(canvas, [&](std::int32_t frame) {
      out.frames.push_back(canvas.rgb);
      return frame != stopAfter;
    });
  } catch (const Error& e) {
    out.error = e.what();
  }
  out.width = canvas.width;
  out.height = canvas.height;
  out.canvas = canvas.rgb;
  return out;
}

// A grey canvas of 3 x 2 with one white pixel, as a run may have left it.
picture::RgbImage Leftover() {
  picture::RgbImage canvas = picture::MakeRgbImage(3, 2);
  std::fill(canvas.rgb.begin(), canvas.rgb.end(), std::uint8_t{0x55});
  std::fill(canvas.rgb.begin() + 3, canvas.rgb.begin() + 6, std::uint8_t{0xFF});
  return canvas;
}

class GifLookAheadTest : public ::testing::Test {
 protected:
  GifLookAheadTest() {
    m_dir = std::filesystem::temp_directory_path() / ("panelix-gif-ahead-" + std::to_string(::getpid()));
    std::filesystem::create_directories(m_dir);
    // Its second frame says 8 x 6 but holds the data of 8 x 3: it fails after three rows.
    Bytes varied(24);
    for (std::size_t i = 0; i < varied.size(); ++i) {
      varied[i] = static_cast<std::uint8_t>((i * 7 + i / 5) % 4);
    }
    Bytes cut = MakeGif(8, 6, kColors, {{0, 0, 8, 6, Bytes(48, 1)}, {0, 0, 8, 3, varied}});
    const Bytes descriptor{0x2C, 0, 0, 0, 0, 8, 0, 3, 0};
    const auto at = std::search(cut.begin(), cut.end(), descriptor.begin(), descriptor.end());
    EXPECT_NE(at, cut.end());
    at[7] = 6;
    Bytes tall;
    for (int y = 0; y < 40; ++y) {
      tall.push_back(static_cast<std::uint8_t>(y % 4));
    }
    const std::vector<std::pair<std::string, Bytes>> files{
        // Transparent pixels show what lies under them: earlier frames and the canvas left before.
        {"see-through.gif",
         MakeGif(
             4, 2, kColors,
             {{1, 0, 2, 2, {1, 0, 0, 2}, {}, 0}, {0, 0, 4, 1, {3, 0, 0, 0}, {}, 0}, {2, 1, 2, 1, {2, 2}}})},
        {"edges.gif", MakeGif(1, 2, kColors,
                              {{0, 0, 1, 40, tall},
                               {0, 1, 1, 20, Bytes(20, 2), {}, -1, true},
                               {0, 5, 1, 1, {1}},
                               {0, 0, 1, 1, {3}}})},
        {"cut.gif", cut},
        {"small.gif", MakeGif(2, 1, kColors, {{0, 0, 1, 1, {2}, {}, -1}})},
        {"not.gif", {'G', 'I', 'F', '8', '9', 'a'}},
    };
    for (const auto& [name, bytes] : files) {
      std::ofstream((m_dir / name).string(), std::ios::binary)
          .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
      m_paths.push_back((m_dir / name).string());
    }
    m_paths.push_back((m_dir / "missing.gif").string());
  }
  ~GifLookAheadTest() override { std::filesystem::remove_all(m_dir); }

  // Draws every file in turn on one canvas, as a run does, directly or through a look-ahead.
  std::vector<Drawing> DrawAll(GifLookAhead* ahead, std::int64_t maxPixels = kDefaultMaxGifPixels) {
    picture::RgbImage canvas = Leftover();
    std::vector<Drawing> drawings;
    for (std::size_t i = 0; i < m_paths.size(); ++i) {
      SCOPED_TRACE(m_paths[i]);
      const std::string& path = m_paths[i];
      drawings.push_back(Record(canvas, [&](picture::RgbImage& c, const auto& after) {
        if (ahead == nullptr) {
          DrawGifFile(path, maxPixels, c, after);
          return;
        }
        ahead->Ahead({m_paths.begin() + static_cast<std::ptrdiff_t>(i), m_paths.end()}, maxPixels);
        ahead->Draw(path, maxPixels, c, after);
      }));
    }
    return drawings;
  }

  std::filesystem::path m_dir;
  std::vector<std::string> m_paths;
};

TEST_F(GifLookAheadTest, FramesDecodedAheadDrawWhatTheFileDraws) {
  const std::vector<Drawing> direct = DrawAll(nullptr);
  EXPECT_EQ(direct[0].frames.size(), 3U);
  EXPECT_EQ(direct[2].error, "The GIF picture is damaged.");
  EXPECT_FALSE(direct[2].frames.empty());
  EXPECT_NE(direct[2].frames.back(), direct[2].canvas);  // the failing frame drew part of itself
  EXPECT_EQ(direct[4].error, "The file is not a GIF picture.");
  EXPECT_EQ(direct[5].error, "The file could not be opened.");
  for (const std::size_t depth : {0U, 1U, 3U}) {
    SCOPED_TRACE(depth);
    GifLookAhead ahead(depth);
    EXPECT_EQ(DrawAll(&ahead), direct);
    // Room for one frame only: the decoding waits for the run at every frame.
    GifLookAhead tight(depth, 1);
    EXPECT_EQ(DrawAll(&tight), direct);
    // Other limits: the file is decoded within them.
    EXPECT_EQ(DrawAll(&ahead, 20), DrawAll(nullptr, 20));
  }
}

TEST_F(GifLookAheadTest, AStoppedDrawingDropsTheRestAndTheNextDrawsAsUsual) {
  GifLookAhead ahead(2, 1);
  picture::RgbImage canvas = Leftover();
  picture::RgbImage expected = Leftover();
  ahead.Ahead(m_paths, kDefaultMaxGifPixels);
  const auto viaAhead = [&](const std::string& path) {
    return [&ahead, path](picture::RgbImage& c, const auto& after) {
      ahead.Draw(path, kDefaultMaxGifPixels, c, after);
    };
  };
  const auto direct = [](const std::string& path) {
    return [path](picture::RgbImage& c, const auto& after) {
      DrawGifFile(path, kDefaultMaxGifPixels, c, after);
    };
  };
  EXPECT_EQ(Record(canvas, viaAhead(m_paths[0]), 0), Record(expected, direct(m_paths[0]), 0));
  // Not asked for: decoded on the spot; then one asked for after a skipped one.
  EXPECT_EQ(Record(canvas, viaAhead(m_paths[0])), Record(expected, direct(m_paths[0])));
  EXPECT_EQ(Record(canvas, viaAhead(m_paths[3])), Record(expected, direct(m_paths[3])));
  ahead.Ahead({m_paths[1]}, kDefaultMaxGifPixels);
  ahead.Drop();
  EXPECT_EQ(Record(canvas, viaAhead(m_paths[1])), Record(expected, direct(m_paths[1])));
  // Ends while the thread waits for room.
  ahead.Ahead(m_paths, kDefaultMaxGifPixels);
}

}  // namespace
}  // namespace panelix::gif
