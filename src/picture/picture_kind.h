#pragma once

#include <string_view>

namespace panelix::picture {

// The kind of a picture file, decided from its path alone. The codes are the ones the main window
// has always used.
enum class PictureKind { None = 0, Png = 1, Jpeg = 2, Bmp = 3 };

// Searches the whole path (folder names included) for ".png", ".PNG", ".jpg", ".JPG", ".jpeg",
// ".JPEG", ".bmp", ".BMP" in that order; the first one found at a position after the first
// character decides. Case-sensitive per entry: "photo.Jpg" is None, "shots.png/cat.bmp" is Png.
PictureKind ClassifyPicture(std::string_view path);

}  // namespace panelix::picture
