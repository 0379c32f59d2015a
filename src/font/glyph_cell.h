#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace panelix::font {

enum class Rotation { None, Right90, Left90 };

// How one glyph is drawn into its cell: the cell size W x H before rotation, the text origin
// (where the top-left corner of the text's line box goes), the rotation and the two mirrors.
struct RenderSettings {
  int width = 16;
  int height = 16;
  int originX = 2;
  int originY = 1;
  Rotation rotation = Rotation::None;
  bool mirrorX = false;
  bool mirrorY = false;
};

inline constexpr std::uint32_t kWhite = 0xFFFFFF;

// A glyph cell: width x height pixels, row-major from the top, each 0xRRGGBB. After the gray
// conversion every pixel holds its level in all three channels.
struct GlyphCell {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;

  GlyphCell() = default;
  GlyphCell(int w, int h, std::uint32_t fill = kWhite);
  std::uint32_t At(int x, int y) const {
    return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                  static_cast<std::size_t>(x)];
  }
  std::uint32_t& At(int x, int y) {
    return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                  static_cast<std::size_t>(x)];
  }
};

// Largest cell side the generator accepts: far beyond any module's font, small enough that a whole
// GBK library of such cells still fits in memory.
inline constexpr int kMaxCellSide = 256;

// Quarter turn of the cell: Right90 sends (x, y) to (H - 1 - y, x), Left90 to (y, W - 1 - x); the
// result is H wide and W tall.
GlyphCell RotateCell(const GlyphCell& cell, Rotation rotation);
// Mirrors in place: left-right swaps column x with W - 1 - x, top-bottom row y with H - 1 - y; an
// odd middle column or row stays.
void MirrorCell(GlyphCell& cell, bool mirrorX, bool mirrorY);
// Turns every pixel that is not pure white into the gray level
// trunc(R * 0.299f + G * 0.587f + B * 0.114f) in all three channels (single-precision weights,
// double-precision sum, so a gray pixel keeps its level). White stays white.
void GrayCell(GlyphCell& cell);
// Gray level (blue channel) of a converted pixel.
inline int Level(std::uint32_t pixel) {
  return static_cast<int>(pixel & 0xFFu);
}

// Packed size of a cell: height x (width div 8) bytes.
std::size_t GlyphBytes(int width, int height);
inline std::size_t GlyphBytes(const GlyphCell& cell) {
  return GlyphBytes(cell.width, cell.height);
}

// Packs a gray cell: rows from the top, width div 8 bytes per row, leftmost pixel in bit 7; a bit
// is 1 (ink) when the pixel's level is below limit. Columns past the last whole byte are dropped.
std::vector<std::uint8_t> PackGlyph(const GlyphCell& cell, int limit);
// The same, written to dest, which has room for GlyphBytes(cell) bytes.
void PackGlyphTo(const GlyphCell& cell, int limit, std::uint8_t* dest);

// A magnified view of a cell: (W * 4 + 1) x (H * 4 + 1) pixels of 0xRRGGBB, gray 0x777777 lines
// between 3 x 3 squares, one per cell pixel.
struct PreviewImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
};

struct Preview {
  PreviewImage gray;       // each square in its pixel's gray level
  PreviewImage threshold;  // black when the level is at or below limit, else white
};

Preview MakePreview(const GlyphCell& cell, int limit);

}  // namespace panelix::font
