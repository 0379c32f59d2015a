#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "project/make_bin.h"
#include "project/project_file.h"

namespace panelix::project {

// How much a finding weighs: an error stops Make Bin; a warning names something the lenient
// reading rules changed or dropped and changes no byte of the outputs (unless the user asks for
// warnings to count as errors).
enum class Severity { Error, Warning };

// One thing the project check found: the file it is about (the project file, an address list or
// a bin; empty for a message of its own), the 1-based line in that file (0: the whole file), the
// [INFO] key, command name or bin name it concerns, and the text.
struct Finding {
  Severity severity = Severity::Warning;
  std::string file;
  std::size_t line = 0;
  std::string key;
  std::string text;
};

// "file:line: warning: text" for a warning, "file:line: text" for an error ("file: text" without a
// line, the text alone without a file).
std::string FindingText(const Finding& finding);

// A project file as the project window's command list holds it, with what is needed to give the
// file's own line numbers back.
struct ProjectSource {
  std::filesystem::path path;
  ProjectLines lines;
  bool endsWithLineFeed = true;

  // The 1-based line of the file that command-list item index came from: the list holds an added
  // " " line before every line that is exactly "[INFO]" or "[USERCMD]", and before the last line
  // when the file does not end with a line feed.
  std::size_t FileLine(std::size_t index) const;
};

// Reads a project file as LoadProjectFile does, in encoding (0: the code page; see
// ProjectBytesInCodePage, whose warnings go to warn), and notes whether it ends with a line feed.
ProjectSource LoadProjectSource(const std::filesystem::path& path, int encoding = 0,
                                const MessageFn& warn = {});

// The outcome of a project check.
struct ProjectCheck {
  std::vector<Finding> findings;
  // The order report when the order check stopped the build (one item per memo line).
  std::vector<std::string> orderReport;
  // Messages of the build that do not stop it ("Error: " lines, bootloader and set-limit messages).
  std::vector<std::string> messages;
  // The built block, when a bin folder was given and the build went through.
  std::optional<BuiltImage> image;

  bool HasErrors() const;
  bool HasWarnings() const;
};

// Checks a project: with a bin folder (and its bins in list order) the whole info block is built as
// Make Bin builds it; without, the order check, the [INFO] section and every command line's numbers.
// Errors say where they stand (the key that is missing, the line of a bad number); then every
// warning of LenientRuleWarnings. Nothing is written.
ProjectCheck CheckProject(const ProjectSource& project, const std::optional<MakeBinInput>& build);

// Warnings for everything the lenient reading rules change or drop: numbers whose text is not a
// plain number or that do not fit their field, [INFO] values outside their lists, command lines
// that compile to nothing or whose parameter count differs from the other lines of their code,
// set references to sets that do not exist, bins no naming rule takes, font bins whose size code
// disagrees with their size, pictures larger than the panel and a bootloader whose panel size
// differs from [INFO]. build and image, when given, are the bin folder and the block built from it.
std::vector<Finding> LenientRuleWarnings(const ProjectSource& project, const MakeBinInput* build,
                                         const BuiltImage* image);

}  // namespace panelix::project
