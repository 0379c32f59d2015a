#include <gtest/gtest.h>

#include <deque>

#include "base/error.h"
#include "base/files.h"
#include "fixtures.h"
#include "output/address_list.h"
#include "output/output_names.h"
#include "picture/batch.h"
#include "picture/conversion_run.h"
#include "picture/decode_checks.h"
#include "picture/folder_scan.h"
#include "support/cli_runner.h"
#include "support/old_files.h"

namespace panelix::picture {
namespace {

using fx::Bytes;

// The main window as the run sees it: a list, a selection, a preview and a memo.
class FakeWindow : public RunHost {
 public:
  ConvertOptions options;
  Preview preview;
  std::vector<std::string> list;
  int selected = -1;
  std::vector<std::string> memo;
  std::vector<std::string> messages;
  std::vector<int> progress;
  std::deque<std::optional<ConvertOptions>> optionsPerCall;  // changes applied at later reads
  std::size_t stopAtCall = 0;                                // 1-based progress call that stops; 0 never

  ConvertOptions Options() override { return options; }
  Preview& CurrentPreview() override { return preview; }
  int EntryCount() override { return static_cast<int>(list.size()); }
  std::string EntryText(int index) override { return list.at(static_cast<std::size_t>(index)); }
  std::string SelectedEntryText() override {
    return selected >= 0 && selected < EntryCount() ? list[static_cast<std::size_t>(selected)] : "";
  }
  void SelectEntry(int index) override { selected = index; }
  void PreviewChanged() override {}
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  void AppendMemoLine(const std::string& line) override { memo.push_back(line); }
  void ClearMemo() override { memo.clear(); }
  std::string MemoText() override {
    std::string text;
    for (const auto& line : memo) {
      text += line + "\n";
    }
    return text;
  }
  bool Progress(int percent) override {
    progress.push_back(percent);
    return progress.size() != stopAtCall;
  }

