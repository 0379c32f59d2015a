// panelix combine: joins up to six bins at start addresses, with 0xFF gaps and an address list.
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/error.h"
#include "base/numbers.h"
#include "cli/options.h"
#include "cli/subcommand.h"
#include "cli/terminal.h"
#include "combiner/combine.h"
#include "output/messages.h"

namespace panelix::cli {

namespace {

struct CombineState {
  std::string output;
  std::vector<std::string> files;
};

// A start address as the window's field takes it: a whole number from 0 up, written here in
// decimal or, after "0x", in hexadecimal.
std::int32_t ParseStart(const std::string& text) {
  const std::int32_t start = StrToInt(text);
  if (start < 0) {
    throw ConversionError(text);
  }
  return start;
}

// FILE or FILE@START; the text after the last "@" is a start address only when it reads as one,
// so a path holding "@" can still be given.
std::pair<std::string, std::optional<std::int32_t>> SplitArgument(const std::string& argument) {
  const auto at = argument.rfind('@');
  if (at == std::string::npos || at == 0) {
    return {argument, std::nullopt};
  }
  const std::string suffix = argument.substr(at + 1);
  try {
    StrToInt(suffix);
  } catch (const ConversionError&) {
    return {argument, std::nullopt};
  }
  return {argument.substr(0, at), ParseStart(suffix)};
}

// The slots as the window fills them when each file is chosen in turn: the length is the file's
// size, the start the end of the previous file unless one is given.
std::vector<combiner::CombineSlot> Slots(const std::vector<std::string>& arguments) {
  std::vector<combiner::CombineSlot> slots;
  for (const auto& argument : arguments) {
    auto [path, start] = SplitArgument(argument);
    if (!std::filesystem::is_regular_file(path)) {
      throw Error(std::string(output::kFileNotAccessible) + " " + path);
    }
    const std::int64_t size = combiner::ChosenFileSize(path);
    if (size > INT32_MAX) {
      throw ConversionError(std::to_string(size));
    }
    combiner::CombineSlot slot{path, 0, static_cast<std::int32_t>(size)};
    if (slots.empty()) {
      if (start.value_or(0) != 0) {
        throw Error("The first file starts at 0: " + argument);
      }
    } else if (start) {
      slot.start = *start;
    } else {
      const std::int64_t end = std::int64_t{slots.back().start} + slots.back().length;
      if (end > INT32_MAX) {
        throw ConversionError(std::to_string(end));
      }
      slot.start = static_cast<std::int32_t>(end);
    }
    slots.push_back(std::move(slot));
  }
  return slots;
}

int RunCombine(const CombineState& state) {
  const auto slots = Slots(state.files);
  const combiner::CombineResult result = combiner::CombineFiles(
      slots, state.output, [](const std::string&) {}, [](const std::string& text) { PrintMessage(text); },
      TerminalProgress("Combine"));
  return result.outcome == RunOutcome::Succeeded ? 0 : 1;
}

static_assert(combiner::kSlotCount == 6, "the texts below say six bins");

SubcommandAction Setup(CLI::App& app) {
  auto state = std::make_shared<CombineState>();
  AddOutput(app, state->output)->required();
  app.add_option("files", state->files,
                 "up to six bins in order; START (decimal or 0x hexadecimal) defaults to the end of the "
                 "previous file, the first file starts at 0")
      ->required()
      ->type_name("FILE[@START]")
      ->expected(1, combiner::kSlotCount);
  app.footer(
      "The address list NAME-Addr.txt is written beside the bin.\nGaps before a START are filled with 0xFF; "
      "a "
      "START inside or before the previous file is refused.\nExample: panelix combine -o Flash "
      "Bootloader.bin "
      "Picture-main.bin@0x1000");
  return [state] { return RunCombine(*state); };
}

const bool kRegistered = RegisterSubcommand({"combine", "join up to six bins at start addresses", Setup});

}  // namespace

}  // namespace panelix::cli
