#include "project/flash_budget.h"

#include <cstdio>

#include "base/bytes.h"

namespace panelix::project {

namespace {
constexpr std::size_t kFlashSizeOffset = 0x0421;
constexpr std::uint64_t kBytesPerMegabit = 1024 * 1024 / 8;
}  // namespace

FlashBudget BudgetOf(const BuiltImage& image, std::optional<std::uint32_t> flashMegabits) {
  FlashBudget budget;
  budget.used = image.block->Size();
  for (const PlacedBin& bin : image.bins) {
    budget.used += bin.size;
  }
  budget.megabits = flashMegabits.value_or(ReadBE16(image.block->Bytes(), kFlashSizeOffset));
  budget.flashBytes = budget.megabits * kBytesPerMegabit;
  return budget;
}

std::string BudgetText(const FlashBudget& budget) {
  if (budget.megabits == 0) {
    return "used " + std::to_string(budget.used) + " bytes (FlashSize declares no size)";
  }
  char percent[32];
  std::snprintf(percent, sizeof percent, "%.1f",
                100.0 * static_cast<double>(budget.used) / static_cast<double>(budget.flashBytes));
  return "used " + std::to_string(budget.used) + " of " + std::to_string(budget.flashBytes) + " bytes (" +
         percent + " %)";
}

std::string FlashTooSmallText(const FlashBudget& budget) {
  return "The flash image is larger than the flash: " + BudgetText(budget) + ", FlashSize " +
         std::to_string(budget.megabits) + " megabits. Nothing is written.";
}

}  // namespace panelix::project