  // Drives a whole run the way the window's timer does; returns the number of steps.
  int RunAll(ConversionRun& run, const std::string& name) {
    if (!run.CheckList(*this) || run.ChooseOutput(name, *this) != ChooseResult::Proceed) {
      return 0;
    }
    run.BeginAll(*this);
    int steps = 1;
    while (run.Step(*this)) {
      ++steps;
    }
    return steps;
  }
};

// n x 1 BMP of one grey level (24-bit).
Bytes GreyBmp(std::int32_t width, std::uint8_t level) {
  const auto stride = static_cast<std::size_t>((width * 3 + 3) / 4 * 4);
  Bytes data(stride, 0);
  std::fill(data.begin(), data.begin() + width * 3, level);
  return fx::MakeBmp({.width = width, .height = 1, .data = data});
}

std::string Text(const Bytes& b) {
  return {b.begin(), b.end()};
}

// Lists count pictures p0.bmp.. in the window, 2 x 1 grey BMPs, and a damaged one at index broken.
void AddPictures(const panelix::test::TempDir& dir, FakeWindow& window, int count, int broken = -1) {
  for (int i = 0; i < count; ++i) {
    const auto path = (dir / ("p" + std::to_string(i) + ".bmp")).string();
    panelix::test::WriteBytes(path, i == broken ? Bytes{'B', 'M', 0} : GreyBmp(2, 0x80));
    window.list.push_back(path);
  }
}

// The pair a failed or stopped run into Picture-x.bin must leave as it was.
panelix::test::OldFiles OldPair(const panelix::test::TempDir& dir) {
  return panelix::test::OldFiles({dir / "Picture-x.bin", dir / "Picture-x-Addr.txt"});
}

TEST(ConversionRun, AllConvertWritesBinRowsAndAddressList) {
  panelix::test::TempDir dir;
  FakeWindow window;
  for (int i = 0; i < 3; ++i) {
    const auto path = (dir / ("p" + std::to_string(i) + ".bmp")).string();
    panelix::test::WriteBytes(path, GreyBmp(i + 1, static_cast<std::uint8_t>(0x10 * (i + 1))));
    window.list.push_back(path);
  }
  const auto output = (dir / "Picture-set").string();
  ConversionRun run;
  EXPECT_EQ(window.RunAll(run, output), 3);
  EXPECT_EQ(run.OutputName(), output + ".bin");
  const std::vector<std::string> rows = {
      "{1, 1, 0x00000000, 0x00000002},//" + window.list[0],
      "{2, 1, 0x00000002, 0x00000004},//" + window.list[1],
      "{3, 1, 0x00000006, 0x00000006},//" + window.list[2],
  };
  EXPECT_EQ(window.memo, rows);
  EXPECT_EQ(panelix::test::ReadBytes(output + ".bin"),
            (Bytes{0x82, 0x10, 0x04, 0x21, 0x04, 0x21, 0x86, 0x31, 0x86, 0x31, 0x86, 0x31}));
  EXPECT_EQ(Text(panelix::test::ReadBytes(dir / "Picture-set-Addr.txt")),
            rows[0] + "\r\n" + rows[1] + "\r\n" + rows[2] + "\r\n");
  EXPECT_EQ(window.messages, (std::vector<std::string>{"Start to convert, please wait...", "Convert ok"}));
  EXPECT_EQ(window.progress.front(), 0);
  EXPECT_EQ(window.progress.back(), 100);

  // The same run again gives the same bin; a shorter run replaces the address list whole.
  EXPECT_EQ(window.RunAll(run, output + ".bin"), 3);
  EXPECT_EQ(panelix::test::ReadBytes(output + ".bin").size(), 12U);
  window.list.resize(1);
  EXPECT_EQ(window.RunAll(run, output + ".bin"), 1);
  EXPECT_EQ(Text(panelix::test::ReadBytes(dir / "Picture-set-Addr.txt")), rows[0] + "\r\n");
}

TEST(ConversionRun, AFailingPictureEndsTheRunAndLeavesTheOldPair) {
  panelix::test::TempDir dir;
  FakeWindow window;
  AddPictures(dir, window, 4, 2);
  const panelix::test::OldFiles old = OldPair(dir);
  old.Write();
  ConversionRun run;
  EXPECT_EQ(window.RunAll(run, (dir / "Picture-x.bin").string()), 2);
  ASSERT_EQ(window.memo.size(), 3U);
  EXPECT_EQ(window.memo[2], "Fail to convert " + window.list[2]);
  old.ExpectKept();
  EXPECT_EQ(window.messages, std::vector<std::string>{"Start to convert, please wait..."});
  EXPECT_FALSE(run.Running());
  EXPECT_EQ(run.Outcome(), RunOutcome::Failed);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 6);
}

TEST(ConversionRun, OldPairStaysWhenAWriteOrTheCommitFails) {
  panelix::test::TempDir dir;
  FakeWindow window;
  AddPictures(dir, window, 3);
  const panelix::test::OldFiles old = OldPair(dir);
  struct Case {
    const char* name;
    FileFaults faults;
    std::vector<std::string> messages;
  };
  const std::string start = "Start to convert, please wait...";
  const std::string lost = "The file might not be accessibl.";
  const std::vector<Case> cases = {
      {"second picture", {.failWrite = 2}, {start, lost, lost, lost, "Convert ok"}},
      {"address list", {.failWrite = 4}, {start, lost, "Convert ok"}},
      {"commit", {.failCommit = true}, {start, lost, "Convert ok"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    old.Write();
    window.messages.clear();
    ConversionRun run;
    ASSERT_TRUE(run.CheckList(window));
    ASSERT_EQ(run.ChooseOutput((dir / "Picture-x.bin").string(), window), ChooseResult::Proceed);
    run.BeginAll(window);
    SetFileFaults(c.faults);
    while (run.Step(window)) {
    }
    SetFileFaults({});
    EXPECT_EQ(run.Outcome(), RunOutcome::Failed);
    EXPECT_EQ(window.messages, c.messages);
    old.ExpectKept();
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 5);
  }
}

TEST(ConversionRun, AStopAtAnyProgressCallEndsStoppedAndLeavesTheOldPair) {
  panelix::test::TempDir dir;
  FakeWindow window;
  AddPictures(dir, window, 3);
  const panelix::test::OldFiles old = OldPair(dir);
  ConversionRun full;
  ASSERT_EQ(window.RunAll(full, (dir / "full.bin").string()), 3);
  const std::size_t calls = window.progress.size();
  ASSERT_GT(calls, 3U);
  for (std::size_t stop = 1; stop <= calls; ++stop) {
    SCOPED_TRACE(stop);
    old.Write();
    window.progress.clear();
    window.messages.clear();
    window.stopAtCall = stop;
    ConversionRun run;
    window.RunAll(run, (dir / "Picture-x.bin").string());
    EXPECT_FALSE(run.Running());
    EXPECT_EQ(run.Outcome(), RunOutcome::Stopped);
    EXPECT_EQ(window.progress.size(), stop);
    EXPECT_EQ(window.messages, std::vector<std::string>{"Start to convert, please wait..."});
    old.ExpectKept();
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 7);
  }
}

TEST(ConversionRun, RefusesAnOutputThatIsOneOfThePictures) {
  panelix::test::TempDir dir;
  FakeWindow window;
  const auto path = (dir / "p.bin").string();
  panelix::test::WriteBytes(path, GreyBmp(2, 0x80));
  window.list = {path};
  ConversionRun run;
  EXPECT_EQ(run.ChooseOutput(path, window), ChooseResult::BadName);
  EXPECT_EQ(window.messages,
            std::vector<std::string>{"The output " + path + " would overwrite the input " + path + "."});
  EXPECT_THROW(ConvertPictures({path}, window.options, path, 1, NoMessage), Error);
  EXPECT_EQ(panelix::test::ReadBytes(path), GreyBmp(2, 0x80));
}

TEST(ConversionRun, LostBytesStillMoveTheAddressOn) {
  panelix::test::TempDir dir;
  FakeWindow window;
  for (int i = 0; i < 2; ++i) {
    const auto path = (dir / ("p" + std::to_string(i) + ".bmp")).string();
    panelix::test::WriteBytes(path, GreyBmp(3, 0x80));
    window.list.push_back(path);
  }
  ConversionRun run;
  EXPECT_EQ(window.RunAll(run, (dir / "missing" / "Picture-x.bin").string()), 2);
  EXPECT_EQ(window.memo[1], "{3, 1, 0x00000006, 0x00000006},//" + window.list[1]);
  EXPECT_EQ(window.messages,
            (std::vector<std::string>{"Start to convert, please wait...", "The file might not be accessibl.",
                                      "The file might not be accessibl.", "The file might not be accessibl.",
                                      "Convert ok"}));
  EXPECT_EQ(run.LastAppend(), output::WriteResult::NotAccessible);
  EXPECT_EQ(run.LastAddressList(), output::WriteResult::NotAccessible);
  EXPECT_EQ(run.Outcome(), RunOutcome::Failed);
}

TEST(ConversionRun, StartsAndSingleConvert) {
  panelix::test::TempDir dir;
  FakeWindow window;
  ConversionRun run;
  EXPECT_FALSE(run.CheckList(window));
  window.list = {(dir / "a.bmp").string()};
  EXPECT_EQ(run.ChooseOutput(std::nullopt, window), ChooseResult::Cancelled);
  EXPECT_EQ(run.ChooseOutput("", window), ChooseResult::BadName);
  EXPECT_EQ(window.messages, (std::vector<std::string>{"Please input picture!", "Error file's name"}));

  // Single Convert of an empty preview: one row of zeros named after the selected entry, no bytes.
  window.selected = 0;
  window.memo = {"stale"};
  ASSERT_EQ(run.ChooseOutput((dir / "one").string(), window), ChooseResult::Proceed);
  run.BeginSingle(window);
  EXPECT_FALSE(run.Step(window));
  EXPECT_EQ(window.memo, std::vector<std::string>{"{0, 0, 0x00000000, 0x00000000},//" + window.list[0]});
  EXPECT_TRUE(panelix::test::ReadBytes(dir / "one.bin").empty());

  // All Convert whose first entry cannot be loaded does not start.
  ConversionRun failing;
  EXPECT_THROW(failing.BeginAll(window), Error);
  EXPECT_FALSE(failing.Running());
}

TEST(ConversionRun, ArgbPngUsesTheFileAndOptionsAreReadPerPicture) {
  panelix::test::TempDir dir;
  FakeWindow window;
  const auto png = (dir / "a.png").string();
  panelix::test::WriteBytes(png, fx::EncodePng(1, 1, 6, {0x12, 0x34, 0x56, 0x80}));
  const auto bmp = (dir / "b.bmp").string();
  panelix::test::WriteBytes(bmp, GreyBmp(1, 0x00));
  window.list = {png, bmp};
  window.options.argbPng = true;
  window.options.picture.format = PixelFormat::R8G8B8;
  window.preview.kind = PictureKind::Bmp;  // a BMP was shown before the run
  ConversionRun run;
  EXPECT_EQ(window.RunAll(run, (dir / "o.bin").string()), 2);
  EXPECT_EQ(panelix::test::ReadBytes(dir / "o.bin"), (Bytes{0x35, 0x81, 0, 0, 0}));
  EXPECT_EQ(window.memo[0], "{1, 1, 0x00000000, 0x00000002},//" + png);
  EXPECT_EQ(window.memo[1], "{1, 1, 0x00000002, 0x00000003},//" + bmp);
}

TEST(FolderScan, PicturesOfTheFolderAndItsDirectSubfolders) {
  panelix::test::TempDir dir;
  for (const char* name : {"a.bmp", "b.PNG", "c.Png", ".x.bmp", "logo.big.png", "e.jpeg", "f.gif", "noext"}) {
    panelix::test::WriteText(dir / name, "");
  }
  std::filesystem::create_directories(dir / "sub" / "deeper");
  panelix::test::WriteText(dir / "sub" / "d.jpg", "");
  panelix::test::WriteText(dir / "sub" / "deeper" / "z.jpg", "");
  std::filesystem::create_directories(dir / ".hidden");
  panelix::test::WriteText(dir / ".hidden" / "h.png", "");
  const std::string folder = dir.Path().string() + "/";
  EXPECT_EQ(ScanPictureFolder(folder + "a.bmp"),
            (std::vector<std::string>{folder + "a.bmp", folder + "b.PNG", folder + "e.jpeg",
                                      folder + "sub/d.jpg"}));
  EXPECT_EQ(ScanPictureFolder(folder + "logo.big.png").size(), 4U);
  EXPECT_TRUE(ScanPictureFolder(folder + "missing/x.png").empty());
}

TEST(Batch, PicturesEncodedRowByRowMatchTheWindowsRun) {
  // Pictures the batch encodes row by row as they are decoded, in every plain option set: the bytes
  // of the window's run, which decodes each picture whole first.
  panelix::test::TempDir dir;
  std::vector<std::string> paths;
  const auto add = [&](const std::string& name, const Bytes& bytes) {
    paths.push_back((dir / name).string());
    panelix::test::WriteBytes(paths.back(), bytes);
  };
  RgbImage photo = MakeRgbImage(37, 21);
  for (std::size_t k = 0; k < photo.rgb.size(); ++k) {
    photo.rgb[k] = static_cast<std::uint8_t>(k * 13 % 251);
  }
  add("photo.jpg", fx::EncodeJpeg(photo, 80, TJSAMP_420));
  // Uncompressed BMPs: bottom-up and top-down rows of 24 bits (rows padded to 4 bytes), 16-bit
  // masks, an 8-bit palette.
  Bytes rows24;
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 5 * 3; ++x) {
      rows24.push_back(static_cast<std::uint8_t>(y * 50 + x * 9));
    }
    rows24.insert(rows24.end(), {0});
  }
  add("up.bmp", fx::MakeBmp({.width = 5, .height = 3, .data = rows24}));
  add("down.bmp", fx::MakeBmp({.width = 5, .height = -3, .data = rows24}));
  add("565.bmp", fx::MakeBmp({.width = 2,
                              .height = 2,
                              .bitCount = 16,
                              .compression = 3,
                              .masks = {0xF800, 0x07E0, 0x001F},
                              .data = {0x1F, 0xF8, 0xE0, 0x07, 0x00, 0x00, 0xFF, 0xFF}}));
  add("palette.bmp", fx::MakeBmp({.width = 3,
                                  .height = 2,
                                  .bitCount = 8,
                                  .palette = {0xFF0000, 0x00FF00},
                                  .data = {0, 1, 7, 0, 1, 0, 1, 0}}));
  for (const std::uint8_t colorType : {2, 6}) {
    const std::size_t channels = colorType == 6 ? 4 : 3;
    Bytes samples(37 * 21 * channels);
    std::uint32_t state = 7;
    for (auto& v : samples) {
      state = state * 1664525U + 1013904223U;
      v = static_cast<std::uint8_t>((state >> 29) * 36);
    }
    const Bytes png = fx::EncodePng(37, 21, colorType, samples);
    bool inOneCall = false;
    detail::DecodePngVia(png, {}, detail::PngPath::Any, &inOneCall);
    ASSERT_TRUE(inOneCall);
    add("p" + std::to_string(colorType) + ".png", png);
  }
  struct Case {
    PixelFormat format;
    ChannelOrder order;
    bool mirrorX;
    bool mirrorY;
    bool rowPadding;
  };
  const Case cases[] = {
      {PixelFormat::R5G6B5, ChannelOrder::Rgb, false, false, false},
      {PixelFormat::R5G6B5, ChannelOrder::Bgr, true, true, true},
      {PixelFormat::R8G8B8, ChannelOrder::Rgb, true, false, true},
      {PixelFormat::R8G8B8, ChannelOrder::Bgr, false, true, false},
      {PixelFormat::BlackWhite, ChannelOrder::Rgb, true, true, true},
      {PixelFormat::BlackWhite, ChannelOrder::Rgb, false, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(&c - cases));
    FakeWindow window;
    window.list = paths;
    window.options.picture.format = c.format;
    window.options.picture.order = c.order;
    window.options.picture.mirrorX = c.mirrorX;
    window.options.picture.mirrorY = c.mirrorY;
    window.options.picture.rowPadding = c.rowPadding;
    window.options.alphaThreshold = "100";
    ConversionRun run;
    window.RunAll(run, (dir / "run.bin").string());
    const auto name = (dir / "batch.bin").string();
    ASSERT_TRUE(ConvertPictures(paths, window.options, name, 1, NoMessage).ok);
    EXPECT_EQ(panelix::test::ReadBytes(name), panelix::test::ReadBytes(dir / "run.bin"));
  }
}

