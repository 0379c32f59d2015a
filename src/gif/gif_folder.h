#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace panelix::gif {

// The GIF list of a folder: the names (without folder) of its entries whose extension, the part
// of the name after its first dot, is exactly "gif" or "GIF"; names beginning with a dot are
// skipped, subfolders are not entered. Sorted by name in byte order; a folder that cannot be read
// gives an empty list.
std::vector<std::string> ListGifFolder(std::string_view folder);

// True when a file name is one the GIF list takes.
bool IsListedGifName(std::string_view name);

}  // namespace panelix::gif
