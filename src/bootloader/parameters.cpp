#include "bootloader/parameters.h"

#include <algorithm>

namespace panelix::bootloader {

namespace {

std::int32_t LimitOd(std::int32_t od) {
  return std::min(od, 3);
}
std::int32_t LimitR(std::int32_t r) {
  return std::clamp(r, 2, 31);
}

}  // namespace

BootloaderParameters LimitParameters(BootloaderParameters p) {
  p.cclkOd = LimitOd(p.cclkOd);
  p.mclkOd = LimitOd(p.mclkOd);
  p.sclkOd = LimitOd(p.sclkOd);
  p.cclkR = LimitR(p.cclkR);
  p.mclkR = LimitR(p.mclkR);
  p.sclkR = LimitR(p.sclkR);
  p.ppre = std::min(p.ppre, 255);
  p.pwmt = std::min(p.pwmt, 65535);
  p.pwm = std::min(p.pwm, p.pwmt);
  return p;
}

std::int32_t ChoiceValue(std::span<const Choice> choices, int index, std::int32_t fallback) {
  if (index < 0 || static_cast<std::size_t>(index) >= choices.size()) {
    return fallback;
  }
  return choices[static_cast<std::size_t>(index)].value;
}

std::optional<std::int32_t> ChoiceByCaption(std::span<const Choice> choices, std::string_view caption) {
  for (const auto& choice : choices) {
    if (choice.caption == caption) {
      return choice.value;
    }
  }
  return std::nullopt;
}

}  // namespace panelix::bootloader
