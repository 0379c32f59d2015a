#include "bootloader/register_script.h"

#include <algorithm>
#include <array>

#include "base/error.h"
#include "base/files.h"
#include "base/numbers.h"
#include "output/output_names.h"

namespace panelix::bootloader {

namespace {

constexpr std::array<std::uint8_t, 8> kIdentification{0x61, 0x72, 0x77, 0x63, 0x77, 0x62, 0x78, 0x67};
constexpr std::uint8_t kRecordStart = 0x11;
constexpr std::uint8_t kWrite = 0x13;
constexpr std::uint8_t kWriteAgain = 0x12;
constexpr std::uint8_t kPad = 0xAA;
constexpr std::uint8_t kEnd = 0x00;

std::uint8_t Lo(std::int32_t value) {
  return static_cast<std::uint8_t>(static_cast<std::uint32_t>(value));
}
std::uint8_t Hi(std::int32_t value) {
  return static_cast<std::uint8_t>(static_cast<std::uint32_t>(value) >> 8);
}
std::int32_t Bit8(std::int32_t value) {
  return static_cast<std::int32_t>((static_cast<std::uint32_t>(value) >> 8) & 1U);
}

// Wraps arithmetic to 32 bits, the width of the register values the module's bootloader reads, so
// that no typed value can overflow and stored scripts keep their bytes.
std::int32_t Wrap(std::int64_t value) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(value)));
}

class Script {
 public:
  Script() { m_bytes.reserve(kBootloaderSize); }

  void Bytes(std::span<const std::uint8_t> bytes) {
    m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
  }
  void Set(std::uint8_t reg, std::int64_t value, std::uint8_t operation = kWrite) {
    m_bytes.insert(m_bytes.end(), {kRecordStart, reg, operation, Lo(Wrap(value))});
  }
  void Pad(std::size_t count) { m_bytes.insert(m_bytes.end(), count, kPad); }
  void End() { m_bytes.push_back(kEnd); }
  std::vector<std::uint8_t> Take() { return std::move(m_bytes); }

 private:
  std::vector<std::uint8_t> m_bytes;
};

// One PLL: OD in bits 6..7, R in bits 1..5, bit 8 of N in bit 0; then N's low byte.
void SetPll(Script& s, std::uint8_t reg, std::int32_t od, std::int32_t r, std::int32_t n) {
  s.Set(reg, std::int64_t{od} * 64 + std::int64_t{r} * 2 + Bit8(n));
  s.Set(static_cast<std::uint8_t>(reg + 1), Lo(n));
}

// A porch or pulse width in units of 8 pixels, less one; short ones are 0.
std::int64_t Eighths(std::int32_t value) {
  return value < 8 ? 0 : value / 8 - 1;
}

void SetPanelTiming(Script& s, const BootloaderParameters& p, std::int32_t p12) {
  s.Set(0x10, std::int64_t{p.color} * 4 + p.dem);
  s.Set(0x12, p12);
  s.Set(0x13, 0x80 * p.hsync + 0x40 * p.vsync + 0x20 * p.dep);
  s.Set(0x14, p.xsize / 8 - 1);
  s.Set(0x15, p.xsize % 8);
  const std::int32_t lastLine = Wrap(std::int64_t{p.ysize} - 1);
  s.Set(0x1A, Lo(lastLine));
  s.Set(0x1B, Hi(lastLine));
  if (p.hsbp < 8) {
    s.Set(0x16, 0);
    s.Set(0x17, p.hsbp);
  } else {
    s.Set(0x16, p.hsbp / 8 - 1);
    s.Set(0x17, p.hsbp % 8);
  }
  s.Set(0x18, Eighths(p.hsfp));
  s.Set(0x19, Eighths(p.hspw));
  const std::int32_t vsbp = Wrap(std::int64_t{p.vsbp} - 1);
  s.Set(0x1C, Lo(vsbp));
  s.Set(0x1D, Hi(vsbp));
  s.Set(0x1E, Lo(Wrap(std::int64_t{p.vsfp} - 1)));
  s.Set(0x1F, Lo(Wrap(std::int64_t{p.vspw} - 1)));
}

// Registers first..first+3 cleared, then the width; used for the main window and the canvas.
void SetWindowOrigin(Script& s, std::uint8_t first, std::int32_t xsize) {
  for (std::uint8_t reg = first; reg < first + 4; ++reg) {
    s.Set(reg, 0);
  }
  s.Set(static_cast<std::uint8_t>(first + 4), Lo(xsize));
  s.Set(static_cast<std::uint8_t>(first + 5), Hi(xsize));
}

void SetCanvas(Script& s, const BootloaderParameters& p) {
  SetWindowOrigin(s, 0x20, p.xsize);
  for (std::uint8_t reg = 0x26; reg <= 0x29; ++reg) {
    s.Set(reg, 0);
  }
  s.Pad(4);
  SetWindowOrigin(s, 0x50, p.xsize);
  for (std::uint8_t reg = 0x56; reg <= 0x59; ++reg) {
    s.Set(reg, 0);
  }
  s.Set(0x5A, Lo(p.xsize));
  s.Set(0x5B, Hi(p.xsize));
  s.Set(0x5C, Lo(p.ysize));
  s.Set(0x5D, Hi(p.ysize));
  s.Set(0x5E, p.canvas);
}

