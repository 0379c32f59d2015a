#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "project/make_bin.h"

namespace panelix::project {

// The flash image against the flash it is meant for. [INFO] FlashSize is read in megabits, as SPI
// NOR parts are named (128 is a 16 MiB part); 0 declares no size.
struct FlashBudget {
  std::uint64_t used = 0;        // bytes of the flash image
  std::uint32_t megabits = 0;    // the flash's size as declared (or given instead)
  std::uint64_t flashBytes = 0;  // megabits * 131072

  bool Fits() const { return megabits == 0 || used <= flashBytes; }
};

// The budget of a built image; flashMegabits replaces the FlashSize of its [INFO] section.
FlashBudget BudgetOf(const BuiltImage& image, std::optional<std::uint32_t> flashMegabits = std::nullopt);

// "used N of M bytes (P %)", or "used N bytes (FlashSize declares no size)".
std::string BudgetText(const FlashBudget& budget);

// The message when the image is larger than the flash: Make Bin stops with it and writes nothing.
std::string FlashTooSmallText(const FlashBudget& budget);

}  // namespace panelix::project
