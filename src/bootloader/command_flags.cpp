#include "bootloader/command_flags.h"

namespace panelix::bootloader {

const std::vector<NumberFlag>& NumberFlags() {
  static const std::vector<NumberFlag> flags{
      {"--xsize", &BootloaderParameters::xsize, "panel width (Hs Size)"},
      {"--hspw", &BootloaderParameters::hspw, "HS pulse width"},
      {"--hsbp", &BootloaderParameters::hsbp, "HS back porch"},
      {"--hsfp", &BootloaderParameters::hsfp, "HS front porch"},
      {"--ysize", &BootloaderParameters::ysize, "panel height (Vs Size)"},
      {"--vspw", &BootloaderParameters::vspw, "VS pulse width"},
      {"--vsbp", &BootloaderParameters::vsbp, "VS back porch"},
      {"--vsfp", &BootloaderParameters::vsfp, "VS front porch"},
      {"--flash-addr", &BootloaderParameters::flashAddr, "picture address in the SPI flash"},
      {"--cclk-od", &BootloaderParameters::cclkOd, "CCLK_OD (above 3 becomes 3)"},
      {"--cclk-r", &BootloaderParameters::cclkR, "CCLK_R (limited to 2..31)"},
      {"--cclk-n", &BootloaderParameters::cclkN, "CCLK_N"},
      {"--mclk-od", &BootloaderParameters::mclkOd, "MCLK_OD (above 3 becomes 3)"},
      {"--mclk-r", &BootloaderParameters::mclkR, "MCLK_R (limited to 2..31)"},
      {"--mclk-n", &BootloaderParameters::mclkN, "MCLK_N (1..1000)"},
      {"--sclk-od", &BootloaderParameters::sclkOd, "SCLK_OD (above 3 becomes 3)"},
      {"--sclk-r", &BootloaderParameters::sclkR, "SCLK_R (limited to 2..31)"},
      {"--sclk-n", &BootloaderParameters::sclkN, "SCLK_N"},
      {"--pwm-pre", &BootloaderParameters::ppre, "PWM prescaler (above 255 becomes 255)"},
      {"--pwm-period", &BootloaderParameters::pwmt, "PWM(T) (above 65535 becomes 65535)"},
      {"--pwm", &BootloaderParameters::pwm, "PWM(%) (above PWM(T) becomes PWM(T))"},
  };
  return flags;
}

const std::vector<ChoiceFlag>& ChoiceFlags() {
  static const std::vector<ChoiceFlag> flags{
      {"--lcd-if",
       &BootloaderParameters::lcdif,
       bootloader::kLcdInterfaces,
       {{"16", "16bit TFT"}, {"18", "18bit TFT"}, {"24", "24bit TFT"}},
       "LCD interface bits"},
      {"--rgb-order",
       &BootloaderParameters::lcdrgb,
       bootloader::kLcdRgbOrders,
       {{"RGB", "RGB"}, {"RBG", "RBG"}, {"GRB", "GRB"}, {"GBR", "GBR"}, {"BRG", "BRG"}, {"BGR", "BGR"}},
       "LCD interface colour order"},
      {"--color",
       &BootloaderParameters::color,
       bootloader::kMainWindowColors,
       {{"8", "8bpp"}, {"16", "16bpp"}, {"24", "24bpp"}},
       "main window colour depth in bits per pixel"},
      {"--read-cmd",
       &BootloaderParameters::readCmd,
       bootloader::kReadCommands,
       {{"03", "03h - Normal Read"},
        {"0B", "0Bh - Faster Read"},
        {"1B", "1Bh - Faster Read"},
        {"3B", "3Bh"},
        {"BB", "BBh"}},
       "SPI flash read command"},
      {"--addr-mode",
       &BootloaderParameters::addr32,
       bootloader::kAddressModes,
       {{"24", "24bits"}, {"32", "32bits"}},
       "SPI flash address bits"},
      {"--canvas",
       &BootloaderParameters::canvas,
       bootloader::kCanvasModes,
       {{"linear8", "Linear - 8bits"},
        {"linear16", "Linear - 16bits"},
        {"block8", "Block - 8bpp"},
        {"block16", "Block - 16bpp"},
        {"block24", "Block - 24bpp"}},
       "canvas mode"},
      {"--spi-speed",
       &BootloaderParameters::speed,
       bootloader::kSpiSpeeds,
       {{"2", "DIV 2"},
        {"4", "DIV 4"},
        {"6", "DIV 6"},
        {"8", "DIV 8"},
        {"10", "DIV 10"},
        {"12", "DIV 12"},
        {"14", "DIV 14"},
        {"16", "DIV 16"}},
       "SPI clock divider"},
      {"--spi",
       &BootloaderParameters::spi,
       bootloader::kSpiInterfaces,
       {{"0", "SPI0"}, {"1", "SPI1"}},
       "controller SPI interface"},
  };
  return flags;
}

std::string BootloaderFlagsText(const BootloaderParameters& parameters) {
  std::string text;
  const auto add = [&text](const std::string& part) {
    if (!text.empty()) {
      text += ' ';
    }
    text += part;
  };
  for (const NumberFlag& flag : NumberFlags()) {
    add(std::string(flag.flag) + " " + std::to_string(parameters.*flag.field));
  }
  for (const ChoiceFlag& flag : ChoiceFlags()) {
    for (const auto& [word, caption] : flag.words) {
      if (ChoiceByCaption(flag.choices, caption) == parameters.*flag.field) {
        add(std::string(flag.flag) + " " + word);
        break;
      }
    }
  }
  add(parameters.pclk ? "--pclk-fall" : "--pclk-rise");
  if (parameters.hsync) {
    add("--hsync-high");
  }
  if (parameters.vsync) {
    add("--vsync-high");
  }
  if (parameters.dep) {
    add("--de-low");
  }
  if (parameters.dem) {
    add("--de-mode");
  }
  return text;
}

}  // namespace panelix::bootloader
