#include <gtest/gtest.h>

#include "support/cli_runner.h"

namespace panelix {
namespace {

using test::ReadBytes;
using test::RunCli;
using test::TempDir;

TEST(CursorCli, TextToFileAndBack) {
  TempDir dir;
  std::string text;
  for (int line = 0; line < 16; ++line) {
    for (int i = 0; i < 16; ++i) {
      text += line == 0 && i == 0 ? "0x2A," : "0xAA,";
    }
    text += "\r\n";
  }
  test::WriteText(dir / "arrow.txt", text);
  // A longer file of that name is replaced whole; ".bin" is appended to a name without it.
  test::WriteBytes(dir / "Cursor-arrow.bin", std::vector<std::uint8_t>(600, 1));
  const auto made = RunCli({"cursor", "--from-text", "arrow.txt", "-o", "Cursor-arrow"}, dir.Path());
  ASSERT_EQ(made.exitCode, 0) << made.err;
  std::vector<std::uint8_t> expected(256, 0xAA);
  expected[0] = 0x2A;
  EXPECT_EQ(ReadBytes(dir / "Cursor-arrow.bin"), expected);

  const auto shown = RunCli({"cursor", "--to-text", "Cursor-arrow.bin"}, dir.Path());
  ASSERT_EQ(shown.exitCode, 0) << shown.err;
  std::string lf = text;
  for (std::size_t at; (at = lf.find('\r')) != std::string::npos;) {
    lf.erase(at, 1);
  }
  EXPECT_EQ(shown.out, lf);
}

TEST(CursorCli, BadInputGetsAMessageAndFailure) {
  TempDir dir;
  test::WriteBytes(dir / "short.bin", std::vector<std::uint8_t>(255, 0xAA));
  test::WriteText(dir / "t.txt", "0x12");
  std::string full;
  for (int line = 0; line < 16; ++line) {
    for (int i = 0; i < 16; ++i) {
      full += "0xAA,";
    }
    full += "\n";
  }
  test::WriteText(dir / "ok.txt", full);
  test::WriteText(dir / "ok.bin", full);
  test::WriteText(dir / "long.txt", full + "0x01,\n");
  std::string bad = full;
  bad.replace(2 * 81 + 5, 5, "0xZZ,");
  test::WriteText(dir / "bad.txt", bad);
  struct Case {
    std::vector<std::string> args;
    const char* message;
  };
  const Case cases[] = {
      {{"cursor", "--to-text", "short.bin"}, "short.bin is not a cursor file"},
      {{"cursor", "--from-text", "ok.txt", "-o", ""}, "Error file's name"},
      {{"cursor", "--from-text", "ok.txt", "-o", "no/such/dir/c.bin"}, "Can't open no/such/dir/c.bin"},
      {{"cursor"}, "--from-text"},
      {{"cursor", "--from-text", "t.txt", "-o", "c"},
       "t.txt: The cursor text ends on line 1 after 1 value; a cursor holds 256 values."},
      {{"cursor", "--from-text", "long.txt", "-o", "c"},
       "long.txt: Line 17 of the cursor text holds value 257; a cursor holds 256 values."},
      {{"cursor", "--from-text", "bad.txt", "-o", "c"},
       "bad.txt: Line 3 of the cursor text: \"xZZ\" is not a hexadecimal byte."},
      {{"cursor", "--from-text", "ok.bin", "-o", "ok.bin"},
       "The output ok.bin would overwrite the input ok.bin."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    const auto r = RunCli(c.args, dir.Path());
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
  }
  EXPECT_FALSE(std::filesystem::exists(dir / "c.bin"));
  EXPECT_EQ(test::ReadBytes(dir / "ok.bin"), test::ReadBytes(dir / "ok.txt"));
}

}  // namespace
}  // namespace panelix
