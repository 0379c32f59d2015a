#include "project/project_file.h"

#include <utility>

#include "base/bounded_read.h"
#include "base/codepage.h"
#include "base/error.h"
#include "base/files.h"
#include "output/messages.h"
#include "project/messages.h"

namespace panelix::project {

namespace {

// Adds a finished line to the list. A section header standing alone on its line gets a blank line
// before it, and an empty line is held as one blank so the list never shows an empty item.
void AddFinishedLine(ProjectLines& lines, std::string&& line) {
  if (line.empty()) {
    lines.emplace_back(" ");
    return;
  }
  if (line == kInfoSection || line == kUserCommandSection) {
    lines.emplace_back(" ");
  }
  lines.push_back(std::move(line));
}

}  // namespace

ProjectLines SplitProjectText(std::span<const std::uint8_t> bytes) {
  ProjectLines lines;
  std::string line;
  for (const std::uint8_t byte : bytes) {
    if (byte == '\n') {
      AddFinishedLine(lines, std::move(line));
      line.clear();
      continue;
    }
    if (line.size() >= kMaxProjectLine) {
      continue;
    }
    if (byte == '\t') {
      line.append(8, ' ');
    } else {
      line.push_back(static_cast<char>(byte));
    }
  }
  if (!line.empty()) {
    lines.emplace_back(" ");
    lines.push_back(std::move(line));
  }
  return lines;
}

ProjectLines LoadProjectFile(const std::filesystem::path& path) {
  const std::vector<std::uint8_t> bytes = ReadFileBytesUpTo(path, kMaxTextFileBytes, kOpenFail);
  const int codePage = SystemCodePage();
  return SplitProjectText(
      ProjectBytesInCodePage(bytes, codePage, codePage, path.string(), [](const std::string&) {}));
}

std::vector<std::uint8_t> ProjectBytesInCodePage(std::span<const std::uint8_t> bytes, int encoding,
                                                 int codePage, const std::string& name,
                                                 const MessageFn& warn) {
  const std::string_view raw(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  const std::string text = DecodeTextFile(raw, encoding, name, warn);
  if (encoding != kUtf8CodePage && !raw.starts_with("\xEF\xBB\xBF")) {
    return {bytes.begin(), bytes.end()};
  }
  const std::string converted = EncodeTextFile(text, codePage, name, warn);
  return {converted.begin(), converted.end()};
}

std::string ProjectFileText(const ProjectLines& lines) {
  std::string text;
  for (const std::string& line : lines) {
    for (const char c : line) {
      if (static_cast<unsigned char>(c) >= 0x20) {
        text.push_back(c);
      }
    }
    text.append("\r\n");
  }
  return text;
}

std::optional<std::string> ProjectSaveName(const std::string& chosen) {
  if (chosen.empty()) {
    throw Error(output::kErrorFileName);
  }
  if (chosen.find("*.ini") != std::string::npos) {
    return std::nullopt;
  }
  if (chosen.find(".ini") == std::string::npos) {
    return chosen + ".ini";
  }
  return chosen;
}

void SaveProjectFile(const std::filesystem::path& path, const ProjectLines& lines) {
  WriteFileReplacing(path, ProjectFileText(lines), kCreateError);
}

void DeleteBinEntry(ListState& list) {
  if (list.items.size() < 2 || !list.HasSelection() || list.selected == 0) {
    return;
  }
  list.items.erase(list.items.begin() + list.selected);
  if (static_cast<std::size_t>(list.selected) >= list.items.size()) {
    list.selected = -1;
  }
}

void MoveSelectedUp(ListState& list) {
  if (list.items.size() < 2 || !list.HasSelection() || list.selected == 0) {
    return;
  }
  const auto at = static_cast<std::size_t>(list.selected);
  std::swap(list.items[at], list.items[at - 1]);
  --list.selected;
}

void MoveSelectedDown(ListState& list) {
  if (list.items.size() < 2 || !list.HasSelection() ||
      static_cast<std::size_t>(list.selected) + 1 == list.items.size()) {
    return;
  }
  const auto at = static_cast<std::size_t>(list.selected);
  std::swap(list.items[at], list.items[at + 1]);
  ++list.selected;
}

void InsertCommand(ListState& list, const std::string& editLine) {
  if (list.items.size() < 2 || !list.HasSelection() || list.selected == 0) {
    return;
  }
  list.items.insert(list.items.begin() + list.selected, editLine);
  ++list.selected;
}

void DeleteCommand(ListState& list, std::string& editLine) {
  if (list.items.size() < 2) {
    return;
  }
  const int at = list.selected;
  if (list.HasSelection() && at != 0) {
    list.items.erase(list.items.begin() + at);
  }
  list.selected = -1;
  SelectCommand(list, at, editLine);
}

void SelectCommand(ListState& list, int index, std::string& editLine) {
  if (index < 0 || static_cast<std::size_t>(index) >= list.items.size()) {
    return;
  }
  list.selected = index;
  editLine = list.items[static_cast<std::size_t>(index)];
}

void ReplaceSelectedCommand(ListState& list, const std::string& editLine) {
  if (list.items.size() < 2 || !list.HasSelection()) {
    return;
  }
  list.items[static_cast<std::size_t>(list.selected)] = editLine;
}

}  // namespace panelix::project
