#include "picture/folder_scan.h"

#include <algorithm>
#include <array>

#include "base/folder_list.h"

namespace panelix::picture {

namespace {

// Names of a folder's entries in byte order; dot-names are left out. An unreadable folder (or a
// plain file) has none.
std::vector<std::string> ListNames(const std::string& folder) {
  std::vector<std::string> names;
  for (FolderEntry& entry : ListFolder(folder).value_or(std::vector<FolderEntry>{})) {
    names.push_back(std::move(entry.name));
  }
  return names;
}

}  // namespace

bool IsListedPictureName(std::string_view name) {
  static constexpr std::array<std::string_view, 8> kExtensions = {"bmp",  "BMP",  "jpg", "JPG",
                                                                  "jpeg", "JPEG", "png", "PNG"};
  const auto dot = name.find('.');
  if (dot == std::string_view::npos) {
    return false;
  }
  const std::string_view extension = name.substr(dot + 1);
  return std::find(kExtensions.begin(), kExtensions.end(), extension) != kExtensions.end();
}

std::vector<std::string> ScanPictureFolder(std::string_view chosenPath) {
  const auto cut = chosenPath.rfind('/');
  const std::string folder(cut == std::string_view::npos ? std::string_view()
                                                         : chosenPath.substr(0, cut + 1));
  std::vector<std::string> list;
  for (const auto& name : ListNames(folder)) {
    if (IsListedPictureName(name)) {
      list.push_back(folder + name);
      continue;
    }
    const std::string sub = folder + name;
    for (const auto& inner : ListNames(sub)) {
      if (IsListedPictureName(inner)) {
        list.push_back(sub + "/" + inner);
      }
    }
  }
  return list;
}

}  // namespace panelix::picture
