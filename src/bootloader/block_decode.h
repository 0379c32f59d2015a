#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "bootloader/parameters.h"
#include "bootloader/register_script.h"

namespace panelix::bootloader {

// The info block keeps the bootloader block in its first 512 bytes, 0xFF after the block.
inline constexpr std::size_t kBootloaderRegionSize = 0x200;

struct DecodedBootloader {
  bool present = false;  // the region holds something other than 0xFF
  bool exact = false;    // parameters rebuild exactly the bytes found
  std::optional<BootloaderParameters> parameters;
  std::vector<std::uint8_t> bytes;  // the block as found (its 367 bytes when it has a bootloader's shape)
  std::vector<std::string> problems;
};

// Reads the bootloader parameter block of an info block (its first 0x200 bytes) back into the
// parameters of the bootloader generator. The block must have the generator's fixed bytes (the
// identification, every record's start, register and operation bytes, the pad bytes, the end
// byte and 0xFF after it); what differs is named in problems. A region of 0xFF only is no
// bootloader and no problem.
DecodedBootloader DecodeBootloader(std::span<const std::uint8_t> region);

}  // namespace panelix::bootloader
