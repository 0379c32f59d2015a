// Text files given to panelix in the code page or in UTF-8 (--encoding).
#include <gtest/gtest.h>

#include "support/cli_runner.h"

namespace panelix {
namespace {

using test::ReadBytes;
using test::RunCli;
using test::TempDir;
using test::WriteText;

// "AB中文" and a second line "x": in code page 936 and in UTF-8.
constexpr const char* kText936 = "AB\xD6\xD0\xCE\xC4\r\nx\r\n";
constexpr const char* kTextUtf8 = "AB\xE4\xB8\xAD\xE6\x96\x87\r\nx\r\n";

TEST(TextEncoding, StringBinTextGivesTheSameFontInEveryEncoding) {
  TempDir dir;
  WriteText(dir / "cp.txt", kText936);
  WriteText(dir / "utf8.txt", kTextUtf8);
  WriteText(dir / "bom.txt", std::string("\xEF\xBB\xBF") + kTextUtf8);
  const std::vector<std::string> glyph{"--width", "8", "--height", "8", "--size", "8"};
  auto font = [&](std::vector<std::string> args, const std::string& out) {
    args.insert(args.begin(), {"--codepage", "936", "font", "string"});
    args.insert(args.end(), glyph.begin(), glyph.end());
    args.insert(args.end(), {"-o", out});
    return RunCli(args, dir.Path());
  };
  ASSERT_EQ(font({"cp.txt"}, "cp").exitCode, 0);
  const auto utf8 = font({"utf8.txt", "--encoding", "utf-8"}, "utf8");
  ASSERT_EQ(utf8.exitCode, 0) << utf8.err;
  EXPECT_NE(utf8.err.find("String Font bin ok"), std::string::npos) << utf8.err;
  EXPECT_EQ(utf8.err.find("encoding"), std::string::npos) << utf8.err;
  ASSERT_EQ(font({"bom.txt"}, "bom").exitCode, 0);
  EXPECT_EQ(ReadBytes(dir / "utf8.bin"), ReadBytes(dir / "cp.bin"));
  EXPECT_EQ(ReadBytes(dir / "bom.bin"), ReadBytes(dir / "cp.bin"));

  // UTF-8 read in the code page: the bytes are as before, with a warning saying what to give.
  const auto misread = font({"utf8.txt"}, "misread");
  ASSERT_EQ(misread.exitCode, 0);
  EXPECT_NE(
      misread.err.find("utf8.txt: the text is valid UTF-8 with non-ASCII characters but is read in code "
                       "page 936; give --encoding utf-8"),
      std::string::npos)
      << misread.err;
  // Bytes the code page cannot convert are named by their line.
  WriteText(dir / "broken.txt", "AB\r\nC\x81 \r\n");
  const auto broken = font({"broken.txt"}, "broken");
  EXPECT_NE(broken.err.find("broken.txt:2: bytes that code page 936 cannot convert are read as U+FFFD"),
            std::string::npos)
      << broken.err;
}

TEST(TextEncoding, CursorTextAndProjectFilesTakeTheEncoding) {
  TempDir dir;
  // The cursor text's bytes are read after "x"; a UTF-8 comment must not shift them.
  std::string cursorText = "\xE5\x85\x89\xE6\xA0\x87 ";  // 光标
  for (int i = 0; i < 256; ++i) {
    cursorText += "0x" + std::string(i % 2 == 0 ? "A5" : "5A") + ",";
  }
  WriteText(dir / "cursor.txt", cursorText);
  const auto cursor =
      RunCli({"cursor", "--from-text", "cursor.txt", "--encoding", "utf-8", "-o", "c"}, dir.Path());
  ASSERT_EQ(cursor.exitCode, 0) << cursor.err;
  EXPECT_EQ(cursor.err, "");
  EXPECT_EQ(ReadBytes(dir / "c.bin").size(), 256U);
  EXPECT_EQ(ReadBytes(dir / "c.bin")[1], 0x5A);

  // A project whose comment is UTF-8: checked in UTF-8 it passes quietly.
  std::string project = "; \xE6\xBC\x94\xE7\xA4\xBA\n[INFO]\n";
  for (int i = 0; i < 10; ++i) {
    project += "K" + std::to_string(i) + " = 1\n";
  }
  project += "[USERCMD]\n80h #00 : 1\n";
  WriteText(dir / "p.ini", project);
  const auto asCodePage = RunCli({"--codepage", "936", "check", "--project", "p.ini"}, dir.Path());
  EXPECT_NE(asCodePage.err.find("--encoding utf-8"), std::string::npos) << asCodePage.err;
  const auto asUtf8 =
      RunCli({"--codepage", "936", "check", "--project", "p.ini", "--encoding", "utf-8"}, dir.Path());
  EXPECT_EQ(asUtf8.err.find("--encoding utf-8"), std::string::npos) << asUtf8.err;
  EXPECT_EQ(asUtf8.exitCode, asCodePage.exitCode);
}

}  // namespace
}  // namespace panelix
