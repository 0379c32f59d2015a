#include "gif/gif_folder.h"

#include "base/folder_list.h"

namespace panelix::gif {

bool IsListedGifName(std::string_view name) {
  if (name.empty() || name.front() == '.') {
    return false;
  }
  const std::size_t dot = name.find('.');
  if (dot == std::string_view::npos) {
    return false;
  }
  const std::string_view extension = name.substr(dot + 1);
  return extension == "gif" || extension == "GIF";
}

std::vector<std::string> ListGifFolder(std::string_view folder) {
  std::vector<std::string> names;
  for (FolderEntry& entry : ListFolder(folder).value_or(std::vector<FolderEntry>{})) {
    if (IsListedGifName(entry.name)) {
      names.push_back(std::move(entry.name));
    }
  }
  return names;
}

}  // namespace panelix::gif
