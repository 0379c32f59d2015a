#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "picture/decoders.h"
#include "picture/options.h"
#include "picture/picture_kind.h"
#include "picture/rgb_image.h"

namespace panelix::picture {

// Why a picture could not be read: not one of the formats, or too large for the memory.
inline constexpr const char* kNotAPicture = "The file is not a BMP, JPEG or PNG picture.";
inline constexpr const char* kNoMemoryForPicture = "Not enough memory for the picture.";

// Loads a picture file by its kind (ClassifyPicture of the path), not rotated:
//  - JPEG and BMP: the decoded pixels, unchanged.
//  - PNG: the alpha threshold is read from options.alphaThreshold (ConversionError when it is not
//    a number; above 255 acts as 255). Without an alpha channel (colour types 0, 2, 3) the decoded
//    pixels, unchanged. With one (4, 6) every pixel whose alpha is not above the threshold becomes
//    black, and every other pixel that would encode as black in the chosen format is lifted:
//    R5G6B5 when R < 8, G < 4, B < 8 gets R|8, G|4, B|8; R8G8B8 and Black_White when R, G, B are
//    each 0 or 1 get R|2, G|2, B|2. The result has no alpha plane.
// Throws panelix::Error when the file cannot be read or decoded, when its kind is None, or when
// its encoded size in the chosen format would not fit a 32-bit signed size. The warnings a JPEG
// decoded with (libjpeg's texts: data ending in a later scan, corrupt segments) are added to
// *warnings when warnings is not null.
RgbImage LoadPicture(const std::string& path, const ConvertOptions& options,
                     std::vector<std::string>* warnings = nullptr);

// The same over the bytes of a file whose kind is already known (kind None throws), decoded within
// options.limits.
RgbImage LoadPictureBytes(std::span<const std::uint8_t> file, PictureKind kind, const ConvertOptions& options,
                          std::vector<std::string>* warnings = nullptr);

// Reads a picture file whole; one above options.limits.MaxFileBytes() is refused before it is read.
// Throws panelix::Error "Can't open the file " + path when it cannot be read.
std::vector<std::uint8_t> ReadPictureFile(const std::string& path, const ConvertOptions& options);

// The alpha treatment alone, on a decoded PNG (used by LoadPicture; exposed for the GIF tool's and
// the tests' sake). threshold is already clamped to 255.
RgbImage TreatPngAlpha(PngPicture png, PixelFormat format, std::int32_t threshold);

// The same treatment of pixels rgb (3 bytes each) by their alpha, in place.
void TreatAlphaPixels(std::uint8_t* rgb, const std::uint8_t* alpha, std::size_t pixels, PixelFormat format,
                      std::int32_t threshold);

// Reads the threshold field as LoadPicture does: ConversionError for an empty or non-numeric
// text, values above 255 become 255.
std::int32_t ReadAlphaThreshold(const std::string& text);

// Quarter turns. Right90 (clockwise): the result is H x W and its pixel (x, y) is the source's
// (y, H - 1 - x). Left90 (counter-clockwise): the result is H x W and its pixel (x, y) is the
// source's (W - 1 - y, x). The alpha plane, when present, turns with the pixels.
RgbImage RotatePicture(const RgbImage& source, Rotation rotation);
// The same for a picture that is no longer needed: with Rotation::None it is moved, not copied.
RgbImage RotatePicture(RgbImage&& source, Rotation rotation);

// The main window's current picture: what the preview shows and the converters read.
struct Preview {
  std::string path;                      // the file last loaded (or tried)
  PictureKind kind = PictureKind::None;  // its kind
  RgbImage image;                        // loaded, treated and rotated; empty until a load succeeds
  Rotation rotation = Rotation::None;    // the rotation image was loaded with
  std::vector<std::string> warnings;     // what the last load's decoder warned of
};

// Loads a file into the preview: path and kind are set first (also when the load then fails); for
// kind None nothing else happens and false is returned (the preview keeps its picture); otherwise
// the image becomes RotatePicture(LoadPicture(path, options), options.picture.rotation) and true is
// returned, with the decoder's warnings in preview.warnings. On failure the error propagates and
// the image stays as it was.
bool LoadPreview(Preview& preview, const std::string& path, const ConvertOptions& options);

}  // namespace panelix::picture
