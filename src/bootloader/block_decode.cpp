// The bootloader block read back. Its shape is taken from the generator itself (the block it
// builds from the default parameters), so the two can never disagree about where a register sits.
#include "bootloader/block_decode.h"

#include <algorithm>
#include <map>

#include "base/error.h"
#include "base/numbers.h"
#include "bootloader/register_script.h"

namespace panelix::bootloader {

namespace {

constexpr std::uint8_t kRecordStart = 0x11;
constexpr std::size_t kIdentificationSize = 8;
constexpr std::size_t kValueAt = 3;

// Offsets of the bytes that carry register values in the generator's block; every other byte of
// the 367 is fixed.
std::vector<std::size_t> ValueOffsets(std::span<const std::uint8_t> shape) {
  std::vector<std::size_t> offsets;
  for (std::size_t at = kIdentificationSize; at < shape.size();) {
    if (shape[at] == kRecordStart) {
      offsets.push_back(at + kValueAt);
      at += 4;
    } else {
      ++at;
    }
  }
  return offsets;
}

// Registers to values, the first record of each register counting.
std::map<int, std::int32_t> RegisterValues(std::span<const std::uint8_t> block,
                                           const std::vector<std::size_t>& values) {
  std::map<int, std::int32_t> registers;
  for (const std::size_t at : values) {
    registers.emplace(block[at - 2], block[at]);
  }
  return registers;
}

BootloaderParameters ParametersOf(std::map<int, std::int32_t>& v) {
  BootloaderParameters p;
  const auto pll = [&](int reg, std::int32_t& od, std::int32_t& r, std::int32_t& n) {
    od = v[reg] >> 6;
    r = (v[reg] >> 1) & 31;
    n = ((v[reg] & 1) << 8) | v[reg + 1];
  };
  pll(0x05, p.sclkOd, p.sclkR, p.sclkN);
  pll(0x07, p.mclkOd, p.mclkR, p.mclkN);
  pll(0x09, p.cclkOd, p.cclkR, p.cclkN);
  p.lcdif = ((v[0x01] - 0x82) & 0xFF) / 8;
  p.color = v[0x10] >> 2;
  p.dem = (v[0x10] & 1) != 0;
  p.pclk = (v[0x12] & 0x80) != 0;
  p.lcdrgb = v[0x12] & 0x7F;
  p.hsync = (v[0x13] & 0x80) != 0;
  p.vsync = (v[0x13] & 0x40) != 0;
  p.dep = (v[0x13] & 0x20) != 0;
  p.xsize = v[0x24] | (v[0x25] << 8);
  p.ysize = v[0x5C] | (v[0x5D] << 8);
  // A back porch of 8..15 and one of 0..7 give the same registers; the shorter is taken.
  p.hsbp = v[0x16] == 0 ? v[0x17] : (v[0x16] + 1) * 8 + v[0x17];
  p.hsfp = v[0x18] == 0 ? 0 : (v[0x18] + 1) * 8;
  p.hspw = v[0x19] == 0 ? 0 : (v[0x19] + 1) * 8;
  p.vsbp = (v[0x1C] | (v[0x1D] << 8)) + 1;
  p.vsfp = v[0x1E] + 1;
  p.vspw = v[0x1F] + 1;
  p.speed = v[0xBB];
  p.canvas = v[0x5E];
  p.flashAddr = static_cast<std::int32_t>(
      static_cast<std::uint32_t>(v[0xBC]) | (static_cast<std::uint32_t>(v[0xBD]) << 8) |
      (static_cast<std::uint32_t>(v[0xBE]) << 16) | (static_cast<std::uint32_t>(v[0xBF]) << 24));
  p.spi = v[0xB7] >= 0xC0 ? 1 : 0;
  p.addr32 = (v[0xB7] >> 5) & 1;
  p.readCmd = v[0xB7] & 0x1F;
  p.ppre = v[0x84];
  p.pwmt = v[0x8C] | (v[0x8D] << 8);
  p.pwm = v[0x8E] | (v[0x8F] << 8);
  return p;
}

bool Rebuilds(const BootloaderParameters& p, std::span<const std::uint8_t> block) {
  try {
    const std::vector<std::uint8_t> built = BuildBootloader(p);
    return std::equal(built.begin(), built.end(), block.begin(), block.end());
  } catch (const Error&) {
    return false;
  }
}

// The PLL records hold CCLK_N and MCLK_N only when CCLK_N is at most 80; the refresh count always
// follows MCLK_N as typed. Tries the parameters as read, then an MCLK_N that gives the refresh
// count found, then a CCLK_N above 80.
std::optional<BootloaderParameters> Rebuilding(BootloaderParameters p, std::map<int, std::int32_t>& v,
                                               std::span<const std::uint8_t> block) {
  if (Rebuilds(p, block)) {
    return p;
  }
  const std::int32_t refresh = v[0xE2] | (v[0xE3] << 8);
  const std::int32_t pllN = p.mclkN;
  for (const std::int32_t cclkN : {p.cclkN, 81}) {
    p.cclkN = cclkN;
    for (std::int32_t n = 1; n <= 1000; ++n) {
      if ((RefreshCount(n) & 0xFFFF) != refresh || (cclkN <= 80 && (n & 0x1FF) != pllN)) {
        continue;
      }
      p.mclkN = n;
      if (Rebuilds(p, block)) {
        return p;
      }
    }
  }
  return std::nullopt;
}

}  // namespace

DecodedBootloader DecodeBootloader(std::span<const std::uint8_t> region) {
  DecodedBootloader result;
  region = region.first(std::min(region.size(), kBootloaderRegionSize));
  result.present = std::any_of(region.begin(), region.end(), [](std::uint8_t b) { return b != 0xFF; });
  if (!result.present) {
    return result;
  }
  const std::vector<std::uint8_t> shape = BuildBootloader(BootloaderParameters{});
  if (region.size() < shape.size()) {
    result.problems.push_back("the bootloader region is shorter than a bootloader block");
    return result;
  }
  const std::vector<std::size_t> values = ValueOffsets(shape);
  std::size_t wrong = 0;
  std::size_t firstWrong = 0;
  for (std::size_t at = 0; at < region.size(); ++at) {
    const bool isValue = std::binary_search(values.begin(), values.end(), at);
    const std::uint8_t expected = at < shape.size() ? shape[at] : 0xFF;
    if (!isValue && region[at] != expected) {
      firstWrong = wrong == 0 ? at : firstWrong;
      ++wrong;
    }
  }
  result.bytes.assign(region.begin(), region.begin() + static_cast<std::ptrdiff_t>(shape.size()));
  if (wrong > 0) {
    result.problems.push_back("the bootloader block lacks the fixed bytes of a bootloader (" +
                              std::to_string(wrong) + " bytes differ, the first at 0x" +
                              HexUpper(static_cast<std::uint32_t>(firstWrong), 4) + ")");
    return result;
  }
  std::map<int, std::int32_t> registers = RegisterValues(result.bytes, values);
  result.parameters = Rebuilding(ParametersOf(registers), registers, result.bytes);
  result.exact = result.parameters.has_value();
  if (!result.parameters) {
    result.parameters = ParametersOf(registers);
  }
  return result;
}

}  // namespace panelix::bootloader
