#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/cli_runner.h"

namespace panelix::combiner {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(CombineCli, ChainsStartsLikeTheWindowAndWritesTheAddressList) {
  test::TempDir dir;
  test::WriteBytes(dir / "boot.bin", Bytes(0x100, 0xA1));
  test::WriteBytes(dir / "pic.bin", Bytes(0x10, 0xB2));
  test::WriteBytes(dir / "font.bin", Bytes(4, 0xC3));
  const auto result =
      test::RunCli({"combine", "-o", "all", "boot.bin", "pic.bin@0x200", "font.bin"}, dir.Path());
  ASSERT_EQ(result.exitCode, 0) << result.err;
  Bytes expected(0x100, 0xA1);
  expected.insert(expected.end(), 0x100, 0xFF);
  expected.insert(expected.end(), 0x10, 0xB2);
  expected.insert(expected.end(), 4, 0xC3);
  EXPECT_EQ(test::ReadBytes(dir / "all.bin"), expected);
  const auto list = test::ReadBytes(dir / "all-Addr.txt");
  EXPECT_EQ(std::string(list.begin(), list.end()),
            "{0x00000000, 0x00000100}, //boot.bin\r\n{0x00000200, 0x00000010}, //pic.bin\r\n"
            "{0x00000210, 0x00000004}, //font.bin\r\n");
}

TEST(CombineCli, RefusesWhatTheWindowCouldNotDo) {
  test::TempDir dir;
  test::WriteBytes(dir / "a.bin", Bytes(4, 1));
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
      {{"a.bin@16"}, "The first file starts at 0: a.bin@16\n"},
      {{"a.bin", "a.bin@-5"}, "'-5' is not a valid integer value\n"},
      {{"a.bin", "missing.bin"}, "The file might not be accessibl. missing.bin\n"},
      {{"a.bin", "a.bin@2"},
       "The file a.bin cannot start at 0x00000002, inside or before the file a.bin, which ends at "
       "0x00000004.\n"},
  };
  for (const auto& [files, message] : cases) {
    SCOPED_TRACE(message);
    std::vector<std::string> args{"combine", "-o", "out"};
    args.insert(args.end(), files.begin(), files.end());
    const auto result = test::RunCli(args, dir.Path());
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, message);
    EXPECT_FALSE(std::filesystem::exists(dir / "out.bin"));
    EXPECT_FALSE(std::filesystem::exists(dir / "missing.bin"));
  }
  const auto seven = test::RunCli(
      {"combine", "-o", "out", "a.bin", "a.bin", "a.bin", "a.bin", "a.bin", "a.bin", "a.bin"}, dir.Path());
  EXPECT_NE(seven.exitCode, 0);
  EXPECT_FALSE(std::filesystem::exists(dir / "out.bin"));
}

}  // namespace
}  // namespace panelix::combiner
