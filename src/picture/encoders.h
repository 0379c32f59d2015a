#pragma once

#include <cstdint>
#include <exception>
#include <utility>
#include <vector>

#include "base/progress.h"
#include "picture/decoders.h"
#include "picture/options.h"
#include "picture/rgb_image.h"

namespace panelix::picture {

// Thrown by an encoder when its progress callback returns false: the picture is abandoned and
// nothing of it is returned.
class Stopped : public std::exception {
 public:
  const char* what() const noexcept override { return "stopped"; }
};

// Byte size of a W x H picture in a format (64-bit, so it cannot overflow):
//   R5G6B5       H * 2 * W, with padding H * 2 * Wp     (Wp = W rounded up to a multiple of 4)
//   R8G8B8       H * 3 * W, with padding H * 3 * Wp
//   Black_White  H * ceil(W / 8), with padding H * 4 * ceil(W / 32)
// The 4-4-4-4 alpha encoding has the size of R5G6B5.
std::int64_t EncodedSize(std::int32_t width, std::int32_t height, PixelFormat format, bool rowPadding);

// EncodedSize, checked to fit a 32-bit signed size (the module's address lists and the run's
// counters are 32-bit); throws panelix::Error "The picture is too large to convert (W x H)."
// otherwise.
std::int32_t CheckedEncodedSize(std::int32_t width, std::int32_t height, PixelFormat format, bool rowPadding);

// The pixel encoders. Each walks output rows j = 0..H-1 and output pixels k = 0..W-1 and takes the
// source pixel (mirrorX ? W-1-k : k, mirrorY ? H-1-j : j) of the picture as loaded and rotated; with
// rowPadding every row is followed by 0xFF bytes as EncodedSize says. options.rotation is not
// applied here (rotation happens at loading). The result has exactly EncodedSize bytes.
// progress(rowsDone, H) is called before the first row and after each row; when it returns false
// the encoder throws Stopped. With options.dither other than None, R5G6B5, Black_White and the
// colour of the 4-4-4-4 encoding take the levels DitherPicture chooses instead of plain truncation.
//
// R5G6B5: r5 = R>>3, g6 = G>>2, b5 = B>>3; "RGB" stores (r5<<11)|(g6<<5)|b5, "BGR"
// (b5<<11)|(g6<<5)|r5, little-endian.
std::vector<std::uint8_t> EncodeR5G6B5(const RgbImage& picture, const PictureOptions& options,
                                       const ProgressFn& progress = NoProgress);
// R8G8B8: "RGB" stores B, G, R (0xRRGGBB little-endian); "BGR" stores R, G, B.
std::vector<std::uint8_t> EncodeR8G8B8(const RgbImage& picture, const PictureOptions& options,
                                       const ProgressFn& progress = NoProgress);
// Black_White: ceil(W/8) bytes per row, leftmost pixel in bit 7, bit = 1 for a black pixel
// (R = G = B = 0); unused low bits of a row's last byte are 0. The channel order is ignored.
std::vector<std::uint8_t> EncodeBlackWhite(const RgbImage& picture, const PictureOptions& options,
                                           const ProgressFn& progress = NoProgress);

// Encodes a picture row by row, in any row order, into the bytes EncodePicture writes for it without
// dithering (options.dither is not applied). Each source row y (3 bytes per pixel) goes to the
// output row options.mirrorY puts it at.
class RowEncoder {
 public:
  RowEncoder(std::int32_t width, std::int32_t height, const PictureOptions& options);
  void Row(std::int32_t y, const std::uint8_t* rgb);
  // The encoded picture, once every row has been given.
  std::vector<std::uint8_t> Take() { return std::move(m_bytes); }

 private:
  using EncodeFn = void (*)(const std::uint8_t* row, std::size_t n, bool mirrorX, std::size_t data,
                            std::size_t padding, std::uint8_t* at);
  std::int32_t m_width;
  std::int32_t m_height;
  bool m_mirrorX;
  bool m_mirrorY;
  std::size_t m_data = 0;
  std::size_t m_padding = 0;
  EncodeFn m_encode = nullptr;
  std::vector<std::uint8_t> m_bytes;
};

// The encoder options.format chooses.
std::vector<std::uint8_t> EncodePicture(const RgbImage& picture, const PictureOptions& options,
                                        const ProgressFn& progress = NoProgress);

// The 4-4-4-4 encoding of a PNG with its alpha: per pixel (A>>4)<<12 | (R>>4)<<8 | (G>>4)<<4 | B>>4,
// little-endian, from the file's own pixels (no black-lifting, no blackening; the channel order
// does not apply); mirroring and row padding as R5G6B5.
//  - png is the file decoded anew; preview is the picture the main window shows (the same file
//    loaded with loadRotation). The file's pixels and alpha are turned by loadRotation first, so
//    the stored pixels follow the rotation; when the turned file no longer has the preview's size
//    (the file changed on disk) panelix::Error is thrown.
//  - A PNG without an alpha channel (colour type below 4): message "The png don't have Alpha", and
//    the bytes are the preview encoded as R5G6B5 with the same options (same size).
std::vector<std::uint8_t> EncodeArgb4444(const PngPicture& png, const RgbImage& preview,
                                         Rotation loadRotation, const PictureOptions& options,
                                         const MessageFn& message, const ProgressFn& progress = NoProgress);

}  // namespace panelix::picture
