#include "picture/rgb_image.h"

namespace panelix::picture {

RgbImage MakeRgbImage(std::int32_t width, std::int32_t height) {
  RgbImage image;
  image.width = width;
  image.height = height;
  image.rgb.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3, 0);
  return image;
}

}  // namespace panelix::picture
