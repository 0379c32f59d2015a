#include "font/glyph_renderer.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>

#include "base/error.h"
#include "font/messages.h"

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

// Darkens a cell pixel by a coverage of 1..255; where glyphs overlap the darker pixel wins.
inline void Ink(std::uint32_t& pixel, unsigned coverage) {
  const std::uint32_t level = std::min<std::uint32_t>(pixel & 0xFFu, 255u - coverage);
  pixel = level * 0x010101u;
}

// Lays a rendered glyph bitmap over the cell with its top-left at (left, top), clipped to the cell.
void Composite(const FT_Bitmap& bitmap, long left, long top, GlyphCell& cell) {
  const long x0 = std::max(0L, -left);
  const long y0 = std::max(0L, -top);
  const long x1 = std::min(static_cast<long>(bitmap.width), static_cast<long>(cell.width) - left);
  const long y1 = std::min(static_cast<long>(bitmap.rows), static_cast<long>(cell.height) - top);
  for (long y = y0; y < y1; ++y) {
    const unsigned char* row = bitmap.buffer + static_cast<std::ptrdiff_t>(y) * bitmap.pitch;
    std::uint32_t* out = &cell.At(0, static_cast<int>(top + y)) + left;
    if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO) {
      for (long x = x0; x < x1; ++x) {
        if ((row[x >> 3] & (0x80u >> (x & 7))) != 0) {
          out[x] = 0;  // full coverage: black
        }
      }
    } else if (bitmap.pixel_mode == FT_PIXEL_MODE_GRAY && bitmap.num_grays > 1) {
      const unsigned grays = static_cast<unsigned>(bitmap.num_grays - 1);
      for (long x = x0; x < x1; ++x) {
        if (row[x] != 0) {
          Ink(out[x], grays == 255 ? row[x] : row[x] * 255u / grays);
        }
      }
    }
  }
}

}  // namespace

GlyphRenderer::GlyphRenderer(const FontSource& source, int pixelHeight) : m_impl(std::make_unique<Impl>()) {
  if (FT_Init_FreeType(&m_impl->library) != 0) {
    throw Error("Cannot start the font rasteriser");
  }
  if (FT_New_Face(m_impl->library, source.path.c_str(), source.index, &m_impl->face) != 0) {
    FT_Done_FreeType(m_impl->library);
    throw Error(kCannotOpenFont + source.path);
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
    Composite(slot->bitmap, penX + slot->bitmap_left, baseline - slot->bitmap_top, cell);
    penX += (slot->advance.x + 32) >> 6;
  }
}

GlyphCell GlyphRenderer::RenderGlyph(std::u16string_view text, const RenderSettings& settings) {
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
