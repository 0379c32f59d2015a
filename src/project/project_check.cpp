#include "project/project_check.h"

#include <algorithm>

#include "base/bounded_read.h"
#include "base/codepage.h"
#include "base/error.h"
#include "base/files.h"
#include "commands/command_syntax.h"
#include "commands/compiler.h"
#include "project/info_section.h"
#include "project/messages.h"

namespace panelix::project {

namespace {

// The command line whose number cannot be converted: each line after "[USERCMD]" is compiled on
// its own until one fails.
std::optional<std::size_t> FindBadCommandLine(const ProjectLines& lines) {
  const auto userCommands = commands::FindUserCommandLine(lines);
  std::vector<std::string> probe(commands::kMinProjectLines, " ");
  probe.push_back(kUserCommandSection);
  probe.push_back(" ");
  for (std::size_t i = userCommands ? *userCommands + 1 : lines.size(); i < lines.size(); ++i) {
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

std::string MissingText(const std::string& missing) {
  if (missing.empty()) {
    return "the project has ten lines or fewer";
  }
  if (missing == kInfoSection) {
    return "no line holds \"[INFO]\"";
  }
  return "the key \"" + missing +
         "\" is missing after the previous key (keys must stand in their fixed order)";
}

// Runs a build step and turns its failure into findings that say where the project is wrong.
template <typename Step>
void Explained(const ProjectSource& project, ProjectCheck& check, Step step) {
  const std::string file = project.path.string();
  const auto error = [&](std::string where, std::size_t line, std::string key, std::string text) {
    check.findings.push_back({Severity::Error, std::move(where), line, std::move(key), std::move(text)});
  };
  try {
    step();
  } catch (const InfoSectionError& e) {
    error("", 0, "", e.what());
    error(file, 0, e.Missing(), MissingText(e.Missing()));
  } catch (const InfoNumberError& e) {
    error("", 0, "", e.what());
    error(file, project.FileLine(e.Line()), "", "bad number in the [INFO] section");
  } catch (const ConversionError& e) {
    error("", 0, "", e.what());
    if (const auto line = FindBadCommandLine(project.lines)) {
      const auto code = commands::CommandCodeOf(commands::NormalizeCommandLine(project.lines[*line]));
      error(file, project.FileLine(*line), code ? commands::CommandName(*code) : "",
            "bad number in this command line");
    }
  } catch (const Error& e) {
    error("", 0, "", e.what());
  }
}

void CheckWithoutBins(const ProjectSource& project, ProjectCheck& check) {
  const commands::OrderCheckResult order = commands::CheckCommandOrder(project.lines);
  if (!order.ok) {
    check.orderReport = order.report;
    check.findings.push_back(
        {Severity::Error, order.report.empty() ? project.path.string() : "", 0, "",
         order.report.empty() ? "no line holds \"[USERCMD]\"" : "the command lines are out of order"});
    return;
  }
  Explained(project, check, [&] {
    infoblock::InfoBlock block;
    const InfoParseResult info =
        ParseInfoSection(project.lines, block, [&](const std::string& m) { check.messages.push_back(m); });
    if (!info.ok) {
      throw InfoSectionError(info.missing);
    }
    commands::CompileCommands(project.lines, block, infoblock::SetTables{});
  });
}

void CheckWithBins(const ProjectSource& project, const MakeBinInput& input, ProjectCheck& check) {
  Explained(project, check, [&] {
    check.image = BuildInfoBlock(
        input, [&](const std::string& m) { check.messages.push_back(m); },
        [&](const std::vector<std::string>& report) { check.orderReport = report; });
    if (!check.image) {
      check.findings.push_back({Severity::Error, project.path.string(), 0, "",
                                "the command lines are out of order or there is no [USERCMD] line"});
    }
  });
}

}  // namespace

std::string FindingText(const Finding& finding) {
  std::string text;
  if (!finding.file.empty()) {
    text = finding.file + (finding.line > 0 ? ":" + std::to_string(finding.line) : "") + ": ";
  }
  if (finding.severity == Severity::Warning) {
    text += "warning: ";
  }
  return text + finding.text;
}

std::size_t ProjectSource::FileLine(std::size_t index) const {
  std::size_t added = 0;
  for (std::size_t i = 0; i <= index && i < lines.size(); ++i) {
    if (lines[i] == kInfoSection || lines[i] == kUserCommandSection) {
      ++added;
    }
  }
  if (!endsWithLineFeed && index + 1 == lines.size() && index > 0) {
    ++added;
  }
  return index + 1 - added;
}

ProjectSource LoadProjectSource(const std::filesystem::path& path, int encoding, const MessageFn& warn) {
  const std::vector<std::uint8_t> bytes = ReadFileBytesUpTo(path, kMaxTextFileBytes, kOpenFail);
  const int codePage = SystemCodePage();
  ProjectSource project{
      path, SplitProjectText(ProjectBytesInCodePage(bytes, encoding != 0 ? encoding : codePage, codePage,
                                                    path.string(), warn ? warn : MessageFn(NoMessage)))};
  project.endsWithLineFeed = bytes.empty() || bytes.back() == '\n';
  return project;
}

bool ProjectCheck::HasErrors() const {
  return std::any_of(findings.begin(), findings.end(),
                     [](const Finding& f) { return f.severity == Severity::Error; });
}

bool ProjectCheck::HasWarnings() const {
  return std::any_of(findings.begin(), findings.end(),
                     [](const Finding& f) { return f.severity == Severity::Warning; });
}

ProjectCheck CheckProject(const ProjectSource& project, const std::optional<MakeBinInput>& build) {
  ProjectCheck check;
  if (build) {
    CheckWithBins(project, *build, check);
  } else {
    CheckWithoutBins(project, check);
  }
  std::vector<Finding> warnings =
      LenientRuleWarnings(project, build ? &*build : nullptr, check.image ? &*check.image : nullptr);
  check.findings.insert(check.findings.end(), warnings.begin(), warnings.end());
  return check;
}

}  // namespace panelix::project
