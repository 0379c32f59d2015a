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
#include "cli/subcommand.h"
#include "cli/terminal.h"
#include "infoblock/command_interface.h"
#include "project/bin_folder.h"
#include "project/info_section.h"
#include "project/make_bin.h"
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

// The line of the project file that a command-list item came from: the list holds an added " "
// line before every line that is exactly "[INFO]" or "[USERCMD]", and before the last line when
// the file does not end with a line feed.
std::size_t FileLineOf(const project::ProjectLines& lines, std::size_t index, bool endsWithLineFeed) {
  std::size_t added = 0;
  for (std::size_t i = 0; i <= index && i < lines.size(); ++i) {
    if (lines[i] == "[INFO]" || lines[i] == "[USERCMD]") {
      ++added;
    }
  }
  if (!endsWithLineFeed && index + 1 == lines.size() && index > 0) {
    ++added;
  }
  return index + 1 - added;
}

struct Project {
  fs::path path;
  project::ProjectLines lines;
  bool endsWithLineFeed = true;

  std::string Where(std::size_t index) const {
    return path.string() + ":" + std::to_string(FileLineOf(lines, index, endsWithLineFeed));
  }
};

Project LoadProject(const std::string& path) {
  Project project{path, project::LoadProjectFile(path)};
  const std::vector<std::uint8_t> bytes = ReadFileBytes(path, "Open fail!");
  project.endsWithLineFeed = bytes.empty() || bytes.back() == '\n';
  return project;
}

// The command line whose number cannot be converted: each line after "[USERCMD]" is compiled on
// its own until one fails.
std::optional<std::size_t> FindBadCommandLine(const project::ProjectLines& lines) {
  std::size_t first = lines.size();
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].find("[USERCMD]") != std::string::npos) {
      first = i + 1;
      break;
    }
  }
  std::vector<std::string> probe(10, " ");
  probe.push_back("[USERCMD]");
  probe.push_back(" ");
  for (std::size_t i = first; i < lines.size(); ++i) {
    probe.back() = lines[i];
    infoblock::InfoBlock scratch;
    try {
      commands::CompileCommands(probe, scratch, infoblock::SetTables{});
    } catch (const ConversionError&) {
      return i;
    } catch (const Error&) {
    }
  }
  return std::nullopt;
}

void PrintOrderReport(const std::vector<std::string>& report) {
  for (const std::string& line : report) {
    PrintMessage(DecodeCodePage(line, SystemCodePage()));
  }
}

void ExplainInfoFailure(const project::InfoSectionError& e, const Project& project) {
  if (e.Missing().empty()) {
    PrintMessage(project.path.string() + ": the project has ten lines or fewer");
  } else if (e.Missing() == "[INFO]") {
    PrintMessage(project.path.string() + ": no line holds \"[INFO]\"");
  } else {
    PrintMessage(project.path.string() + ": the key \"" + e.Missing() +
                 "\" is missing after the previous key (keys must stand in their fixed order)");
  }
}

// Runs a build step and adds to its failure what the window does not say: which key is missing
// and on which line a bad number stands. Returns false after printing the failure.
template <typename Step>
bool Explained(const Project& project, Step step) {
  try {
    step();
    return true;
  } catch (const project::InfoSectionError& e) {
    PrintMessage(e.what());
    ExplainInfoFailure(e, project);
  } catch (const project::InfoNumberError& e) {
    PrintMessage(e.what());
    PrintMessage(project.Where(e.Line()) + ": bad number in the [INFO] section");
  } catch (const ConversionError& e) {
    PrintMessage(e.what());
    if (const auto line = FindBadCommandLine(project.lines)) {
      PrintMessage(project.Where(*line) + ": bad number in this command line");
    }
  }
  return false;
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

std::optional<BuiltImage> Build(const MakeState& state, const Project& project) {
  project::MakeBinInput input;
  input.binFolder = state.bins;
  input.binList = project::ListBinFolder(state.bins, "Fail to Open the file");
  input.commandList = project.lines;
  input.buildTime = BuildTimeOf(state.buildTime);
  std::optional<BuiltImage> image;
  const bool built = Explained(project, [&] {
    image = project::BuildInfoBlock(input, PrintMessage, PrintOrderReport);
    if (!image) {
      PrintMessage(project.path.string() +
                   ": the command lines are out of order or there is no [USERCMD] line");
    }
  });
  return built ? std::move(image) : std::nullopt;
}

// The order check and the [INFO] section, then every command line's numbers; with --bins the
// whole block is built as well. Nothing is written.
int RunCheck(const MakeState& state) {
  const Project project = LoadProject(state.project);
  if (!state.bins.empty()) {
    const auto image = Build(state, project);
    if (image) {
      PrintLayout(*image, "flash image (not written)");
    }
    return image ? 0 : 1;
  }
  const commands::OrderCheckResult order = commands::CheckCommandOrder(project.lines);
  if (!order.ok) {
    PrintOrderReport(order.report);
    if (order.report.empty()) {
      PrintMessage(project.path.string() + ": no line holds \"[USERCMD]\"");
    }
    return 1;
  }
  infoblock::InfoBlock block;
  const bool ok = Explained(project, [&] {
    const project::InfoParseResult info = project::ParseInfoSection(project.lines, block, PrintMessage);
    if (!info.ok) {
      throw project::InfoSectionError(info.missing);
    }
    commands::CompileCommands(project.lines, block, infoblock::SetTables{});
  });
  if (ok) {
    std::printf("%s: the order check and the [INFO] section pass\n", project.path.string().c_str());
  }
  return ok ? 0 : 1;
}

int RunMake(const MakeState& state) {
  if (state.check) {
    return RunCheck(state);
  }
  if (state.bins.empty() || state.info.empty() || state.flash.empty()) {
    throw Error("panelix make needs --bins, --info and --flash (or --check)");
  }
  const Project project = LoadProject(state.project);
  const auto image = Build(state, project);
  if (!image) {
    return 1;
  }
  // The same name rules as the save dialogs: the report takes the name as typed.
  const std::string infoName = project::InfoBinName(state.info);
  const std::string flashName = project::InfoBinName(state.flash);
  project::WriteInfoBin(infoName, *image);
  project::WriteReport(project::ReportName(state.info), *image);
  if (!project::WriteFlashImage(flashName, *image, TerminalProgress("Flash image"))) {
    return 1;
  }
  FinishTerminalProgress();
  PrintLayout(*image, flashName);
  return 0;
}

void AddProjectOptions(CLI::App& app, MakeState& state, bool needBins) {
  app.add_option("--project", state.project, "project file (.ini) with the [INFO] and [USERCMD] sections")
      ->required();
  auto* bins = app.add_option("--bins", state.bins,
                              "folder of the bins; every NAME.bin in it is listed, sorted by name, and the "
                              "picture-like bins need their NAME-Addr.txt beside them");
  if (needBins) {
    bins->check(CLI::ExistingDirectory);
  }
  app.add_option("--build-time", state.buildTime,
                 "build time stamped into the info block, YYYY-MM-DDTHH:MM:SS; default SOURCE_DATE_EPOCH, "
                 "else the local clock");
}

SubcommandAction SetupMake(CLI::App& app) {
  auto state = std::make_shared<MakeState>();
  AddProjectOptions(app, *state, true);
  app.add_option("--info", state->info,
                 "info bin as typed in the save dialog (\".bin\" appended when missing); the report is "
                 "written beside it as NAME.txt");
  app.add_option("--flash", state->flash, "flash image (\".bin\" appended when missing)");
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
