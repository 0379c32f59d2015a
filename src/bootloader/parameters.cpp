#include "bootloader/parameters.h"

#include <algorithm>
#include <array>
#include <limits>
#include <string>

#include "base/error.h"

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

void CheckParameterRanges(const BootloaderParameters& p) {
  using P = BootloaderParameters;
  struct Range {
    const char* name;
    std::int32_t P::*field;
    std::int64_t min;
    std::int64_t max;  // kNoMax: only the limits above apply
  };
  constexpr std::int64_t kNoMax = std::numeric_limits<std::int32_t>::max();
  const bool fixedClocks = p.cclkN > 80;
  const std::array<Range, 18> ranges{{
      {"XSIZE", &P::xsize, 0, 2055},
      {"HSPW", &P::hspw, 0, 2055},
      {"HSBP", &P::hsbp, 0, 2055},
      {"HSFP", &P::hsfp, 0, 2055},
      {"YSIZE", &P::ysize, 0, 65535},
      {"VSPW", &P::vspw, 0, 256},
      {"VSBP", &P::vsbp, 0, 65536},
      {"VSFP", &P::vsfp, 0, 256},
      {"FLASHADDR", &P::flashAddr, 0, kNoMax},
      {"CCLK_OD", &P::cclkOd, 0, kNoMax},
      {"CCLK_N", &P::cclkN, 0, fixedClocks ? kNoMax : 511},
      {"MCLK_OD", &P::mclkOd, 0, kNoMax},
      {"MCLK_N", &P::mclkN, 1, fixedClocks ? 1000 : 511},
      {"SCLK_OD", &P::sclkOd, 0, kNoMax},
      {"SCLK_N", &P::sclkN, 0, 511},
      {"PPRE", &P::ppre, 0, kNoMax},
      {"PWMT", &P::pwmt, 0, kNoMax},
      {"PWM", &P::pwm, 0, kNoMax},
  }};
  for (const Range& range : ranges) {
    const std::int64_t value = p.*range.field;
    if (value < range.min || value > range.max) {
      const std::string allowed = range.max == kNoMax ? "it must be " + std::to_string(range.min) + " or more"
                                                      : "the register holds " + std::to_string(range.min) +
                                                            ".." + std::to_string(range.max);
      throw Error(std::string(range.name) + " " + std::to_string(value) + " is out of range: " + allowed +
                  ".");
    }
  }
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