void SetFlashAccess(Script& s, const BootloaderParameters& p) {
  const auto address = static_cast<std::uint32_t>(p.flashAddr);
  for (std::uint8_t i = 0; i < 4; ++i) {
    s.Set(static_cast<std::uint8_t>(0xBC + i), (address >> (8 * i)) & 0xFF);
  }
  for (std::uint8_t reg = 0xC0; reg <= 0xC3; ++reg) {
    s.Set(reg, 0);
  }
  s.Set(0xC6, Lo(p.xsize));
  s.Set(0xC7, Hi(p.xsize));
  s.Set(0xC8, Lo(p.ysize));
  s.Set(0xC9, Hi(p.ysize));
  s.Set(0xCA, Lo(p.xsize));
  s.Set(0xCB, Hi(p.xsize));
  s.Set(0xB7, (p.spi == 1 ? 0xC0 : 0x40) + std::int64_t{0x20} * p.addr32 + p.readCmd);
  s.Set(0xB6, 0x01);
  s.Pad(4);
}

void SetBacklight(Script& s, const BootloaderParameters& p) {
  s.Set(0x84, p.ppre);
  s.Set(0x85, 0x0A);
  s.Set(0x87, 0x00);
  s.Set(0x8C, Lo(p.pwmt));
  s.Set(0x8D, Hi(p.pwmt));
  s.Set(0x8E, Lo(p.pwm));
  s.Set(0x8F, Hi(p.pwm));
  s.Set(0x86, 0x30);
  s.Pad(4);
}

}  // namespace

std::int32_t RefreshCount(std::int32_t mclkN) {
  const std::int32_t period = mclkN == 0 ? 0 : 1000 / mclkN;
  if (period == 0) {
    throw Error("Division by zero");
  }
  return 7812 / period - 2;
}

std::vector<std::uint8_t> BuildBootloader(const BootloaderParameters& parameters) {
  const BootloaderParameters p = LimitParameters(parameters);
  const std::int32_t refresh = RefreshCount(p.mclkN);
  CheckParameterRanges(parameters);
  // A core clock above 80 is not supported: both PLLs then run at the fixed 80 and 100.
  const bool fixedClocks = p.cclkN > 80;
  const std::int32_t c = fixedClocks ? 80 : p.cclkN;
  const std::int32_t m = fixedClocks ? 100 : p.mclkN;
  const std::int32_t p12 = Wrap(std::int64_t{0x80} * p.pclk + p.lcdrgb);

  Script s;
  s.Bytes(kIdentification);
  SetPll(s, 0x05, p.sclkOd, p.sclkR, p.sclkN);
  SetPll(s, 0x07, p.mclkOd, p.mclkR, m);
  SetPll(s, 0x09, p.cclkOd, p.cclkR, c);
  s.Set(0x00, 0x80);
  s.Pad(4);
  const std::int64_t lcdif = std::int64_t{p.lcdif} * 8 + 0x82;
  s.Set(0x01, lcdif);
  s.Set(0x01, lcdif, kWriteAgain);
  s.Set(0x02, 0x40);
  s.Pad(4);
  s.Set(0xE0, 0x29);
  s.Set(0xE1, 0x03);
  s.Set(0xE2, Lo(refresh));
  s.Set(0xE3, Hi(refresh));
  s.Set(0xE4, 0x01);
  s.Pad(10);
  SetPanelTiming(s, p, p12);
  s.Set(0xBB, p.speed);
  SetCanvas(s, p);
  SetFlashAccess(s, p);
  s.Set(0x12, p12 | 0x40);
  s.Pad(4);
  SetBacklight(s, p);
  s.End();
  return s.Take();
}

std::string BootloaderHexView(std::span<const std::uint8_t> block) {
  const std::size_t idSize = std::min(block.size(), kIdentification.size());
  std::string text;
  text.reserve(block.size() * 3 + block.size() / 2 + 8);
  for (std::size_t i = 0; i < idSize; ++i) {
    text += HexUpper(block[i], 2);
    text += ' ';
  }
  text += "//ID \r\n";
  for (std::size_t i = idSize; i < block.size(); ++i) {
    const std::size_t n = i - idSize;
    if (n > 0 && n % 4 == 0) {
      text += "\r\n";
    }
    text += HexUpper(block[i], 2);
    text += ' ';
  }
  return text;
}

std::string SaveBootloader(std::string_view chosenName, std::span<const std::uint8_t> block) {
  const std::string name = output::OutputBinName(chosenName);
  WriteFileReplacing(name, block, CantOpenMessage(name));
  return name;
}

}  // namespace panelix::bootloader
