// panelix make: compiles a project into the info bin, its report and the flash image.
// panelix check (or make --check): reads a project without writing anything and says where it is
// wrong.
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/codepage.h"
#include "base/error.h"
#include "base/files.h"
#include "base/numbers.h"
#include "cli/options.h"
#include "cli/subcommand.h"
#include "cli/terminal.h"
#include "project/bin_folder.h"
#include "project/flash_budget.h"
#include "project/make_bin.h"
#include "project/project_check.h"
#include "project/project_file.h"

namespace panelix::cli {

namespace {

namespace fs = std::filesystem;
using project::BuiltImage;

struct MakeState {
  std::string bins;
  std::string project;
  std::string info;
  std::string flash;
  std::string buildTime;
  bool check = false;
  bool strict = false;
  int flashSize = -1;
  int encoding = 0;
};

// The build time: --build-time as local time, else SOURCE_DATE_EPOCH (seconds, taken as UTC, as
// reproducible builds expect), else the local clock.
infoblock::BuildTime BuildTimeOf(const std::string& text) {
  std::tm tm{};
  if (!text.empty()) {
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    char tail = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%c", &y, &mo, &d, &h, &mi, &s, &tail) != 6 ||
        mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || s > 59 || y < 0 || mo < 0 || h < 0 ||
        mi < 0 || s < 0) {
      throw Error("The build time must be given as YYYY-MM-DDTHH:MM:SS: " + text);
    }
    return {y, mo, d, h, mi, s};
  }
  std::time_t now = std::time(nullptr);
  if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH"); epoch != nullptr && *epoch != '\0') {
    char* end = nullptr;
    const long long seconds = std::strtoll(epoch, &end, 10);
    if (*end != '\0' || seconds < 0) {
      throw Error(std::string("SOURCE_DATE_EPOCH is not a number of seconds: ") + epoch);
    }
    now = static_cast<std::time_t>(seconds);
    gmtime_r(&now, &tm);
  } else {
    localtime_r(&now, &tm);
  }
  return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

void PrintOrderReport(const std::vector<std::string>& report) {
  for (const std::string& line : report) {
    PrintMessage(DecodeCodePage(line, SystemCodePage()));
  }
}

// Prints what the check found: the build's messages, the order report, errors and warnings.
// Returns false when the build must stop: an error, or a warning with --strict.
bool Report(const project::ProjectCheck& check, bool strict) {
  for (const std::string& message : check.messages) {
    PrintMessage(message);
  }
  PrintOrderReport(check.orderReport);
  for (const project::Finding& finding : check.findings) {
    PrintMessage(project::FindingText(finding));
  }
  if (strict && check.HasWarnings() && !check.HasErrors()) {
    PrintMessage("--strict: the warnings above count as errors");
    return false;
  }
  return !check.HasErrors();
}

std::string Hex8(std::uint64_t value) {
  return "0x" + HexUpper(static_cast<std::uint32_t>(value), 8);
}

// Where each table and bin landed in the flash image.
void PrintLayout(const BuiltImage& image, const std::string& flashName) {
  const infoblock::InfoBlock& block = *image.block;
  std::uint64_t size = block.Size();
  for (const auto& bin : image.bins) {
    size += bin.size;
  }
  int codes = 0;
  for (std::size_t at = infoblock::kCommandIndexRegion.offset; at < infoblock::kSettingsRegion.offset;
       at += 4) {
    codes += block.Bytes()[at] != 0xFF || block.Bytes()[at + 1] != 0xFF ? 1 : 0;
  }
  std::printf("%s: %s bytes\n", flashName.c_str(), Hex8(size).c_str());
  std::printf("  %-10s %-10s %-10s %s\n", "address", "size", "kind", "content");
  std::printf("  %-10s %-10s %-10s %d picture entries, %d command codes\n", Hex8(0).c_str(),
              Hex8(block.Size()).c_str(), "info", image.pictureCount, codes);
  for (const auto& bin : image.bins) {
    std::printf("  %-10s %-10s %-10s %s\n", Hex8(bin.address).c_str(), Hex8(bin.size).c_str(),
                std::string(infoblock::KindPrefix(bin.kind)).c_str(), bin.name.c_str());
  }
}

project::MakeBinInput BuildInput(const MakeState& state, const project::ProjectSource& project) {
  project::MakeBinInput input;
  input.binFolder = state.bins;
  input.binList = project::ListBinFolder(state.bins, "Fail to Open the file");
  input.commandList = project.lines;
  input.buildTime = BuildTimeOf(state.buildTime);
  return input;
}

std::optional<std::uint32_t> FlashSizeOf(const MakeState& state) {
  return state.flashSize >= 0 ? std::optional(static_cast<std::uint32_t>(state.flashSize)) : std::nullopt;
}

// The order check and the [INFO] section, then every command line's numbers; with --bins the
// whole block is built as well, and the flash budget is checked. Nothing is written.
int RunCheck(const MakeState& state) {
  const project::ProjectSource project =
      project::LoadProjectSource(state.project, TextEncoding(state.encoding), PrintMessage);
  std::optional<project::MakeBinInput> input;
  if (!state.bins.empty()) {
    input = BuildInput(state, project);
  }
  const project::ProjectCheck check = project::CheckProject(project, input);
  if (!Report(check, state.strict)) {
    return 1;
  }
  if (check.image) {
    const project::FlashBudget budget = project::BudgetOf(*check.image, FlashSizeOf(state));
    PrintLayout(*check.image, "flash image (not written)");
    std::printf("  %s\n", project::BudgetText(budget).c_str());
    if (!budget.Fits()) {
      PrintMessage(project::FlashTooSmallText(budget));
      return 1;
    }
  } else {
    std::printf("%s: the order check and the [INFO] section pass\n", project.path.string().c_str());
  }
  return 0;
}

int RunMake(const MakeState& state) {
  if (state.check) {
    return RunCheck(state);
  }
  if (state.bins.empty() || state.info.empty() || state.flash.empty()) {
    throw Error("panelix make needs --bins, --info and --flash (or --check)");
  }
  const project::ProjectSource project =
      project::LoadProjectSource(state.project, TextEncoding(state.encoding), PrintMessage);
  const project::ProjectCheck check = project::CheckProject(project, BuildInput(state, project));
  if (!Report(check, state.strict) || !check.image) {
    return 1;
  }
  const BuiltImage& image = *check.image;
  const project::FlashBudget budget = project::BudgetOf(image, FlashSizeOf(state));
  if (!budget.Fits()) {
    throw Error(project::FlashTooSmallText(budget));
  }
  // The same name rules as the save dialogs: the report takes the name as typed.
  const std::string infoName = project::InfoBinName(state.info);
  const std::string flashName = project::InfoBinName(state.flash);
  // The info bin, report and image are put in place together, once all three are complete.
  project::MakeOutputs outputs(image, {state.project});
  outputs.WriteInfo(infoName, project::ReportName(state.info));
  if (!outputs.WriteImage(flashName, TerminalProgress("Flash image"))) {
    return 1;
  }
  outputs.Commit();
  FinishTerminalProgress();
  PrintLayout(image, flashName);
  std::printf("  %s\n", project::BudgetText(budget).c_str());
  return 0;
}

void AddProjectOptions(CLI::App& app, MakeState& state, bool needBins) {
  app.add_option("--project", state.project, "project file (.ini) with the [INFO] and [USERCMD] sections")
      ->required()
      ->type_name("FILE");
  AddEncoding(app, state.encoding);
  auto* bins = app.add_option("--bins", state.bins,
                              "folder of the bins; every NAME.bin in it is listed, sorted by name, and the "
                              "picture-like bins need their NAME-Addr.txt beside them");
  if (needBins) {
    bins->check(CLI::ExistingDirectory);
  }
  app.add_option("--build-time", state.buildTime,
                 "build time stamped into the info block (default SOURCE_DATE_EPOCH, else the local clock)")
      ->type_name("YYYY-MM-DDTHH:MM:SS");
  app.add_flag("--strict", state.strict,
               "treat warnings (what the lenient reading rules change or drop) as errors");
  app.add_option("--flash-size", state.flashSize,
                 "size of the flash in megabits, as SPI NOR parts are named, 128 = 16 MiB (default [INFO] "
                 "FlashSize, read in megabits); an image larger than the flash stops the build")
      ->type_name("N")
      ->check(CLI::Range(0, 65535));
}

SubcommandAction SetupMake(CLI::App& app) {
  auto state = std::make_shared<MakeState>();
  AddProjectOptions(app, *state, true);
  app.add_option("--info", state->info,
                 "info bin as typed in the save dialog (\".bin\" appended when missing); the report is "
                 "written beside it as NAME.txt")
      ->type_name("NAME");
  app.add_option("--flash", state->flash, "flash image (\".bin\" appended when missing)")->type_name("NAME");
  app.add_flag("--check", state->check, "only check the project (and the bins with --bins); write nothing");
  app.footer(
      "Example: panelix make --bins out/bins --project out/bins/project.ini --info out/UserInfo "
      "--flash out/Panelix_Flash");
  return [state] { return RunMake(*state); };
}

SubcommandAction SetupCheck(CLI::App& app) {
  auto state = std::make_shared<MakeState>();
  state->check = true;
  AddProjectOptions(app, *state, true);
  return [state] { return RunCheck(*state); };
}

const bool kMakeRegistered = RegisterSubcommand(
    {"make", "compile a project into the info bin, its report and the flash image", SetupMake});
const bool kCheckRegistered =
    RegisterSubcommand({"check", "check a project's command order, [INFO] section and numbers", SetupCheck});

}  // namespace

}  // namespace panelix::cli
