// Project files read into the command list and saved again: lines never hold a line feed, stay
// within the length limit, and saving then reading gives back every line without its control
// characters and with the carriage return of the CR LF end.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "project/project_file.h"

namespace {

void Check(bool condition) {
  if (!condition) {
    std::abort();
  }
}

std::string Printable(const std::string& line) {
  std::string kept;
  for (const char c : line) {
    if (static_cast<unsigned char>(c) >= 0x20) {
      kept.push_back(c);
    }
  }
  return kept;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace panelix::project;
  const ProjectLines lines = SplitProjectText(std::span<const std::uint8_t>(data, size));
  for (const std::string& line : lines) {
    Check(!line.empty() && line.find('\n') == std::string::npos);
    Check(line.size() < kMaxProjectLine + 8);
  }
  const std::string saved = ProjectFileText(lines);
  const ProjectLines reloaded = SplitProjectText(
      std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(saved.data()), saved.size()));
  Check(reloaded.size() == lines.size());
  for (std::size_t i = 0; i < lines.size(); ++i) {
    Check(reloaded[i] == (Printable(lines[i]) + "\r").substr(0, kMaxProjectLine));
  }
  return 0;
}
