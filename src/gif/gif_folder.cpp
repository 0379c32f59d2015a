#include "gif/gif_folder.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

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
  std::error_code ec;
  const std::filesystem::path dir =
      folder.empty() ? std::filesystem::path(".") : std::filesystem::path(folder);
  for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    std::string name = it->path().filename().string();
    if (IsListedGifName(name)) {
      names.push_back(std::move(name));
    }
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace panelix::gif
