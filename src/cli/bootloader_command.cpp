// panelix bootloader: builds the bootloader block from panel timing and controller settings.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/error.h"
#include "base/numbers.h"
#include "bootloader/register_script.h"
#include "cli/subcommand.h"

namespace panelix::cli {

namespace {

using bootloader::BootloaderParameters;
using bootloader::Choice;

// A number field of the bootloader window, read with the window's number rule.
struct NumberFlag {
  const char* flag;
  std::int32_t BootloaderParameters::*field;
  const char* help;
};

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

// A drop-down list of the window: the flag's words map to the list's entries.
struct ChoiceFlag {
  const char* flag;
  std::int32_t BootloaderParameters::*field;
  std::span<const Choice> choices;
  std::vector<std::pair<std::string, std::string>> words;  // word -> caption
  const char* help;
};

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

// The word of the window's default entry for a list.
std::string DefaultWord(const ChoiceFlag& flag) {
  const BootloaderParameters defaults;
  for (const auto& [word, caption] : flag.words) {
    if (bootloader::ChoiceByCaption(flag.choices, caption) == defaults.*flag.field) {
      return word;
    }
  }
  return flag.words.front().first;
}

bool SameWord(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
  });
}

struct BootloaderState {
  std::map<std::string, std::string> numbers;
  std::map<std::string, std::string> choices;
  bool pclkFall = true;
  bool hsyncHigh = false;
  bool vsyncHigh = false;
  bool deLow = false;
  bool deMode = false;
  std::string output;
  bool hex = false;
};

// Prints the window's hexadecimal view with the terminal's line ends.
void PrintHexView(const std::string& view) {
  std::string text;
  for (std::size_t i = 0; i < view.size(); ++i) {
    if (view[i] == '\r' && i + 1 < view.size() && view[i + 1] == '\n') {
      continue;
    }
    text += view[i];
  }
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fputc('\n', stdout);
}

int RunBootloader(const BootloaderState& state) {
  BootloaderParameters p;
  for (const auto& flag : NumberFlags()) {
    p.*flag.field = StrToInt(state.numbers.at(flag.flag));
  }
  for (const auto& flag : ChoiceFlags()) {
    const std::string& word = state.choices.at(flag.flag);
    for (const auto& [w, caption] : flag.words) {
      if (SameWord(w, word)) {
        p.*flag.field = *bootloader::ChoiceByCaption(flag.choices, caption);
      }
    }
  }
  p.pclk = state.pclkFall;
  p.hsync = state.hsyncHigh;
  p.vsync = state.vsyncHigh;
  p.dep = state.deLow;
  p.dem = state.deMode;
  const std::vector<std::uint8_t> block = bootloader::BuildBootloader(p);
  if (state.hex) {
    PrintHexView(bootloader::BootloaderHexView(block));
  }
  if (!state.output.empty() || !state.hex) {
    bootloader::SaveBootloader(state.output, block);
  }
  return 0;
}

SubcommandAction Setup(CLI::App& app) {
  auto state = std::make_shared<BootloaderState>();
  const BootloaderParameters defaults;
  for (const auto& flag : NumberFlags()) {
    state->numbers[flag.flag] = std::to_string(defaults.*flag.field);
    app.add_option(flag.flag, state->numbers[flag.flag], flag.help)->type_name("N")->capture_default_str();
  }
  for (const auto& flag : ChoiceFlags()) {
    std::vector<std::string> words;
    for (const auto& [word, caption] : flag.words) {
      words.push_back(word);
    }
    state->choices[flag.flag] = DefaultWord(flag);
    app.add_option(flag.flag, state->choices[flag.flag], flag.help)
        ->capture_default_str()
        ->check(CLI::IsMember(words, CLI::ignore_case));
  }
  app.add_flag("--pclk-fall,!--pclk-rise", state->pclkFall, "PCLK falling edge active (default)");
  app.add_flag("--hsync-high", state->hsyncHigh, "HSYNC high active");
  app.add_flag("--vsync-high", state->vsyncHigh, "VSYNC high active");
  app.add_flag("--de-low", state->deLow, "DE low active");
  app.add_flag("--de-mode", state->deMode, "DE mode");
  app.add_option("-o,--output", state->output,
                 "bootloader bin to write (\".bin\" is appended when the name lacks it)");
  app.add_flag("--hex", state->hex, "print the block as hexadecimal text, four bytes a line");
  app.footer("Writes the 367-byte bootloader block. Give -o NAME, --hex, or both.");
  return [state] { return RunBootloader(*state); };
}

const bool kRegistered =
    RegisterSubcommand({"bootloader", "build the bootloader block (register script)", Setup});

}  // namespace

}  // namespace panelix::cli
