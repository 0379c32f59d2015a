#include "picture/picture_kind.h"

#include <array>
#include <utility>

namespace panelix::picture {

PictureKind ClassifyPicture(std::string_view path) {
  static constexpr std::array<std::pair<std::string_view, PictureKind>, 8> kTable = {{
      {".png", PictureKind::Png},
      {".PNG", PictureKind::Png},
      {".jpg", PictureKind::Jpeg},
      {".JPG", PictureKind::Jpeg},
      {".jpeg", PictureKind::Jpeg},
      {".JPEG", PictureKind::Jpeg},
      {".bmp", PictureKind::Bmp},
      {".BMP", PictureKind::Bmp},
  }};
  for (const auto& [needle, kind] : kTable) {
    const auto at = path.find(needle);
    // An occurrence at the very first character does not count.
    if (at != std::string_view::npos && at > 0) {
      return kind;
    }
  }
  return PictureKind::None;
}

}  // namespace panelix::picture
