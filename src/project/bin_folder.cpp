#include "project/bin_folder.h"

#include <algorithm>
#include <system_error>

#include "base/error.h"

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
  std::vector<std::string> names;
  std::error_code error;
  std::filesystem::directory_iterator it(folder.empty() ? std::filesystem::path(".") : folder, error);
  if (error) {
    throw Error(message);
  }
  for (const std::filesystem::directory_iterator end; it != end; it.increment(error)) {
    if (error) {
      throw Error(message);
    }
    std::string name = it->path().filename().string();
    std::error_code kindError;
    // A folder named like a bin cannot go into the flash image; leave it out of the list.
    if (IsBinFileName(name) && !it->is_directory(kindError)) {
      names.push_back(std::move(name));
    }
  }
  if (error) {
    throw Error(message);
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace panelix::project