TEST(Batch, ParallelBatchMatchesTheWindowsRun) {
  panelix::test::TempDir dir;
  FakeWindow window;
  std::vector<std::string> paths;
  for (int i = 0; i < 9; ++i) {
    RgbImage picture = MakeRgbImage(5 + i, 3);
    for (std::size_t k = 0; k < picture.rgb.size(); ++k) {
      picture.rgb[k] = static_cast<std::uint8_t>(k * 7 + i);
    }
    const auto base = (dir / ("p" + std::to_string(i))).string();
    if (i % 3 == 0) {
      Bytes rgba;
      for (std::size_t k = 0; k < picture.rgb.size(); k += 3) {
        rgba.insert(rgba.end(), {picture.rgb[k], picture.rgb[k + 1], picture.rgb[k + 2],
                                 static_cast<std::uint8_t>(k * 11)});
      }
      panelix::test::WriteBytes(base + ".png", fx::EncodePng(5 + i, 3, 6, rgba));
      paths.push_back(base + ".png");
    } else if (i % 3 == 1) {
      panelix::test::WriteBytes(base + ".jpg", fx::EncodeJpeg(picture));
      paths.push_back(base + ".jpg");
    } else {
      panelix::test::WriteBytes(base + ".bmp", GreyBmp(5 + i, static_cast<std::uint8_t>(i)));
      paths.push_back(base + ".bmp");
    }
  }
  window.list = paths;
  window.options.picture.rotation = Rotation::Right90;
  window.options.picture.rowPadding = true;
  window.options.picture.mirrorX = true;
  window.options.argbPng = true;
  ConversionRun run;
  window.RunAll(run, (dir / "run.bin").string());
  for (unsigned threads : {1U, 4U}) {
    SCOPED_TRACE(threads);
    const auto name = (dir / ("batch" + std::to_string(threads) + ".bin")).string();
    const BatchResult result = ConvertPictures(paths, window.options, name, threads, NoMessage);
    EXPECT_TRUE(result.ok);
    EXPECT_EQ(result.converted, 9);
    EXPECT_EQ(panelix::test::ReadBytes(name), panelix::test::ReadBytes(dir / "run.bin"));
    EXPECT_EQ(panelix::test::ReadBytes(output::AddressListName(name)),
              panelix::test::ReadBytes(dir / "run-Addr.txt"));
  }
  // A broken picture stops the batch after the ones before it; the old pair stays.
  panelix::test::WriteBytes(paths[4], {1, 2, 3});
  panelix::test::WriteText(dir / "batch4.bin", "old");
  const BatchResult broken =
      ConvertPictures(paths, window.options, (dir / "batch4.bin").string(), 4, NoMessage);
  EXPECT_FALSE(broken.ok);
  EXPECT_EQ(broken.outcome, RunOutcome::Failed);
  EXPECT_EQ(broken.converted, 4);
  EXPECT_EQ(broken.failedPath, paths[4]);
  EXPECT_EQ(Text(panelix::test::ReadBytes(dir / "batch4.bin")), "old");
  EXPECT_EQ(panelix::test::ReadBytes(dir / "batch4-Addr.txt"),
            panelix::test::ReadBytes(dir / "run-Addr.txt"));

  // A stop asked for by the progress callback ends the batch and writes nothing.
  std::int64_t calls = 0;
  const BatchResult stopped = ConvertPictures(paths, window.options, (dir / "s.bin").string(), 2, NoMessage,
                                              [&calls](std::int64_t done, std::int64_t) {
                                                ++calls;
                                                return done < 2;
                                              });
  EXPECT_EQ(stopped.outcome, RunOutcome::Stopped);
  EXPECT_EQ(calls, 2);
  EXPECT_FALSE(std::filesystem::exists(dir / "s.bin"));
  EXPECT_FALSE(std::filesystem::exists(dir / "s-Addr.txt"));
}

}  // namespace
}  // namespace panelix::picture
