#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace panelix::project {

// The folder part of a chosen path: the text up to and including its last separator, or an empty
// text when the path names no folder.
std::string FolderOfPath(const std::string& path);

// Names (without folder) of the bins in folder, sorted by name in byte order: every entry that is
// not a folder, whose name does not begin with "." and whose extension, the text after the first
// ".", is exactly "bin" (so "b.BIN", "c.bin.bak" and "e.x.bin" are not bins). Throws panelix::Error
// with message when the folder cannot be read.
std::vector<std::string> ListBinFolder(const std::filesystem::path& folder, const std::string& message);

// True when name is listed by ListBinFolder.
bool IsBinFileName(const std::string& name);

}  // namespace panelix::project
