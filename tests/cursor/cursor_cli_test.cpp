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
  struct Case {
    std::vector<std::string> args;
    const char* message;
  };
  const Case cases[] = {
      {{"cursor", "--to-text", "short.bin"}, "short.bin is not a cursor file"},
      {{"cursor", "--from-text", "t.txt", "-o", ""}, "Error file's name"},
      {{"cursor", "--from-text", "t.txt", "-o", "no/such/dir/c.bin"}, "Can't open no/such/dir/c.bin"},
      {{"cursor"}, "--from-text"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    const auto r = RunCli(c.args, dir.Path());
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
  }
}

}  // namespace
}  // namespace panelix
