#pragma once

#include <string>

namespace panelix::font {

// The face the user chose: a family name as the font dialog gives it, or the path of a font file,
// and the character height in pixels (the em height, without internal leading).
struct FontChoice {
  std::string family = "宋体";
  int pixelHeight = 14;
};

// Where a face lives: a font file and the face's index inside it.
struct FontSource {
  std::string path;
  int index = 0;
  std::string family;  // the family the face calls itself, for messages
  // The family asked for is not installed (nor a generic name such as "monospace"): this face
  // is fontconfig's replacement.
  bool substituted = false;
};

// Finds the face for a choice. An existing file path is taken as it is. A family name is looked
// up through fontconfig, asking for Simplified Chinese coverage; when the family is not installed
// (the default "宋体" on most machines) the first face of fontconfig's fallback list that draws
// CJK ideographs is taken, so the default lands on an installed Song/Ming-style face. Throws
// panelix::Error for a path (a name with "/") that is not a file and when no font can be found.
FontSource ResolveFont(const FontChoice& choice);

}  // namespace panelix::font
