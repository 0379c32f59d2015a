#include <gtest/gtest.h>

#include <cstdlib>

#include <filesystem>

#include "bootloader/register_script.h"
#include "support/cli_runner.h"

namespace panelix::bootloader {
namespace {

TEST(BootloaderCli, DefaultsAndFlagsGiveTheWindowsBlock) {
  test::TempDir dir;
  auto result = test::RunCli({"bootloader", "-o", "Bootloader"}, dir.Path());
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(test::ReadBytes(dir / "Bootloader.bin"), BuildBootloader(BootloaderParameters{}));

  result = test::RunCli({"bootloader",
                         "--xsize",
                         "480",
                         "--ysize",
                         "272",
                         "--hsbp",
                         "0x2B",
                         "--lcd-if",
                         "24",
                         "--rgb-order",
                         "bgr",
                         "--canvas",
                         "linear16",
                         "--spi-speed",
                         "8",
                         "--spi",
                         "0",
                         "--pclk-rise",
                         "--de-mode",
                         "--pwm",
                         "150",
                         "-o",
                         (dir / "b.bin").string()});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  BootloaderParameters p;
  p.xsize = 480, p.ysize = 272, p.hsbp = 43, p.lcdif = 0, p.lcdrgb = 5, p.canvas = 5, p.speed = 3, p.spi = 0;
  p.pclk = false, p.dem = true, p.pwm = 150;
  EXPECT_EQ(test::ReadBytes(dir / "b.bin"), BuildBootloader(p));
}

TEST(BootloaderCli, HexPrintsTheViewWithoutWriting) {
  test::TempDir dir;
  const auto result = test::RunCli({"bootloader", "--hex"}, dir.Path());
  ASSERT_EQ(result.exitCode, 0) << result.err;
  const std::string head = "61 72 77 63 77 62 78 67 //ID \n11 05 13 8A \n";
  EXPECT_EQ(result.out.substr(0, head.size()), head);
  EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
}

TEST(BootloaderCli, BadNumbersFailWithTheWindowsMessagesAndWriteNothing) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
      {{"--xsize", ""}, "'' is not a valid integer value\n"},
      {{"--pwm", "7O"}, "'7O' is not a valid integer value\n"},
      {{"--mclk-n", "0"}, "Division by zero\n"},
      {{"--mclk-n", "1001"}, "Division by zero\n"},
      {{"--xsize", "70000"}, "XSIZE 70000 is out of range: the register holds 0..2055.\n"},
      {{"--mclk-n", "-5"}, "MCLK_N -5 is out of range: the register holds 1..511.\n"},
      {{"--sclk-n", "512"}, "SCLK_N 512 is out of range: the register holds 0..511.\n"},
      {{"--vsfp", "257"}, "VSFP 257 is out of range: the register holds 0..256.\n"},
      {{"--flash-addr", "-1"}, "FLASHADDR -1 is out of range: it must be 0 or more.\n"},
      {{"--pwm-pre", "-3"}, "PPRE -3 is out of range: it must be 0 or more.\n"},
  };
  for (const auto& [flags, message] : cases) {
    SCOPED_TRACE(flags.front());
    test::TempDir dir;
    test::WriteBytes(dir / "Bootloader.bin", {1, 2, 3});
    std::vector<std::string> args{"bootloader", "-o", "Bootloader"};
    args.insert(args.end(), flags.begin(), flags.end());
    const auto result = test::RunCli(args, dir.Path());
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, message);
    EXPECT_EQ(test::ReadBytes(dir / "Bootloader.bin"), (std::vector<std::uint8_t>{1, 2, 3}));
  }
}

// What a command prints on its standard output is part of its result: a full standard output
// is a failure, whatever the command.
TEST(StandardOutput, AFullStandardOutputFailsTheCommand) {
  if (!std::filesystem::exists("/dev/full")) {
    GTEST_SKIP() << "no /dev/full";
  }
  test::TempDir dir;
  const std::string command = "cd " + test::ShellQuote(dir.Path().string()) + " && " +
                              test::ShellQuote(PANELIX_CLI) + " bootloader --hex >/dev/full 2>/dev/null";
  const int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 1);
}

}  // namespace
}  // namespace panelix::bootloader
