#include "gif/gif_run.h"

#include <gtest/gtest.h>

#include "base/error.h"
#include "base/files.h"
#include "gif/gif_maker.h"
#include "support/cli_runner.h"

namespace panelix::gif {
namespace {

using test::MakeGif;
using test::Palette;
using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;
using Bytes = std::vector<std::uint8_t>;

const Palette kColors{{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};

class RecordingHost final : public GifRunHost {
 public:
  picture::PictureOptions options;
  std::vector<std::string> memo;
  std::vector<std::string> messages;
  std::vector<std::string> reasons;
  std::size_t progressCalls = 0;
  std::size_t stopAtCall = 0;  // 1-based progress call that stops; 0 never

  picture::PictureOptions Options() override { return options; }
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  void AppendMemoLine(const std::string& line) override { memo.push_back(line); }
  void ClearMemo() override { memo.clear(); }
  std::vector<std::string> MemoLines() override { return memo; }
  bool Progress(int) override { return ++progressCalls != stopAtCall; }
  void FailureReason(const std::string& reason) override { reasons.push_back(reason); }
};

// Runs "All Convert" over the files to the end, as the window's timer would.
void RunAll(GifRun& run, const std::vector<std::filesystem::path>& files, picture::RgbImage& canvas,
            RecordingHost& host) {
  run.BeginAll(static_cast<std::int32_t>(files.size()));
  for (int guard = 0; guard < 100; ++guard) {
    const auto& f = files.at(static_cast<std::size_t>(run.CurrentIndex()));
    if (!run.Step(GifEntry{f.string(), f.filename().string()}, canvas, host)) {
      return;
    }
  }
  FAIL() << "the run did not end";
}

TEST(GifRun, FramesOfSeveralFilesAccumulateIntoOneBinWithItsAddressList) {
  TempDir dir;
  // a.gif, 2 x 1: red green; then blue at (1, 0); then a fully transparent pixel at (0, 0).
  WriteBytes(dir / "a.gif",
             MakeGif(2, 1, kColors, {{0, 0, 2, 1, {1, 2}}, {1, 0, 1, 1, {3}}, {0, 0, 1, 1, {0}, {}, 0}}));
  // b.gif, 3 x 1: the canvas grows by a black pixel, then green lands on it; then blue, a
  // transparent pixel over the blue left by a.gif, red.
  WriteBytes(dir / "b.gif", MakeGif(3, 1, kColors, {{2, 0, 1, 1, {2}}, {0, 0, 3, 1, {3, 0, 1}, {}, 0}}));

  RecordingHost host;
  GifRun run;
  ASSERT_EQ(run.ChooseOutput((dir / "Gif-walk").string(), host), ChooseResult::Proceed);
  picture::RgbImage canvas;
  RunAll(run, {dir / "a.gif", dir / "b.gif"}, canvas, host);

  // R5G6B5, "RGB": red 0xF800, green 0x07E0, blue 0x001F, little-endian.
  const Bytes expectedBin{0x00, 0xF8, 0xE0, 0x07,               // a0: R G
                          0x00, 0xF8, 0x1F, 0x00,               // a1: R B
                          0x00, 0xF8, 0x1F, 0x00,               // a2: R B
                          0x00, 0xF8, 0x1F, 0x00, 0xE0, 0x07,   // b0: R B G
                          0x1F, 0x00, 0x1F, 0x00, 0x00, 0xF8};  // b1: B B R
  EXPECT_EQ(ReadBytes(dir / "Gif-walk.bin"), expectedBin);
  const std::string expectedList =
      "//0\r\n"
      "{2, 1, 0x00000000, 0x00000004},//a.gif-Frames0\n\r\n"
      "{2, 1, 0x00000004, 0x00000004},//a.gif-Frames1\n\r\n"
      "{2, 1, 0x00000008, 0x00000004},//a.gif-Frames2\n\r\n"
      "//1\r\n"
      "{3, 1, 0x0000000C, 0x00000006},//b.gif-Frames0\n\r\n"
      "{3, 1, 0x00000012, 0x00000006},//b.gif-Frames1\n\r\n";
  const Bytes list = ReadBytes(dir / "Gif-walk-Addr.txt");
  EXPECT_EQ(std::string(list.begin(), list.end()), expectedList);
  EXPECT_EQ(host.messages, (std::vector<std::string>{"Start to convert, please wait...", "Convert ok"}));
  EXPECT_EQ(run.Address(), 24u);
  EXPECT_FALSE(run.Running());
}

TEST(GifRun, FramesAreTurnedMirroredAndPaddedAsTheOptionsSay) {
  TempDir dir;
  // 3 x 2:  R G B
  //         K R G
  WriteBytes(dir / "t.gif", MakeGif(3, 2, kColors, {{0, 0, 3, 2, {1, 2, 3, 0, 1, 2}}}));
  struct Case {
    const char* what;
    picture::PictureOptions options;
    const char* row;
    Bytes bin;
  };
  using picture::ChannelOrder;
  using picture::PixelFormat;
  using picture::Rotation;
  const Bytes r{0, 0, 0xFF}, g{0, 0xFF, 0}, b{0xFF, 0, 0}, k{0, 0, 0}, pad{0xFF, 0xFF, 0xFF};
  auto cat = [](std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts) {
      all.insert(all.end(), p.begin(), p.end());
    }
    return all;
  };
  const std::vector<Case> cases{
      // Clockwise: the top row is the left column read bottom to top.
      {"R 90",
       {PixelFormat::R8G8B8, ChannelOrder::Rgb, Rotation::Right90, false, false, false},
       "{2, 3, 0x00000000, 0x00000012},//t.gif-Frames0\n",
       cat({k, r, r, g, g, b})},
      {"L 90",
       {PixelFormat::R8G8B8, ChannelOrder::Rgb, Rotation::Left90, false, false, false},
       "{2, 3, 0x00000000, 0x00000012},//t.gif-Frames0\n",
       cat({b, g, g, r, r, k})},
      {"mirrored both ways, padded",
       {PixelFormat::R8G8B8, ChannelOrder::Rgb, Rotation::None, true, true, true},
       "{3, 2, 0x00000000, 0x00000018},//t.gif-Frames0\n",
       cat({g, r, k, pad, b, g, r, pad})},
      // Black_White is not offered here: it encodes as R5G6B5, "BGR" swapping red and blue.
      {"BGR",
       {PixelFormat::BlackWhite, ChannelOrder::Bgr, Rotation::None, false, false, false},
       "{3, 2, 0x00000000, 0x0000000C},//t.gif-Frames0\n",
       {0x1F, 0x00, 0xE0, 0x07, 0x00, 0xF8, 0x00, 0x00, 0x1F, 0x00, 0xE0, 0x07}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RecordingHost host;
    host.options = c.options;
    GifRun run;
    ASSERT_EQ(run.ChooseOutput((dir / "out").string(), host), ChooseResult::Proceed);
    picture::RgbImage canvas;
    RunAll(run, {dir / "t.gif"}, canvas, host);
    EXPECT_EQ(host.memo, (std::vector<std::string>{"//0", c.row}));
    EXPECT_EQ(ReadBytes(dir / "out.bin"), c.bin);
  }
}

TEST(GifRun, ABrokenFileEndsTheRunAndLeavesTheOldPair) {
  TempDir dir;
  WriteBytes(dir / "a.gif", MakeGif(1, 1, kColors, {{0, 0, 1, 1, {1}}}));
  WriteBytes(dir / "b.gif", Bytes{'G', 'I', 'F', '8', '9', 'a', 1});
  WriteBytes(dir / "c.gif", MakeGif(1, 1, kColors, {{0, 0, 1, 1, {2}}}));
  test::WriteText(dir / "out-Addr.txt", "old list");
  WriteBytes(dir / "out.bin", Bytes{1, 2, 3});
  RecordingHost host;
  GifRun run;
  ASSERT_EQ(run.ChooseOutput((dir / "out.bin").string(), host), ChooseResult::Proceed);
  picture::RgbImage canvas;
  RunAll(run, {dir / "a.gif", dir / "b.gif", dir / "c.gif"}, canvas, host);
  EXPECT_EQ(host.memo, (std::vector<std::string>{"//0", "{1, 1, 0x00000000, 0x00000002},//a.gif-Frames0\n",
                                                 "//1", "Fail to convert b.gif"}));
  EXPECT_EQ(host.reasons, (std::vector<std::string>{"The file is not a GIF picture."}));
  EXPECT_EQ(ReadBytes(dir / "out.bin"), (Bytes{1, 2, 3}));
  EXPECT_EQ(run.Outcome(), picture::RunOutcome::Failed);
  const Bytes list = ReadBytes(dir / "out-Addr.txt");
  EXPECT_EQ(std::string(list.begin(), list.end()), "old list");
  EXPECT_EQ(host.messages, (std::vector<std::string>{"Start to convert, please wait..."}));
}

TEST(GifRun, OldPairStaysWhenAWriteOrTheCommitFails) {
  TempDir dir;
  WriteBytes(dir / "a.gif", MakeGif(1, 1, kColors, {{0, 0, 1, 1, {1}}, {0, 0, 1, 1, {2}}}));
  for (const FileFaults faults :
       {FileFaults{.failWrite = 2}, FileFaults{.failWrite = 3}, FileFaults{.failCommit = true}}) {
    WriteBytes(dir / "out.bin", Bytes{1, 2, 3});
    test::WriteText(dir / "out-Addr.txt", "old list");
    RecordingHost host;
    GifRun run;
    ASSERT_EQ(run.ChooseOutput((dir / "out.bin").string(), host), ChooseResult::Proceed);
    picture::RgbImage canvas;
    SetFileFaults(faults);
    RunAll(run, {dir / "a.gif"}, canvas, host);
    SetFileFaults({});
    EXPECT_EQ(run.Outcome(), picture::RunOutcome::Failed);
    EXPECT_EQ(ReadBytes(dir / "out.bin"), (Bytes{1, 2, 3}));
    EXPECT_EQ(ReadBytes(dir / "out-Addr.txt").size(), 8U);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 3);
  }
  // An output that is one of the GIFs is refused before anything is written.
  RecordingHost host;
  GifRun run;
  EXPECT_EQ(run.ChooseOutput((dir / "a.gif").string(), host, {(dir / "a.gif.bin").string()}),
            ChooseResult::BadName);
  EXPECT_EQ(host.messages,
            (std::vector<std::string>{"The output " + (dir / "a.gif.bin").string() +
                                      " would overwrite the input " + (dir / "a.gif.bin").string() + "."}));
}

TEST(GifRun, AStopAtAnyProgressCallEndsStoppedAndLeavesTheOldPair) {
  TempDir dir;
  WriteBytes(dir / "a.gif", MakeGif(1, 1, kColors, {{0, 0, 1, 1, {1}}, {0, 0, 1, 1, {2}}}));
  WriteBytes(dir / "b.gif", MakeGif(2, 1, kColors, {{0, 0, 2, 1, {3, 1}}}));
  const std::vector<std::filesystem::path> files = {dir / "a.gif", dir / "b.gif"};
  RecordingHost counter;
  {
    GifRun full;
    ASSERT_EQ(full.ChooseOutput((dir / "full.bin").string(), counter), ChooseResult::Proceed);
    picture::RgbImage canvas;
    RunAll(full, files, canvas, counter);
    ASSERT_EQ(full.Outcome(), picture::RunOutcome::Succeeded);
  }
  ASSERT_GT(counter.progressCalls, 3U);
  for (std::size_t stop = 1; stop <= counter.progressCalls; ++stop) {
    SCOPED_TRACE(stop);
    WriteBytes(dir / "out.bin", Bytes{1, 2, 3});
    test::WriteText(dir / "out-Addr.txt", "old list");
    RecordingHost host;
    host.stopAtCall = stop;
    GifRun run;
    ASSERT_EQ(run.ChooseOutput((dir / "out.bin").string(), host), ChooseResult::Proceed);
    picture::RgbImage canvas;
    RunAll(run, files, canvas, host);
    EXPECT_EQ(run.Outcome(), picture::RunOutcome::Stopped);
    EXPECT_EQ(host.progressCalls, stop);
    EXPECT_EQ(ReadBytes(dir / "out.bin"), (Bytes{1, 2, 3}));
    EXPECT_EQ(ReadBytes(dir / "out-Addr.txt").size(), 8U);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 6);
  }
}

TEST(GifRun, SingleConvertTakesOnlyTheSelectedEntryAndStartsAFreshBin) {
  TempDir dir;
  WriteBytes(dir / "d.gif", MakeGif(1, 1, kColors, {{0, 0, 1, 1, {3}}}));
  WriteBytes(dir / "out.bin", Bytes(100, 0xAA));
  RecordingHost host;
  GifRun run;
  ASSERT_EQ(run.ChooseOutput((dir / "out").string(), host), ChooseResult::Proceed);
  run.BeginSingle(3);
  picture::RgbImage canvas;
  EXPECT_FALSE(run.Step(GifEntry{(dir / "d.gif").string(), "d.gif"}, canvas, host));
  EXPECT_EQ(host.memo, (std::vector<std::string>{"//3", "{1, 1, 0x00000000, 0x00000002},//d.gif-Frames0\n"}));
  EXPECT_EQ(ReadBytes(dir / "out.bin"), (Bytes{0x1F, 0x00}));
  EXPECT_EQ(host.messages.back(), "Convert ok");
}

TEST(GifRun, StartsAskForAListAndAName) {
  RecordingHost host;
  GifRun run;
  EXPECT_FALSE(run.CheckList(0, host));
  EXPECT_TRUE(run.CheckList(1, host));
  EXPECT_EQ(run.ChooseOutput(std::nullopt, host), ChooseResult::Cancelled);
  EXPECT_EQ(run.ChooseOutput(std::string(), host), ChooseResult::BadName);
  EXPECT_EQ(run.ChooseOutput(std::string("x.BIN"), host), ChooseResult::Proceed);
  EXPECT_EQ(run.OutputName(), "x.BIN.bin");
  EXPECT_EQ(host.messages, (std::vector<std::string>{"Please input gif files!", "Error file's name",
                                                     "Start to convert, please wait..."}));
}

TEST(GifRun, CanvasKeepsItsTopLeftAndGrowsBlack) {
  picture::RgbImage canvas;
  SizeCanvas(canvas, 2, 2);
  EXPECT_EQ(canvas.rgb, Bytes(12, 0));
  for (std::size_t i = 0; i < canvas.rgb.size(); ++i) {
    canvas.rgb[i] = static_cast<std::uint8_t>(i + 1);
  }
  SizeCanvas(canvas, 3, 1);
  EXPECT_EQ(canvas.rgb, (Bytes{1, 2, 3, 4, 5, 6, 0, 0, 0}));
}

TEST(GifRun, PreviewDrawsFrameZeroTurned) {
  TempDir dir;
  WriteBytes(dir / "p.gif", MakeGif(2, 1, kColors, {{0, 0, 2, 1, {1, 3}}, {0, 0, 2, 1, {2, 2}}}));
  picture::RgbImage canvas;
  const picture::RgbImage shown = PreviewGif((dir / "p.gif").string(), canvas, picture::Rotation::Right90);
  EXPECT_EQ(shown.width, 1);
  EXPECT_EQ(shown.height, 2);
  EXPECT_EQ(shown.rgb, (Bytes{255, 0, 0, 0, 0, 255}));
  EXPECT_EQ(canvas.rgb, (Bytes{255, 0, 0, 0, 0, 255}));
  WriteBytes(dir / "none.gif", MakeGif(2, 1, kColors, {}));
  EXPECT_THROW(PreviewGif((dir / "none.gif").string(), canvas, picture::Rotation::None), Error);
}

}  // namespace
}  // namespace panelix::gif
