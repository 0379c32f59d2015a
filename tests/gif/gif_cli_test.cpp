#include <gtest/gtest.h>

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
