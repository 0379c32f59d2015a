// Warnings for what the lenient reading rules of the project file, the command lines and the bin
// folder change or drop. They never change a byte: stored projects rely on those rules.
#include <algorithm>
#include <cstdint>
#include <map>
#include <system_error>

#include "base/bytes.h"
#include "base/error.h"
#include "base/files.h"
#include "bootloader/block_decode.h"
#include "commands/command_syntax.h"
#include "commands/compiler.h"
#include "commands/encoders.h"
#include "infoblock/bin_kinds.h"
#include "project/address_list_reader.h"
#include "project/info_section.h"
#include "project/project_check.h"
#include "project/resource_passes.h"
#include "project/warning_checks.h"

namespace panelix::project {

namespace {

using checks::HasControlCharacter;
using checks::Warnings;

std::string Trimmed(std::string_view text) {
  std::string kept;
  for (const char c : text) {
    if (c != ' ' && c != '\t' && c != '\r') {
      kept += c;
    }
  }
  return kept;
}

std::string DigitsOf(std::string_view text) {
  std::string digits;
  for (const char c : text) {
    if (c >= '0' && c <= '9') {
      digits += c;
    }
  }
  return digits;
}

// ---- [INFO] -------------------------------------------------------------------------------------

void CheckInfoValue(const InfoKey& key, const std::string& line, const std::string& file,
                    std::size_t fileLine, Warnings& warn) {
  const std::string_view head = std::string_view(line).substr(0, line.find('/'));
  if (key.kind == InfoValueKind::Flag &&
      (head.find("False") != std::string_view::npos || head.find("True") != std::string_view::npos)) {
    return;
  }
  std::size_t separator = line.find(':');
  if (separator == std::string::npos) {
    separator = line.find('=');
  }
  if (separator == std::string::npos) {
    warn.Add(file, fileLine, key.key, std::string(key.key) + " has no ':' or '=': its value is taken as 0");
    return;
  }
  std::string_view rawValue = std::string_view(line).substr(separator + 1);
  rawValue = rawValue.substr(0, rawValue.find('/'));
  const std::string value = Trimmed(rawValue);
  const std::string digits = DigitsOf(value);
  if (HasControlCharacter(rawValue)) {
    warn.Add(file, fileLine, key.key,
             "a control character in the value of " + std::string(key.key) + " is dropped");
  }
  switch (key.kind) {
    case InfoValueKind::Version:
      if (digits.size() != 2) {
        warn.Add(file, fileLine, key.key,
                 std::string(key.key) + " '" + value + "' has " + std::to_string(digits.size()) +
                     " digits, a version has two: it is stored as 01");
      }
      return;
    case InfoValueKind::Keyword: {
      std::string word;
      for (const char c : rawValue) {
        const auto b = static_cast<unsigned char>(c);
        word += b >= 0x21 && b <= 0x7F ? std::string(1, c) : "";
      }
      if (std::find_if(key.words.begin(), key.words.end(), [&](const char* w) { return word == w; }) ==
          key.words.end()) {
        std::string list;
        for (const char* w : key.words) {
          list += (list.empty() ? "" : ", ") + std::string(w);
        }
        warn.Add(file, fileLine, key.key,
                 std::string(key.key) + " '" + word + "' is not one of " + list + ": it is stored as " +
                     key.words[0]);
      }
      return;
    }
    case InfoValueKind::Number:
    case InfoValueKind::Flag:
      break;
  }
  if (digits.empty() || digits.size() > 10 || std::stoull(digits) > 2147483647ULL) {
    return;  // an error of its own
  }
  const std::uint64_t number = std::stoull(digits);
  if (value != digits) {
    warn.Add(file, fileLine, key.key,
             "'" + value + "' is not a plain number: " + std::string(key.key) + " reads it as " +
                 std::to_string(number));
  }
  if (key.map == InfoNumberMap::McuBit && number != 8 && number != 16 && number != 32) {
    warn.Add(file, fileLine, key.key,
             "MCUBit " + std::to_string(number) + " is not 8, 16 or 32: it is stored as 8");
  } else if (key.map == InfoNumberMap::ColorDepth && number != 8 && number != 16 && number != 24) {
    warn.Add(file, fileLine, key.key,
             "ColorDepth " + std::to_string(number) + " is not 8, 16 or 24: it is stored as 16");
  } else if (key.map == InfoNumberMap::Plain && number >> (8 * key.width) != 0) {
    warn.Add(file, fileLine, key.key,
             std::string(key.key) + " " + std::to_string(number) + " does not fit its " +
                 std::to_string(8 * key.width) + "-bit field: it is stored as " +
                 std::to_string(number & ((1ULL << (8 * key.width)) - 1)));
  }
}

void CheckInfoSection(const ProjectSource& project, Warnings& warn) {
  const ProjectLines& lines = project.lines;
  if (lines.size() <= commands::kMinProjectLines) {
    return;
  }
  const InfoKeyLines found = FindInfoKeyLines(lines);
  for (std::size_t i = 0; i < found.lines.size(); ++i) {
    const std::size_t line = found.lines[i];
    CheckInfoValue(InfoKeys()[i], lines[line], project.path.string(), project.FileLine(line), warn);
  }
}

}  // namespace

std::vector<Finding> LenientRuleWarnings(const ProjectSource& project, const MakeBinInput* build,
                                         const BuiltImage* image) {
  std::vector<Finding> findings;
  Warnings warn(findings);
  CheckInfoSection(project, warn);
  checks::CheckCommandLines(project, image ? &image->sets : nullptr, warn);
  if (build && image) {
    checks::CheckBins(*build, *image, warn);
  }
  return findings;
}

}  // namespace panelix::project
