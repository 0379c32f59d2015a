#include "base/folder_list.h"

#include <algorithm>
#include <system_error>

namespace panelix {

std::optional<std::vector<FolderEntry>> ListFolder(const std::filesystem::path& folder) {
  std::vector<FolderEntry> entries;
  std::error_code error;
  std::filesystem::directory_iterator it(folder.empty() ? std::filesystem::path(".") : folder, error);
  for (const std::filesystem::directory_iterator end; !error && it != end; it.increment(error)) {
    std::string name = it->path().filename().string();
    if (name.front() == '.') {
      continue;
    }
    std::error_code kindError;
    entries.push_back({std::move(name), it->is_directory(kindError)});
  }
  if (error) {
    return std::nullopt;
  }
  std::sort(entries.begin(), entries.end(),
            [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
  return entries;
}

}  // namespace panelix
