#pragma once

// The parts of LenientRuleWarnings, one file each: the [INFO] section, the command lines and the
// bin folder.

#include <string>
#include <string_view>
#include <vector>

#include "infoblock/set_tables.h"
#include "project/project_check.h"

namespace panelix::project::checks {

class Warnings {
 public:
  explicit Warnings(std::vector<Finding>& out) : m_out(out) {}
  void Add(const std::string& file, std::size_t line, const std::string& key, std::string text) {
    m_out.push_back({Severity::Warning, file, line, key, std::move(text)});
  }

 private:
  std::vector<Finding>& m_out;
};

// True when text holds a control character that the readers drop (tab and carriage return aside).
inline bool HasControlCharacter(std::string_view text) {
  for (const char c : text) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x20 && c != '\t' && c != '\r') {
      return true;
    }
  }
  return false;
}

// sets: the set tables of the build, when the bins are known (set references are checked then).
void CheckCommandLines(const ProjectSource& project, const infoblock::SetTables* sets, Warnings& warn);
void CheckBins(const MakeBinInput& build, const BuiltImage& image, Warnings& warn);

}  // namespace panelix::project::checks
