#include "project/bin_folder.h"

#include "base/error.h"
#include "base/folder_list.h"

namespace panelix::project {

std::string FolderOfPath(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

bool IsBinFileName(const std::string& name) {
  if (name.empty() || name.front() == '.') {
    return false;
  }
  const std::size_t dot = name.find('.');
  return dot != std::string::npos && name.compare(dot + 1, std::string::npos, "bin") == 0;
}

std::vector<std::string> ListBinFolder(const std::filesystem::path& folder, const std::string& message) {
  std::optional<std::vector<FolderEntry>> entries = ListFolder(folder);
  if (!entries) {
    throw Error(message);
  }
  std::vector<std::string> names;
  for (FolderEntry& entry : *entries) {
    // A folder named like a bin cannot go into the flash image; leave it out of the list.
    if (IsBinFileName(entry.name) && !entry.isFolder) {
      names.push_back(std::move(entry.name));
    }
  }
  return names;
}

}  // namespace panelix::project
