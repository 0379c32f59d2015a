#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "base/error.h"
#include "bootloader/register_script.h"
#include "support/cli_runner.h"

namespace panelix::bootloader {
namespace {

std::vector<std::uint8_t> ParseHex(const std::string& text) {
  std::vector<std::uint8_t> bytes;
  std::istringstream in(text);
  std::string token;
  while (in >> token) {
    bytes.push_back(static_cast<std::uint8_t>(std::stoul(token, nullptr, 16)));
  }
  return bytes;
}

std::string Repeat(const std::string& item, int count) {
  std::string text;
  for (int i = 0; i < count; ++i) {
    text += item + " ";
  }
  return text;
}

// The block the window builds with its defaults, record by record.
std::vector<std::uint8_t> DefaultBlock() {
  return ParseHex(
      "61 72 77 63 77 62 78 67  11 05 13 8A  11 06 13 41  11 07 13 8A  11 08 13 64  11 09 13 8A"
      " 11 0A 13 50  11 00 13 80  AA AA AA AA  11 01 13 92  11 01 12 92  11 02 13 40  AA AA AA AA"
      " 11 E0 13 29  11 E1 13 03  11 E2 13 0B  11 E3 13 03  11 E4 13 01 " +
      Repeat("AA", 10) +
      " 11 10 13 04  11 12 13 80  11 13 13 00  11 14 13 7F  11 15 13 00  11 1A 13 57  11 1B 13 02"
      " 11 16 13 10  11 17 13 04  11 18 13 13  11 19 13 01  11 1C 13 13  11 1D 13 00  11 1E 13 0B"
      " 11 1F 13 02  11 BB 13 01  11 20 13 00  11 21 13 00  11 22 13 00  11 23 13 00  11 24 13 00"
      " 11 25 13 04  11 26 13 00  11 27 13 00  11 28 13 00  11 29 13 00  AA AA AA AA  11 50 13 00"
      " 11 51 13 00  11 52 13 00  11 53 13 00  11 54 13 00  11 55 13 04  11 56 13 00  11 57 13 00"
      " 11 58 13 00  11 59 13 00  11 5A 13 00  11 5B 13 04  11 5C 13 58  11 5D 13 02  11 5E 13 01"
      " 11 BC 13 00  11 BD 13 02  11 BE 13 00  11 BF 13 00  11 C0 13 00  11 C1 13 00  11 C2 13 00"
      " 11 C3 13 00  11 C6 13 00  11 C7 13 04  11 C8 13 58  11 C9 13 02  11 CA 13 00  11 CB 13 04"
      " 11 B7 13 C0  11 B6 13 01  AA AA AA AA  11 12 13 C0  AA AA AA AA  11 84 13 13  11 85 13 0A"
      " 11 87 13 00  11 8C 13 64  11 8D 13 00  11 8E 13 46  11 8F 13 00  11 86 13 30  AA AA AA AA 00");
}

// Value of the first record that sets reg, walking the script item by item.
int RegisterValue(const std::vector<std::uint8_t>& block, std::uint8_t reg) {
  for (std::size_t i = 8; i < block.size();) {
    if (block[i] == 0x11) {
      if (block[i + 1] == reg) {
        return block[i + 3];
      }
      i += 4;
    } else {
      ++i;
    }
  }
  return -1;
}

TEST(BootloaderBlock, DefaultsGiveTheKnownBlockByteForByte) {
  const auto expected = DefaultBlock();
  ASSERT_EQ(expected.size(), kBootloaderSize);
  EXPECT_EQ(BuildBootloader(BootloaderParameters{}), expected);
}

TEST(BootloaderBlock, ParametersReachTheirRegisters) {
  struct Case {
    const char* what;
    std::function<void(BootloaderParameters&)> set;
    std::vector<std::pair<std::uint8_t, int>> registers;
  };
  const std::vector<Case> cases{
      {"core clock above 80 fixes both PLLs, refresh from MCLK_N as typed",
       [](auto& p) {
         p.cclkN = 90;
         p.mclkN = 133;
       },
       {{0x08, 0x64}, {0x0A, 0x50}, {0xE2, 0x5A}, {0xE3, 0x04}}},
      {"R and OD limited",
       [](auto& p) { p.cclkR = 40, p.cclkOd = 5, p.mclkR = 1; },
       {{0x09, 3 * 64 + 31 * 2}, {0x07, 2 * 64 + 2 * 2}}},
      {"bit 8 of SCLK_N", [](auto& p) { p.sclkN = 300; }, {{0x05, 0x8B}, {0x06, 0x2C}}},
      {"short back porch", [](auto& p) { p.hsbp = 6; }, {{0x16, 0}, {0x17, 6}}},
      {"short front porch and pulse", [](auto& p) { p.hsfp = 7, p.hspw = 8; }, {{0x18, 0}, {0x19, 0}}},
      {"one line", [](auto& p) { p.ysize = 1; }, {{0x1A, 0}, {0x1B, 0}, {0x5C, 1}}},
      {"duty above period", [](auto& p) { p.pwm = 150; }, {{0x8E, 100}, {0x8F, 0}}},
      {"period and prescaler limits",
       [](auto& p) { p.pwmt = 70000, p.ppre = 300; },
       {{0x8C, 0xFF}, {0x8D, 0xFF}, {0x84, 0xFF}, {0x8E, 70}}},
      {"polarities and DE mode",
       [](auto& p) { p.pclk = false, p.hsync = true, p.vsync = true, p.dep = true, p.dem = true; },
       {{0x12, 0x00}, {0x13, 0xE0}, {0x10, 0x05}}},
      {"interface, colour order and canvas",
       [](auto& p) { p.lcdif = 0, p.lcdrgb = 5, p.canvas = 4; },
       {{0x01, 0x82}, {0x12, 0x85}, {0x5E, 4}}},
      {"SPI0, 32-bit addresses, fast read",
       [](auto& p) { p.spi = 0, p.addr32 = 1, p.readCmd = 8; },
       {{0xB7, 0x68}}},
      {"odd panel width", [](auto& p) { p.xsize = 479; }, {{0x14, 58}, {0x15, 7}, {0x24, 0xDF}, {0x25, 1}}},
      {"flash address spread low byte first",
       [](auto& p) { p.flashAddr = 0x12345678; },
       {{0xBC, 0x78}, {0xBD, 0x56}, {0xBE, 0x34}, {0xBF, 0x12}}},
      {"vertical porches less one",
       [](auto& p) { p.vsbp = 0, p.vsfp = 1, p.vspw = 0; },
       {{0x1C, 0xFF}, {0x1D, 0xFF}, {0x1E, 0}, {0x1F, 0xFF}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    BootloaderParameters p;
    c.set(p);
    const auto block = BuildBootloader(p);
    ASSERT_EQ(block.size(), kBootloaderSize);
    for (const auto& [reg, value] : c.registers) {
      EXPECT_EQ(RegisterValue(block, reg), value) << "register 0x" << std::hex << int{reg};
    }
  }
}

TEST(BootloaderBlock, TheSecondPanelControlRecordAndTheEnableRecordKeepTheirPlaces) {
  BootloaderParameters p;
  p.lcdrgb = 3;
  const auto block = BuildBootloader(p);
  // 0x01 is written twice, the second time with operation 0x12; 0x12 is set again with bit 6.
  EXPECT_EQ(std::vector<std::uint8_t>(block.begin() + 44, block.begin() + 48),
            (std::vector<std::uint8_t>{0x11, 0x01, 0x12, 0x92}));
  EXPECT_EQ(std::vector<std::uint8_t>(block.end() - 45, block.end() - 41),
            (std::vector<std::uint8_t>{0x11, 0x12, 0x13, 0xC3}));
}

TEST(BootloaderBlock, RefreshCountNeedsAMemoryClockOfOneToOneThousand) {
  EXPECT_EQ(RefreshCount(100), 779);
  EXPECT_EQ(RefreshCount(133), 1114);
  EXPECT_EQ(RefreshCount(1000), 7810);
  for (const std::int32_t mclk : {0, 1001, 5000, -1001}) {
    SCOPED_TRACE(mclk);
    BootloaderParameters p;
    p.mclkN = mclk;
    try {
      BuildBootloader(p);
      ADD_FAILURE() << "built a block";
    } catch (const Error& e) {
      EXPECT_STREQ(e.what(), "Division by zero");
    }
  }
}

TEST(BootloaderBlock, LimitsAreAppliedOnceAndNValuesStayAsTyped) {
  BootloaderParameters p;
  p.cclkOd = 5, p.cclkR = 40, p.mclkR = 1, p.sclkOd = 3, p.cclkN = 90, p.mclkN = 133, p.pwm = 150;
  const auto limited = LimitParameters(p);
  EXPECT_EQ(limited.cclkOd, 3);
  EXPECT_EQ(limited.cclkR, 31);
  EXPECT_EQ(limited.mclkR, 2);
  EXPECT_EQ(limited.sclkOd, 3);
  EXPECT_EQ(limited.cclkN, 90);
  EXPECT_EQ(limited.mclkN, 133);
  EXPECT_EQ(limited.pwm, 100);
}

TEST(BootloaderHexView, IdentificationLineThenFourBytesALine) {
  const std::string view = BootloaderHexView(DefaultBlock());
  const std::string head = "61 72 77 63 77 62 78 67 //ID \r\n11 05 13 8A \r\n11 06 13 41 \r\n";
  EXPECT_EQ(view.substr(0, head.size()), head);
  // The ten pad bytes shift the records against the lines; the end byte closes a short line.
  const std::string tail = "\r\n13 30 AA AA \r\nAA AA 00 ";
  EXPECT_EQ(view.substr(view.size() - tail.size()), tail);
  EXPECT_EQ(view.size(), 8 * 3 + 7 + 359 * 3 + 89 * 2);
}

TEST(BootloaderSave, AppendsBinReplacesTheFileAndRefusesAnEmptyName) {
  test::TempDir dir;
  const auto block = DefaultBlock();
  test::WriteBytes(dir / "Bootloader.bin", std::vector<std::uint8_t>(1000, 0x55));
  EXPECT_EQ(SaveBootloader((dir / "Bootloader").string(), block), (dir / "Bootloader.bin").string());
  EXPECT_EQ(test::ReadBytes(dir / "Bootloader.bin"), block);
  try {
    SaveBootloader("", block);
    ADD_FAILURE();
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "Error file's name");
  }
  const std::string unwritable = (dir / "missing" / "Boot.bin").string();
  try {
    SaveBootloader(unwritable, block);
    ADD_FAILURE();
  } catch (const Error& e) {
    EXPECT_EQ(e.what(), "Can't open " + unwritable);
  }
}

}  // namespace
}  // namespace panelix::bootloader
