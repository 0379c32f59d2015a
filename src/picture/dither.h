#pragma once

#include "picture/options.h"
#include "picture/rgb_image.h"

namespace panelix::picture {

// The levels a picture is reduced to: R5G6B5 (5, 6, 5 bits), the colour part of the 4-4-4-4 alpha
// encoding (4, 4, 4 bits), or Black_White (black or white).
enum class DitherTarget { R5G6B5, Argb4444, BlackWhite };

// The picture reduced to the target's levels with dithering, each level given back as the 8-bit
// value whose plain truncation is that level (level q of n bits as q << (8 - n) | q >> (2n - 8)),
// so the encoders store exactly the chosen levels and the window can show the result as it is.
//  - Dither::None returns the picture unchanged.
//  - Ordered: an 8 x 8 Bayer threshold, by the pixel's place in the picture, decides between the
//    two levels around the colour, so a channel's average over a block keeps the source's.
//  - FloydSteinberg: nearest level, the error spread 7/16 right, 3/16 below left, 5/16 below,
//    1/16 below right; rows top to bottom, pixels left to right, so the result depends on the
//    picture alone.
// Black_White works on the luminance (0.299 R + 0.587 G + 0.114 B) and gives black (0, 0, 0) or
// white (255, 255, 255). Black marks the transparent pixels of PNG pictures, so for R5G6B5 and
// Black_White a black source pixel stays black, and for R5G6B5 no other pixel becomes black. The
// alpha plane is kept as it is.
RgbImage DitherPicture(const RgbImage& picture, DitherTarget target, Dither dither);

// The target a format's encoder reduces to, or none (R8G8B8 keeps every value).
bool DitherTargetOf(PixelFormat format, DitherTarget& target);

// What the window shows for a picture about to be encoded: the picture as its encoder will dither
// it (the 4-4-4-4 colour when argb is true, else options.format), or the picture itself when
// options.dither is None or the format keeps every value.
RgbImage DitheredPreview(const RgbImage& picture, const PictureOptions& options, bool argb);

}  // namespace panelix::picture
