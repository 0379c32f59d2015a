#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "gif/gif_maker.h"
#include "support/cli_runner.h"

namespace panelix {
namespace {

using test::MakeGif;
using test::ReadBytes;
using test::RunCli;
using test::TempDir;
using test::WriteBytes;
using Bytes = std::vector<std::uint8_t>;

const test::Palette kColors{{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};

TEST(GifCli, ConvertsFilesAndFoldersInOrder) {
  TempDir dir;
  std::filesystem::create_directories(dir / "more");
  WriteBytes(dir / "a.gif", MakeGif(1, 1, kColors, {{0, 0, 1, 1, {1}}}));
  WriteBytes(dir / "more" / "b.GIF", MakeGif(1, 1, kColors, {{0, 0, 1, 1, {2}}, {0, 0, 1, 1, {3}}}));
  WriteBytes(dir / "more" / "c.Gif", MakeGif(1, 1, kColors, {{0, 0, 1, 1, {3}}}));
  const auto r =
      RunCli({"gif", "--format", "r8g8b8", "--order", "bgr", "-o", "Gif-demo", "a.gif", "more"}, dir.Path());
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(ReadBytes(dir / "Gif-demo.bin"), (Bytes{0xFF, 0, 0, 0, 0xFF, 0, 0, 0, 0xFF}));
  const Bytes list = ReadBytes(dir / "Gif-demo-Addr.txt");
  EXPECT_EQ(std::string(list.begin(), list.end()),
            "//0\r\n{1, 1, 0x00000000, 0x00000003},//a.gif-Frames0\n\r\n"
            "//1\r\n{1, 1, 0x00000003, 0x00000003},//b.GIF-Frames0\n\r\n"
            "{1, 1, 0x00000006, 0x00000003},//b.GIF-Frames1\n\r\n");
  EXPECT_NE(r.out.find("Gif-demo.bin"), std::string::npos);
}

TEST(GifCli, DitherSpreadsAFlatGreyOverTwoLevelsAndKeepsBlack) {
  // An 8 x 8 frame of grey 100 (between two 5-6-5 levels) with a black first row.
  TempDir dir;
  std::vector<std::uint8_t> indices(64, 1);
  std::fill(indices.begin(), indices.begin() + 8, std::uint8_t{0});
  WriteBytes(dir / "a.gif", MakeGif(8, 8, {{0, 0, 0}, {100, 100, 100}}, {{0, 0, 8, 8, indices}}));
  const auto values = [&](const char* dither) {
    const auto r = RunCli({"gif", "--dither", dither, "-o", "g", "a.gif"}, dir.Path());
    EXPECT_EQ(r.exitCode, 0) << r.err;
    const Bytes bin = ReadBytes(dir / "g.bin");
    std::vector<unsigned> out;
    for (std::size_t i = 0; i + 1 < bin.size(); i += 2) {
      out.push_back(bin[i] | (unsigned{bin[i + 1]} << 8));
    }
    return out;
  };
  const unsigned grey = (12U << 11) | (25U << 5) | 12U;  // 100 truncated
  std::vector<unsigned> plain(64, grey);
  std::fill(plain.begin(), plain.begin() + 8, 0U);
  EXPECT_EQ(values("none"), plain);
  for (const char* dither : {"ordered", "floyd-steinberg"}) {
    SCOPED_TRACE(dither);
    const std::vector<unsigned> out = values(dither);
    ASSERT_EQ(out.size(), 64U);
    EXPECT_EQ(std::vector<unsigned>(out.begin(), out.begin() + 8), std::vector<unsigned>(8, 0U));
    EXPECT_GT(std::set<unsigned>(out.begin() + 8, out.end()).size(), 1U);
    EXPECT_EQ(std::count(out.begin() + 8, out.end(), 0U), 0);
  }
}

TEST(GifCli, FailuresSayWhyAndExitNonZero) {
  TempDir dir;
  WriteBytes(dir / "a.gif", MakeGif(1, 1, kColors, {{0, 0, 1, 1, {1}}}));
  WriteBytes(dir / "b.gif", Bytes{'G', 'I', 'F'});
  struct Case {
    std::vector<std::string> args;
    const char* message;
  };
  const std::vector<Case> cases{
      {{"gif", "-o", "x", "a.gif", "b.gif"}, "Fail to convert b.gif"},
      {{"gif", "-o", "x", "missing.gif"}, "Fail to convert missing.gif"},
      {{"gif", "-o", "", "a.gif"}, "Error file's name"},
      {{"gif", "-o", "x", "empty-folder-that-is-not-there/"}, "Fail to convert"},
      {{"gif", "--format", "bw", "-o", "x", "a.gif"}, "--format"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.back());
    const auto r = RunCli(c.args, dir.Path());
    EXPECT_NE(r.exitCode, 0);
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
  }
}

}  // namespace
}  // namespace panelix
