#pragma once

#include <memory>
#include <string_view>

#include "font/font_face.h"
#include "font/glyph_cell.h"

namespace panelix::font {

// Draws text into glyph cells with one FreeType face. Each renderer owns its FreeType library
// and face, so renderers on different threads share nothing.
class GlyphRenderer {
 public:
  // Opens the face. Throws panelix::Error when the file cannot be read as a font.
  GlyphRenderer(const FontSource& source, int pixelHeight);
  ~GlyphRenderer();
  GlyphRenderer(const GlyphRenderer&) = delete;
  GlyphRenderer& operator=(const GlyphRenderer&) = delete;

  // The whole glyph pipeline: a fresh white W x H cell, the text drawn black with the top-left of
  // its line box at the text origin and clipped to the cell, then rotation, mirroring and the gray
  // conversion. text is UTF-16; a surrogate pair draws its character, a lone surrogate its
  // code unit.
  GlyphCell RenderGlyph(std::u16string_view text, const RenderSettings& settings);

  // Draws the text only (steps before rotation) into an existing cell.
  void Draw(std::u16string_view text, int originX, int originY, GlyphCell& cell);

 private:
  struct Impl;
  std::unique_ptr<Impl> m_impl;
};

}  // namespace panelix::font
