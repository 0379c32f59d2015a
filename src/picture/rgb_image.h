#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace panelix::picture {

// A decoded picture: width x height pixels, row-major from the top row, leftmost pixel first,
// three 8-bit values R, G, B per pixel, and an optional alpha plane (0 transparent, 255 opaque)
// that only PNG decoding fills. Black is R = G = B = 0. An empty picture (0 x 0) is valid: it
// encodes to no bytes.
struct RgbImage {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::vector<std::uint8_t> rgb;    // width * height * 3 bytes
  std::vector<std::uint8_t> alpha;  // empty, or width * height bytes

  bool HasAlpha() const { return !alpha.empty(); }
  std::size_t PixelIndex(std::int32_t x, std::int32_t y) const {
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x);
  }
  const std::uint8_t* Pixel(std::int32_t x, std::int32_t y) const {
    return rgb.data() + 3 * PixelIndex(x, y);
  }
  std::uint8_t* Pixel(std::int32_t x, std::int32_t y) { return rgb.data() + 3 * PixelIndex(x, y); }
};

// A picture of the given size with every pixel black and no alpha plane.
RgbImage MakeRgbImage(std::int32_t width, std::int32_t height);

}  // namespace panelix::picture
