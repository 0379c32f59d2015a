#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "bootloader/parameters.h"

namespace panelix::bootloader {

// A number field of the bootloader window as a flag of `panelix bootloader`.
struct NumberFlag {
  const char* flag;
  std::int32_t BootloaderParameters::*field;
  const char* help;
};

// A drop-down list of the window as a flag: the flag's words map to the list's captions.
struct ChoiceFlag {
  const char* flag;
  std::int32_t BootloaderParameters::*field;
  std::span<const Choice> choices;
  std::vector<std::pair<std::string, std::string>> words;  // word -> caption
  const char* help;
};

const std::vector<NumberFlag>& NumberFlags();
const std::vector<ChoiceFlag>& ChoiceFlags();

// The flags of `panelix bootloader` that rebuild a block from these parameters, in the order the
// flags are declared, e.g. "--xsize 1024 ... --rgb-order RGB ... --pclk-fall". A choice whose code
// has no word is left out (the flag's default would not rebuild it).
std::string BootloaderFlagsText(const BootloaderParameters& parameters);

}  // namespace panelix::bootloader
