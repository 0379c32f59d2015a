#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace panelix {

// An entry of a folder: its name (without the folder) and whether it is a folder itself.
struct FolderEntry {
  std::string name;
  bool isFolder = false;
};

// The entries of a folder ("" is the current folder) sorted by name in byte order, so that every
// listing is reproducible; names beginning with "." are left out. Nothing when the folder cannot be
// read to its end (it is missing, not a folder, or reading fails on the way).
std::optional<std::vector<FolderEntry>> ListFolder(const std::filesystem::path& folder);

}  // namespace panelix
