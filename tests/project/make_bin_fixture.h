#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/cli_runner.h"

namespace panelix::project::test {

// The [INFO] section of a 1024 x 600 module; its settings encode as kExampleSettings.
inline std::vector<std::string> InfoLines() {
  return {
      "[INFO]",         "PCVersion = 10",    "COMPort = UART",    "Baudrate = 115200", "PCBVersion = 12",
      "MCUBit = 8",     "MCUType = STM",     "CX9Type = CX-2",    "CX9IF = SPI",       "XSIZE = 1024",
      "YSIZE = 600",    "VBPD = 20",         "VFPD = 12",         "VSPW = 3",          "HBPD = 140",
      "HFPD = 160",     "HSPW = 20",         "PCLKRISING = True", "HSYNCPolarity = 0", "VSYNCPolarity = 0",
      "DEPolarity = 1", "RGBSequence = RGB", "ColorDepth = 16",   "FlashType = NOR",   "FlashSize = 128"};
}

inline const std::vector<std::uint8_t> kExampleSettings{0x10, 0x00, 0x01, 0xC2, 0x00, 0x12, 0x00, 0x01, 0x02,
                                                        0x02, 0x04, 0x00, 0x02, 0x58, 0x00, 0x14, 0x00, 0x0C,
                                                        0x00, 0x03, 0x00, 0x8C, 0x00, 0xA0, 0x00, 0x14, 0x01,
                                                        0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00, 0x80};

// A whole project: the [INFO] section, then "[USERCMD]" and the given command lines.
inline std::vector<std::string> ProjectLines(const std::vector<std::string>& commands = {}) {
  std::vector<std::string> lines{" "};
  for (const std::string& line : InfoLines()) {
    lines.push_back(line);
  }
  lines.push_back(" ");
  lines.push_back("[USERCMD]");
  lines.insert(lines.end(), commands.begin(), commands.end());
  return lines;
}

// A bin of size bytes counting up from first, so a misplaced byte shows.
inline std::vector<std::uint8_t> Pattern(std::size_t size, std::uint8_t first) {
  std::vector<std::uint8_t> bytes(size);
  for (std::size_t i = 0; i < size; ++i) {
    bytes[i] = static_cast<std::uint8_t>(first + i);
  }
  return bytes;
}

// An address row as the converters write it.
inline std::string Row(int w, int h, std::uint32_t address, std::uint32_t size, const std::string& name) {
  char text[96];
  std::snprintf(text, sizeof text, "{%d, %d, 0x%08X, 0x%08X},//%s\r\n", w, h, address, size, name.c_str());
  return text;
}

// Address list of a bin holding count items of itemSize bytes each.
inline std::string EvenRows(int count, std::uint32_t itemSize, int w = 1, int h = 1) {
  std::string text;
  for (int i = 0; i < count; ++i) {
    text += Row(w, h, static_cast<std::uint32_t>(i) * itemSize, itemSize, "p" + std::to_string(i) + ".bmp");
  }
  return text;
}

inline std::vector<std::uint8_t> Concat(std::initializer_list<std::vector<std::uint8_t>> parts) {
  std::vector<std::uint8_t> all;
  for (const auto& part : parts) {
    all.insert(all.end(), part.begin(), part.end());
  }
  return all;
}

}  // namespace panelix::project::test
