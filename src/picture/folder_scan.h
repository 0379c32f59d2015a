#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace panelix::picture {

// The picture list for a file chosen with "Input Picture": the pictures of the file's folder and of
// its direct subfolders. Folder = chosenPath cut after its last '/'. Entries whose names begin
// with a dot are skipped; an entry's extension is everything after the first dot of its name
// ("logo.big.png" has "big.png"); an entry whose extension is exactly one of bmp, BMP, jpg, JPG,
// jpeg, JPEG, png, PNG is listed as folder + name; any other entry that is a folder is scanned one
// level deep with the same rules, its pictures listed as folder + name + "/" + entry name at the
// place where the subfolder stands. Entries are taken in name order (byte order). A folder that
// cannot be read gives no entries.
std::vector<std::string> ScanPictureFolder(std::string_view chosenPath);

// True when a file name's extension (after its first dot) is one of the eight the scan takes.
bool IsListedPictureName(std::string_view name);

}  // namespace panelix::picture
