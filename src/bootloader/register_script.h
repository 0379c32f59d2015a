#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "bootloader/parameters.h"

namespace panelix::bootloader {

// Size of the bootloader block: 8 identification bytes, 81 register records of 4 bytes, 34 pad
// bytes and the end byte. The project builder copies it into the first 512 bytes of the info block.
inline constexpr std::size_t kBootloaderSize = 367;

// The refresh count of the memory controller, 7812 / (1000 / mclkN) - 2, from MCLK_N as typed.
// Throws panelix::Error "Division by zero" when mclkN is 0 or its magnitude is above 1000.
std::int32_t RefreshCount(std::int32_t mclkN);

// Builds the bootloader block from the parameters (limits applied first, LimitParameters): the
// identification "arwcwbxg", the register script and the end byte 0x00. A register record is
// 0x11, register, operation (0x13, once 0x12), value; numbers wider than a register are spread over
// consecutive registers low byte first, and every value is taken modulo 256. Always
// kBootloaderSize bytes. Throws panelix::Error "Division by zero" (RefreshCount), then the message of
// CheckParameterRanges for a value its registers cannot hold; nothing is built
// then.
std::vector<std::uint8_t> BuildBootloader(const BootloaderParameters& parameters);

// The block as the window shows it: each identification byte as two upper-case hexadecimal digits
// and a blank, then "//ID \r\n", then the script bytes the same way with "\r\n" before every
// fourth one, so each full line shows four bytes.
std::string BootloaderHexView(std::span<const std::uint8_t> block);

// Writes the block to the output named from the save dialog's answer (".bin" appended when the name
// lacks it), replacing any file of that name whole, and returns the name written. Throws
// panelix::Error "Error file's name" for an empty name and "Can't open " + name when the file
// cannot be written (an old file of that name is left as it was).
std::string SaveBootloader(std::string_view chosenName, std::span<const std::uint8_t> block);

}  // namespace panelix::bootloader
