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
#include "bootloader/command_flags.h"
#include "bootloader/register_script.h"
#include "cli/options.h"
#include "cli/subcommand.h"

namespace panelix::cli {

namespace {

using bootloader::BootloaderParameters;
using bootloader::Choice;

using bootloader::ChoiceFlag;
using bootloader::ChoiceFlags;
using bootloader::NumberFlags;

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
    ChoiceWords<std::string> words;
    for (const auto& [word, caption] : flag.words) {
      words.emplace_back(word, word);
    }
    state->choices[flag.flag] = DefaultWord(flag);
    AddChoice(app, flag.flag, state->choices[flag.flag], words, flag.help)->capture_default_str();
  }
  app.add_flag("--pclk-fall,!--pclk-rise", state->pclkFall, "PCLK falling edge active (default)");
  app.add_flag("--hsync-high", state->hsyncHigh, "HSYNC high active");
  app.add_flag("--vsync-high", state->vsyncHigh, "VSYNC high active");
  app.add_flag("--de-low", state->deLow, "DE low active");
  app.add_flag("--de-mode", state->deMode, "DE mode");
  AddOutput(app, state->output);
  app.add_flag("--hex", state->hex, "print the block as hexadecimal text, four bytes a line");
  app.footer("Writes the 367-byte bootloader block. Give -o NAME, --hex, or both.");
  return [state] { return RunBootloader(*state); };
}

const bool kRegistered =
    RegisterSubcommand({"bootloader", "build the bootloader block (register script)", Setup});

}  // namespace

}  // namespace panelix::cli
