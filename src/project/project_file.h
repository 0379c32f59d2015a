#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "base/progress.h"

namespace panelix::project {

// The lines of a project file as the project window's command list holds them: one item per line,
// each the line's bytes in the system's 8-bit code page (no line feed; a carriage return read from
// the file stays part of its line).
using ProjectLines = std::vector<std::string>;

// Longest line kept when a project is read; the rest of a longer line is dropped. A tab that
// starts below the limit still adds all eight of its spaces.
inline constexpr std::size_t kMaxProjectLine = 1024;

// Splits the bytes of a project file into command-list lines: a line feed ends a line, a tab
// becomes eight spaces, a line stops growing at kMaxProjectLine characters. An empty line is held
// as " "; a line that is exactly "[INFO]" or "[USERCMD]" is preceded by an added " " line; a last
// line without a line feed is added after an added " " line.
ProjectLines SplitProjectText(std::span<const std::uint8_t> bytes);

// Reads a project file whole (in the code page, or as UTF-8 after a byte-order mark) and splits it.
// Throws panelix::Error "Open fail!" when it cannot be
// read.
ProjectLines LoadProjectFile(const std::filesystem::path& path);

// The bytes of a project file as the command list takes them, in the code page: a file read in
// encoding kUtf8CodePage, or beginning with the UTF-8 byte-order mark, is converted into the code
// page; a file in the code page is taken as it is. What may have gone wrong (DecodeTextFile,
// EncodeTextFile) is said through warn, naming the file as name.
std::vector<std::uint8_t> ProjectBytesInCodePage(std::span<const std::uint8_t> bytes, int encoding,
                                                 int codePage, const std::string& name,
                                                 const MessageFn& warn);

// The text of a saved project: every line with its control characters (below 0x20, carriage
// return included) removed, followed by CR LF.
std::string ProjectFileText(const ProjectLines& lines);

// The file name a project is saved under, from the name confirmed in the save dialog: ".ini" is
// appended when the name does not contain it (case-sensitive). Returns nothing when the name
// still holds the pattern "*.ini" (the user chose nothing). Throws panelix::Error
// "Error file's name" for an empty name.
std::optional<std::string> ProjectSaveName(const std::string& chosen);

// Writes the project text to path, replacing any file of that name whole. Throws panelix::Error
// "open Creat file error!\n" when it cannot be written; what was there before is kept then.
void SaveProjectFile(const std::filesystem::path& path, const ProjectLines& lines);

// A list of the project window with its selection (-1: none selected). The editing actions of the
// bin list and the command list work on it; items are kept as given, so lines nobody edited keep
// their bytes.
struct ListState {
  std::vector<std::string> items;
  int selected = -1;

  bool HasSelection() const { return selected >= 0 && static_cast<std::size_t>(selected) < items.size(); }
};

// "Delete" of the bin list: with two or more entries, deletes the selected entry unless it is the
// first. The entry that moves into its place is selected (none when it was the last).
void DeleteBinEntry(ListState& list);

// "Move UP" / "Command UP": with two or more entries, swaps the selected entry with the one above
// it unless it is the first. The selection follows the moved entry.
void MoveSelectedUp(ListState& list);

// "Move Down" / "Command Down": with two or more entries, swaps the selected entry with the one
// below it unless it is the last. The selection follows the moved entry.
void MoveSelectedDown(ListState& list);

// "Insert Command": with two or more lines and a line other than the first selected, inserts
// editLine before the selected line. The selection stays on the line it was on, so repeated
// inserts come out in the order they were made.
void InsertCommand(ListState& list, const std::string& editLine);

// "Delete Command": with two or more lines, deletes the selected line unless it is the first; then
// the line at the same index is selected and copied into editLine. When no line is left there,
// nothing is selected and editLine is unchanged.
void DeleteCommand(ListState& list, std::string& editLine);

// A click on a line of the command list: selects it and copies it into editLine.
void SelectCommand(ListState& list, int index, std::string& editLine);

// Enter in the edit line: with more than one line and a line selected, the selected line becomes
// editLine and stays selected; otherwise nothing changes.
void ReplaceSelectedCommand(ListState& list, const std::string& editLine);

}  // namespace panelix::project
