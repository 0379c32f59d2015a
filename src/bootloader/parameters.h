#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace panelix::bootloader {

// Panel timing and controller settings that the register script is built from. The defaults are
// those the bootloader window opens with. Numbers are kept as typed; LimitParameters applies the
// limits the module accepts.
struct BootloaderParameters {
  // Panel timing, in pixels and lines.
  std::int32_t xsize = 1024;
  std::int32_t hspw = 20;
  std::int32_t hsbp = 140;
  std::int32_t hsfp = 160;
  std::int32_t ysize = 600;
  std::int32_t vspw = 3;
  std::int32_t vsbp = 20;
  std::int32_t vsfp = 12;
  // Signal polarities and DE mode.
  bool pclk = true;
  bool hsync = false;
  bool vsync = false;
  bool dep = false;
  bool dem = false;
  // Register codes of the drop-down choices (see the choice tables below).
  std::int32_t lcdif = 2;
  std::int32_t lcdrgb = 0;
  std::int32_t color = 1;
  std::int32_t readCmd = 0;
  std::int32_t addr32 = 0;
  std::int32_t canvas = 1;
  std::int32_t speed = 1;
  std::int32_t spi = 1;
  // Offset of the pictures in the SPI flash.
  std::int32_t flashAddr = 512;
  // The three PLLs: output divider, reference divider, multiplier.
  std::int32_t cclkOd = 2;
  std::int32_t cclkR = 5;
  std::int32_t cclkN = 80;
  std::int32_t mclkOd = 2;
  std::int32_t mclkR = 5;
  std::int32_t mclkN = 100;
  std::int32_t sclkOd = 2;
  std::int32_t sclkR = 5;
  std::int32_t sclkN = 65;
  // Backlight PWM: prescaler, period and duty.
  std::int32_t ppre = 19;
  std::int32_t pwmt = 100;
  std::int32_t pwm = 70;
};

// The parameters with the module's limits applied: each OD at most 3, each R within 2..31, PPRE at
// most 255, PWMT at most 65535 and PWM at most the (limited) PWMT. The N values stay as typed.
BootloaderParameters LimitParameters(BootloaderParameters p);

// Throws panelix::Error for the first number a register could not hold, e.g.
// "XSIZE 70000 is out of range: the register holds 0..2055." or "PPRE -1 is out of range: it must be
// 0 or more.": widths and porches go into one byte in units of 8 pixels less one, line counts less
// one into 16 bits, PLL multipliers into 9 bits, the picture address into 32 bits. A value of 0
// where the register takes the value less one is stored as all ones, as it always was. The limits
// above come first: an OD above 3 or a PPRE above 255 is no fault, a negative one is. A CCLK_N above
// 80 is never stored (the clocks are fixed then), and MCLK_N then only sets the refresh count.
void CheckParameterRanges(const BootloaderParameters& p);

// One entry of a drop-down list of the bootloader window: its caption and the register code it
// stands for.
struct Choice {
  std::string_view caption;
  std::int32_t value;
};

inline constexpr std::array<Choice, 3> kLcdInterfaces{{{"16bit TFT", 2}, {"18bit TFT", 1}, {"24bit TFT", 0}}};
inline constexpr std::array<Choice, 6> kLcdRgbOrders{
    {{"RGB", 0}, {"RBG", 1}, {"GRB", 2}, {"GBR", 3}, {"BRG", 4}, {"BGR", 5}}};
inline constexpr std::array<Choice, 3> kMainWindowColors{{{"8bpp", 0}, {"16bpp", 1}, {"24bpp", 2}}};
inline constexpr std::array<Choice, 5> kReadCommands{
    {{"03h - Normal Read", 0}, {"0Bh - Faster Read", 4}, {"1Bh - Faster Read", 8}, {"3Bh", 2}, {"BBh", 3}}};
inline constexpr std::array<Choice, 2> kAddressModes{{{"24bits", 0}, {"32bits", 1}}};
inline constexpr std::array<Choice, 5> kCanvasModes{{{"Linear - 8bits", 4},
                                                     {"Linear - 16bits", 5},
                                                     {"Block - 8bpp", 0},
                                                     {"Block - 16bpp", 1},
                                                     {"Block - 24bpp", 2}}};
inline constexpr std::array<Choice, 8> kSpiSpeeds{{{"DIV 2", 0},
                                                   {"DIV 4", 1},
                                                   {"DIV 6", 2},
                                                   {"DIV 8", 3},
                                                   {"DIV 10", 4},
                                                   {"DIV 12", 5},
                                                   {"DIV 14", 6},
                                                   {"DIV 16", 7}}};
inline constexpr std::array<Choice, 2> kSpiInterfaces{{{"SPI0", 0}, {"SPI1", 1}}};

// Codes used when nothing is selected in a list that allows it.
inline constexpr std::int32_t kNoColorSelected = 1;
inline constexpr std::int32_t kNoCanvasSelected = 2;
inline constexpr std::int32_t kNoSpeedSelected = 1;

// The code of the entry at index, or fallback when index is outside the list (no selection).
std::int32_t ChoiceValue(std::span<const Choice> choices, int index, std::int32_t fallback);
// The code of the entry with this caption, or nothing.
std::optional<std::int32_t> ChoiceByCaption(std::span<const Choice> choices, std::string_view caption);

}  // namespace panelix::bootloader
