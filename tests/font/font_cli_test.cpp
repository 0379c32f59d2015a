#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "font/font_face.h"
#include "support/cli_runner.h"

namespace panelix::test {
namespace {

// What the CLI says on stderr before anything else when the default face is not installed here.
std::string DefaultFaceNote() {
  const font::FontSource source = font::ResolveFont(font::FontChoice{});
  return source.substituted ? "宋体 is not installed; using " + source.family + "\n" : "";
}

std::vector<std::uint8_t> Slice(const std::vector<std::uint8_t>& bytes, std::size_t offset,
                                std::size_t size) {
  return {bytes.begin() + static_cast<std::ptrdiff_t>(offset),
          bytes.begin() + static_cast<std::ptrdiff_t>(offset + size)};
}

TEST(FontCli, UnicodeLibraryOfOneGlyph) {
  TempDir dir;
  const CliResult r = RunCli(
      {"font", "library", "--set", "unicode", "--start", "0041", "--end", "0041", "-o", "one"}, dir.Path());
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "Unicode start:0041\nUnicode end:0041\nUnicode nmuber:1\none.bin\n");
  EXPECT_EQ(r.err, DefaultFaceNote() + "UniCode Font Lib ok\n");
  EXPECT_EQ(ReadBytes(dir / "one.bin").size(), 32u);
}

TEST(FontCli, AsciiAndStringBinAgreeGlyphForGlyph) {
  TempDir dir;
  ASSERT_EQ(RunCli({"font", "ascii", "--width", "8", "-o", "Font_A1_16"}, dir.Path()).exitCode, 0);
  const std::vector<std::uint8_t> ascii = ReadBytes(dir / "Font_A1_16.bin");
  ASSERT_EQ(ascii.size(), 94u * 16u);
  // "AB中" in code page 936, with a CR LF line break and an empty second line.
  WriteText(dir / "text.txt", "AB\xD6\xD0\r\n\r\n");
  const CliResult r =
      RunCli({"--codepage", "936", "font", "string", "text.txt", "--width", "8", "-o", "Font_S"}, dir.Path());
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, DefaultFaceNote() + "String Font bin ok\n");
  const std::vector<std::uint8_t> font = ReadBytes(dir / "Font_S.bin");
  ASSERT_EQ(font.size(), 12u + 3u * (16u + 2u));
  EXPECT_EQ(Slice(font, 0, 18), (std::vector<std::uint8_t>{'C', 'X', '9', 'x', 'F', 'o', 'n', 't', 0x00, 0x03,
                                                           0x08, 0x10, 0x00, 0x41, 0x00, 0x42, 0xD6, 0xD0}));
  // A is glyph 32 of the ASCII font, at offset 512; it is glyph 0 of the String Bin font.
  EXPECT_EQ(Slice(font, 18, 16), Slice(ascii, 512, 16));
  EXPECT_EQ(Slice(font, 34, 16), Slice(ascii, 528, 16));
  EXPECT_NE(Slice(font, 50, 16), std::vector<std::uint8_t>(16, 0));  // 中 has ink
}

TEST(FontCli, StringBinHeaderAfterRotationAndEmptyText) {
  TempDir dir;
  WriteText(dir / "empty.txt", "");
  ASSERT_EQ(
      RunCli({"font", "string", "empty.txt", "--height", "24", "--rotate", "r90", "-o", "e"}, dir.Path())
          .exitCode,
      0);
  EXPECT_EQ(ReadBytes(dir / "e.bin"),
            (std::vector<std::uint8_t>{'C', 'X', '9', 'x', 'F', 'o', 'n', 't', 0, 0, 24, 16}));
}

