#pragma once

#include <cstdint>
#include <string>

namespace panelix::picture {

// Output pixel format; the values are the indexes of the main window's format list.
enum class PixelFormat {
  R5G6B5 = 0,      // "R5G6B5": 16 bits per pixel, little-endian
  R8G8B8 = 1,      // "R8G8B8": 24 bits per pixel
  BlackWhite = 2,  // "Black_White": 1 bit per pixel, 1 = black
};

// Channel order; the values are the indexes of the "RGB" radio group.
enum class ChannelOrder { Rgb = 0, Bgr = 1 };

// Rotation applied when a picture is loaded; the values are the indexes of the "Rotation" radio
// group: "0 Degree", "R 90 Degree" (clockwise), "L 90 Degree" (counter-clockwise).
enum class Rotation { None = 0, Right90 = 1, Left90 = 2 };

// Dithering before the colours are reduced to the format's levels (opt-in; None keeps the plain
// truncation of the encoders).
enum class Dither { None = 0, Ordered = 1, FloydSteinberg = 2 };

// What the pixel encoders need. The GIF converter builds these for its frames as well.
struct PictureOptions {
  PixelFormat format = PixelFormat::R5G6B5;
  ChannelOrder order = ChannelOrder::Rgb;
  Rotation rotation = Rotation::None;
  bool mirrorX = false;          // "ReverseX": mirror left to right (after rotation)
  bool mirrorY = false;          // "ReverseY": mirror top to bottom (after rotation)
  bool rowPadding = false;       // "NandFlash BIN   ": pad rows with 0xFF bytes
  Dither dither = Dither::None;  // "Dither": R5G6B5, Black_White and the 4-4-4-4 colour
};

// Limits the decoders enforce from a file's header, before any pixel memory is allocated. The
// defaults take every picture a display module can show with a wide margin, and keep the memory of
// a picture run well under 300 MB: each side at most 65535 pixels (what the module's 16-bit sizes
// hold) and at most 2^23 pixels in all (8388608, e.g. 4096 x 2048; 24 MiB of colour data). The
// command line's --max-pixels raises maxPixels.
struct DecodeLimits {
  std::int32_t maxSide = 65535;
  std::int64_t maxPixels = std::int64_t{1} << 23;
  // The largest picture file read: 8 bytes per pixel allowed (64 MiB by default), room for any
  // BMP, and for a PNG of 16-bit samples stored without compression.
  std::uint64_t MaxFileBytes() const { return 8 * static_cast<std::uint64_t>(maxPixels); }
};

// Everything the main window's controls say about converting one picture. The window builds a fresh
// one from its controls each time a picture is loaded or encoded (options are never cached), so a
// change made during a run applies from the next picture on.
struct ConvertOptions {
  PictureOptions picture;
  // Text of the "PNG  Alpha" field, read as a decimal number when a PNG is loaded. An empty or
  // non-numeric text makes PNG loads fail with "'<text>' is not a valid integer value"; a value
  // above 255 acts as 255.
  std::string alphaThreshold = "150";
  // "aRGB PNG  ": encode PNG pictures as 4-4-4-4 alpha/colour instead of the chosen format.
  bool argbPng = false;
  // Not a control: the window keeps the defaults.
  DecodeLimits limits;
};

}  // namespace panelix::picture
