#include "font/glyph_renderer.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>

#include "base/error.h"

namespace panelix::font {

struct GlyphRenderer::Impl {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  int ascent = 0;
  int pixelHeight = 0;
};

namespace {

// Distance from the top of the line box to the baseline, in pixels. For TrueType faces this is
// the face's Windows ascent scaled to the em height and rounded, the same line box the module
// tools have always drawn in; other faces use FreeType's own ascender.
int Ascent(FT_Face face, int pixelHeight) {
  const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  if (os2 != nullptr && os2->version != 0xFFFF && os2->usWinAscent > 0 && face->units_per_EM > 0) {
    const long scaled = static_cast<long>(os2->usWinAscent) * pixelHeight;
    return static_cast<int>((scaled + face->units_per_EM / 2) / face->units_per_EM);
  }
  return static_cast<int>((face->size->metrics.ascender + 63) >> 6);
}

std::uint8_t Coverage(const FT_Bitmap& bitmap, unsigned x, unsigned y) {
  const unsigned char* row = bitmap.buffer + static_cast<std::ptrdiff_t>(y) * bitmap.pitch;
  if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO) {
    return (row[x >> 3] & (0x80u >> (x & 7u))) != 0 ? 255 : 0;
  }
  if (bitmap.pixel_mode == FT_PIXEL_MODE_GRAY && bitmap.num_grays > 1) {
    return static_cast<std::uint8_t>(row[x] * 255u / static_cast<unsigned>(bitmap.num_grays - 1));
  }
  return 0;
}

}  // namespace

GlyphRenderer::GlyphRenderer(const FontSource& source, int pixelHeight) : m_impl(std::make_unique<Impl>()) {
  if (FT_Init_FreeType(&m_impl->library) != 0) {
    throw Error("Cannot start the font rasteriser");
  }
  if (FT_New_Face(m_impl->library, source.path.c_str(), source.index, &m_impl->face) != 0) {
    FT_Done_FreeType(m_impl->library);
    throw Error("Cannot open the font " + source.path);
  }
  FT_Select_Charmap(m_impl->face, FT_ENCODING_UNICODE);
  const int height = std::clamp(pixelHeight, 1, kMaxCellSide);
  if (FT_Set_Pixel_Sizes(m_impl->face, 0, static_cast<FT_UInt>(height)) != 0 &&
      m_impl->face->num_fixed_sizes > 0) {
    // A bitmap-only face: take its first strike.
    FT_Select_Size(m_impl->face, 0);
  }
  m_impl->ascent = Ascent(m_impl->face, height);
  m_impl->pixelHeight = height;
}

GlyphRenderer::~GlyphRenderer() {
  FT_Done_Face(m_impl->face);
  FT_Done_FreeType(m_impl->library);
}

void GlyphRenderer::Draw(std::u16string_view text, int originX, int originY, GlyphCell& cell) {
  FT_Face face = m_impl->face;
  long penX = originX;
  const long baseline = static_cast<long>(originY) + m_impl->ascent;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t code = text[i];
    if (code >= 0xD800 && code < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] < 0xE000) {
      code = 0x10000 + ((code - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    }
    if (penX >= static_cast<long>(cell.width) + 4L * m_impl->pixelHeight) {
      break;  // no glyph reaches this far back to the left: the rest is clipped
    }
    if (FT_Load_Char(face, code, FT_LOAD_RENDER) != 0) {
      continue;
    }
    const FT_GlyphSlot slot = face->glyph;
    const FT_Bitmap& bitmap = slot->bitmap;
    const long left = penX + slot->bitmap_left;
    const long top = baseline - slot->bitmap_top;
    for (unsigned y = 0; y < bitmap.rows; ++y) {
      const long cy = top + static_cast<long>(y);
      if (cy < 0 || cy >= cell.height) {
        continue;
      }
      for (unsigned x = 0; x < bitmap.width; ++x) {
        const long cx = left + static_cast<long>(x);
        if (cx < 0 || cx >= cell.width) {
          continue;
        }
        const std::uint8_t ink = Coverage(bitmap, x, y);
        if (ink == 0) {
          continue;
        }
        std::uint32_t& pixel = cell.At(static_cast<int>(cx), static_cast<int>(cy));
        const std::uint32_t level = std::min<std::uint32_t>(pixel & 0xFFu, 255u - ink);
        pixel = level * 0x010101u;
      }
    }
    penX += (slot->advance.x + 32) >> 6;
  }
}

GlyphCell GlyphRenderer::Render(std::u16string_view text, const RenderSettings& settings) {
  GlyphCell cell(settings.width, settings.height);
  Draw(text, settings.originX, settings.originY, cell);
  if (settings.rotation != Rotation::None) {
    cell = RotateCell(cell, settings.rotation);
  }
  MirrorCell(cell, settings.mirrorX, settings.mirrorY);
  GrayCell(cell);
  return cell;
}

}  // namespace panelix::font