TEST(FontCli, FailuresGiveTheirMessageAndWriteNothing) {
  TempDir dir;
  WriteText(dir / "keep.bin", "old");
  struct Case {
    std::vector<std::string> args;
    std::string message;
  };
  const Case cases[] = {
      {{"font", "library", "--start", "A19F", "-o", "keep"}, "Font Start Code is less 0xA1A0\n"},
      {{"font", "library", "--set", "gb2312-trad", "--end", "F7FF", "-o", "keep"},
       "Font End Code is over 0xF7FE\n"},
      {{"font", "library", "--set", "unicode", "--start", "0042", "--end", "0041", "-o", "keep"},
       "Error for start code > end code. And stop.\n"},
      {{"font", "library", "--start", "A1A", "-o", "keep"}, "Start code number is less 4.\n"},
      {{"font", "library", "--end", "F7", "-o", "keep"}, "End code number is less 4.\n"},
      {{"font", "string", "missing.txt", "-o", "keep"}, "Fail to Open the file\n"},
      {{"font", "ascii", "--width", "1q", "-o", "keep"}, "'1q' is not a valid integer value\n"},
      {{"font", "ascii", "-o", "nofolder/f"}, DefaultFaceNote() + "open Creat file error!\n\n"},
      {{"font", "ascii", "--font", "./fonts/missing.ttf", "-o", "keep"},
       "Cannot open the font ./fonts/missing.ttf\n"},
      {{"font", "ascii", "--width", "300", "-o", "keep"},
       "Font Width and Font Height must be between 0 and 256.\n"},
      {{"font", "ascii", "--width", "0", "-o", "keep"},
       "A font cell must be at least 8 pixels wide and 1 pixel high (Font Width 0, Font Height 16).\n"},
      {{"font", "string", "keep.bin", "-o", "keep"},
       DefaultFaceNote() + "The output keep.bin would overwrite the input keep.bin.\n"},
  };
  for (const Case& c : cases) {
    const CliResult r = RunCli(c.args, dir.Path());
    EXPECT_EQ(r.exitCode, 1) << c.message;
    EXPECT_EQ(r.err, c.message);
  }
  EXPECT_EQ(ReadBytes(dir / "keep.bin"), (std::vector<std::uint8_t>{'o', 'l', 'd'}));
}

TEST(FontCli, AFamilyThatIsNotInstalledIsAnError) {
  TempDir dir;
  const CliResult r = RunCli({"font", "ascii", "--font", "No Such Family 7", "-o", "f"}, dir.Path());
  EXPECT_EQ(r.exitCode, 1);
  const std::string replacement = font::ResolveFont({"No Such Family 7", 14}).family;
  EXPECT_EQ(r.err,
            "The font family No Such Family 7 is not installed; " + replacement + " would have been used.\n");
  EXPECT_FALSE(std::filesystem::exists(dir / "f.bin"));
  // An installed family and a generic name are taken without a word.
  for (const char* family : {"DejaVu Sans", "monospace"}) {
    const CliResult ok = RunCli({"font", "ascii", "--font", family, "-o", "f"}, dir.Path());
    EXPECT_EQ(ok.exitCode, 0) << family;
    EXPECT_EQ(ok.err, "Ascii Font bin ok\n") << family;
  }
}

TEST(FontCli, LibraryFileSizesAndJobsGiveTheSameBytes) {
  TempDir dir;
  ASSERT_EQ(
      RunCli({"font", "library", "--start", "B0A1", "--end", "B1FE", "--jobs", "1", "-o", "one"}, dir.Path())
          .exitCode,
      0);
  ASSERT_EQ(
      RunCli({"font", "library", "--start", "B000", "--end", "B1FE", "--jobs", "2", "-o", "two"}, dir.Path())
          .exitCode,
      0);
  EXPECT_EQ(ReadBytes(dir / "one.bin").size(), 188u * 32u);
  EXPECT_EQ(ReadBytes(dir / "one.bin"), ReadBytes(dir / "two.bin"));
}

TEST(FontCli, TestPrintsTheHexDumpAndThePicture) {
  const CliResult r = RunCli({"font", "test", "b0a1"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  // Four lines of eight entries, then a blank line and 16 rows of 16 pixels.
  ASSERT_GT(r.out.size(), 4u * 50u);
  EXPECT_EQ(r.out.substr(0, 6), "0x00, ");
  EXPECT_EQ(r.out.substr(46, 4), ", \r\n");
  EXPECT_NE(r.out.find('#'), std::string::npos);
  const CliResult text = RunCli({"font", "test", "--text", "汉字", "--width", "8"});
  ASSERT_EQ(text.exitCode, 0) << text.err;
  EXPECT_EQ(text.out.find("0x", 16 * 6 + 4), std::string::npos);  // 8 x 16 gives 16 bytes
}

}  // namespace
}  // namespace panelix::test
