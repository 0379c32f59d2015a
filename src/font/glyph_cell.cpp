#include "font/glyph_cell.h"

#include <utility>

namespace panelix::font {

GlyphCell::GlyphCell(int w, int h, std::uint32_t fill)
    : width(w < 0 ? 0 : w),
      height(h < 0 ? 0 : h),
      pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), fill) {}

GlyphCell RotateCell(const GlyphCell& cell, Rotation rotation) {
  if (rotation == Rotation::None) {
    return cell;
  }
  const int w = cell.width;
  const int h = cell.height;
  GlyphCell out(h, w);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      if (rotation == Rotation::Right90) {
        out.At(h - 1 - y, x) = cell.At(x, y);
      } else {
        out.At(y, w - 1 - x) = cell.At(x, y);
      }
    }
  }
  return out;
}

void MirrorCell(GlyphCell& cell, bool mirrorX, bool mirrorY) {
  const int w = cell.width;
  const int h = cell.height;
  if (mirrorX) {
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w / 2; ++x) {
        std::swap(cell.At(x, y), cell.At(w - 1 - x, y));
      }
    }
  }
  if (mirrorY) {
    for (int x = 0; x < w; ++x) {
      for (int y = 0; y < h / 2; ++y) {
        std::swap(cell.At(x, y), cell.At(x, h - 1 - y));
      }
    }
  }
}

void GrayCell(GlyphCell& cell) {
  // The weights are the single-precision numbers nearest 0.299, 0.587 and 0.114, widened.
  constexpr double kRed = static_cast<double>(0.299f);
  constexpr double kGreen = static_cast<double>(0.587f);
  constexpr double kBlue = static_cast<double>(0.114f);
  for (std::uint32_t& p : cell.pixels) {
    // White, and any gray pixel, keeps its level: the weights sum to just above 1.
    if ((((p >> 8) ^ p) & 0xFFFFu) == 0) {
      continue;
    }
    const std::uint32_t r = (p >> 16) & 0xFFu;
    const std::uint32_t g = (p >> 8) & 0xFFu;
    const std::uint32_t b = p & 0xFFu;
    const auto level = static_cast<std::uint32_t>(r * kRed + g * kGreen + b * kBlue);
    p = level * 0x010101u;
  }
}

std::size_t GlyphBytes(int width, int height) {
  if (width <= 0 || height <= 0) {
    return 0;
  }
  return static_cast<std::size_t>(height) * static_cast<std::size_t>(width / 8);
}

void PackGlyphTo(const GlyphCell& cell, int limit, std::uint8_t* dest) {
  const int rowBytes = cell.width / 8;
  for (int y = 0; y < cell.height && rowBytes > 0; ++y) {
    const std::uint32_t* row =
        cell.pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(cell.width);
    for (int k = 0; k < rowBytes; ++k) {
      unsigned byte = 0;
      for (int bit = 0; bit < 8; ++bit) {
        byte <<= 1;
        if (Level(row[8 * k + bit]) < limit) {
          byte |= 1u;
        }
      }
      *dest++ = static_cast<std::uint8_t>(byte);
    }
  }
}

std::vector<std::uint8_t> PackGlyph(const GlyphCell& cell, int limit) {
  std::vector<std::uint8_t> out(GlyphBytes(cell));
  PackGlyphTo(cell, limit, out.data());
  return out;
}

namespace {

PreviewImage Grid(const GlyphCell& cell) {
  PreviewImage image;
  image.width = cell.width * 4 + 1;
  image.height = cell.height * 4 + 1;
  image.pixels.assign(static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height),
                      0x777777u);
  return image;
}

void FillSquare(PreviewImage& image, int x, int y, std::uint32_t colour) {
  for (int dy = 1; dy <= 3; ++dy) {
    for (int dx = 1; dx <= 3; ++dx) {
      image.pixels[static_cast<std::size_t>(4 * y + dy) * static_cast<std::size_t>(image.width) +
                   static_cast<std::size_t>(4 * x + dx)] = colour;
    }
  }
}

}  // namespace

Preview MakePreview(const GlyphCell& cell, int limit) {
  Preview preview{Grid(cell), Grid(cell)};
  for (int y = 0; y < cell.height; ++y) {
    for (int x = 0; x < cell.width; ++x) {
      const std::uint32_t pixel = cell.At(x, y);
      FillSquare(preview.gray, x, y, pixel);
      FillSquare(preview.threshold, x, y, Level(pixel) <= limit ? 0x000000u : 0xFFFFFFu);
    }
  }
  return preview;
}

}  // namespace panelix::font
