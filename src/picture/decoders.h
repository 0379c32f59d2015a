#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "picture/options.h"
#include "picture/picture_kind.h"
#include "picture/rgb_image.h"

namespace panelix::picture {

// A decoded PNG file as the file holds it: R, G, B per pixel (greyscale expanded to R = G = B,
// palettes expanded, 16-bit samples reduced to their high 8 bits), and for colour types 4 and 6 the
// alpha plane. Transparency chunks (tRNS) are ignored, so colour types 0, 2 and 3 never carry
// alpha.
struct PngPicture {
  RgbImage image;
  int colorType = 0;  // from the header: 0 grey, 2 truecolour, 3 indexed, 4 grey+alpha, 6 RGBA
};

// Decoders over the bytes of a whole file. Each throws panelix::Error with a message naming the
// kind of file and the reason ("The PNG file is damaged: ...") when the data is not a valid
// picture or exceeds the limits. They never read outside the given bytes.
//  - PNG: a critical chunk (IHDR, PLTE, IDAT, IEND) that fails its CRC makes the file damaged, and
//    so does a header declaring more pixels than the image data could inflate to; the pixels are
//    allocated only after that check.
//  - JPEG: rows are stored as they arrive. Data that ends before the first scan is complete makes
//    the file damaged; the decoder's other warnings (data ending in a later scan, corrupt segments)
//    leave a whole picture, and their texts (libjpeg's words, each once) are added to *warnings
//    when warnings is not null.
PngPicture DecodePng(std::span<const std::uint8_t> file, const DecodeLimits& limits = {});
RgbImage DecodeJpeg(std::span<const std::uint8_t> file, const DecodeLimits& limits = {},
                    std::vector<std::string>* warnings = nullptr);
// BMP: 1, 4, 8, 16, 24 and 32 bits per pixel, BI_RGB, BI_BITFIELDS and BI_ALPHABITFIELDS masks,
// RLE4 and RLE8 (pixels the RLE data skips take palette colour 0), bottom-up and top-down rows,
// Windows headers of 40 to 124 bytes and the OS/2 12-byte core header. Alpha is dropped.
RgbImage DecodeBmp(std::span<const std::uint8_t> file, const DecodeLimits& limits = {});

}  // namespace panelix::picture
