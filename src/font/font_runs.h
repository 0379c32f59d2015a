#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/progress.h"
#include "font/font_face.h"
#include "font/glyph_cell.h"

namespace panelix::font {

class TextConverter;

// Everything a run needs to turn texts into packed glyphs, fixed when the run starts so that
// every glyph of a file packs to the same size.
struct GlyphJob {
  FontChoice font;
  RenderSettings settings;
  int limit = 200;
  int threads = 1;  // renderers working side by side; the bytes do not depend on it
};

// One item of a parallel run: the thread doing it (0 is the calling thread) and the item's index.
using ParallelWork = std::function<void(int thread, std::size_t index)>;
// Does work for every index below count on threads threads side by side, the calling thread
// among them and the only one that calls progress (items done, count). Returns false when progress
// asked to stop. When work throws on any thread the others stop at their next item and the first
// failure is rethrown here after every thread has ended.
bool RunInParallel(std::size_t count, int threads, const ParallelWork& work, const ProgressFn& progress);

// Throws panelix::Error when the cell width or height is negative or above kMaxCellSide, and when
// the cell is narrower than 8 or lower than 1 pixel (it would hold no glyph).
void CheckCellSize(const RenderSettings& settings);
// Cell width and height after rotation.
int RotatedWidth(const RenderSettings& settings);
int RotatedHeight(const RenderSettings& settings);
// Packed size of each glyph of a run.
std::size_t RunGlyphBytes(const RenderSettings& settings);

// Renders and packs every text in order into texts.size() x RunGlyphBytes bytes. progress gets
// (glyphs done, glyph count) after each glyph but the last; when it returns false the run ends
// and nothing is returned. With several threads each one renders with a face of its own and the
// bytes are the same as with one.
std::optional<std::vector<std::uint8_t>> RenderGlyphs(const GlyphJob& job,
                                                      const std::vector<std::u16string>& texts,
                                                      const ProgressFn& progress);

// The 94 printable ASCII characters "!" .. "~" of an ASCII font, one text each.
std::vector<std::u16string> AsciiTexts();

// The lines of a String Bin's text (SplitLines): a CR that ends a file without a line feed stays a
// character of the last line, as in the String Bins made so far.
std::vector<std::u16string> StringBinLines(std::u16string_view text);
// Reads a text file in the given encoding (a code page, or kUtf8CodePage; a file beginning with the
// UTF-8 byte-order mark is read as UTF-8), saying through warn what may have gone wrong (see
// DecodeTextFile). Throws panelix::Error "Fail to Open the file".
std::u16string LoadTextFile(const std::filesystem::path& path, int encoding, const MessageFn& warn = {});

// Header and code table of a String Bin font: "CX9xFont", the character count N (big-endian),
// the cell width and height after rotation (low 8 bits each), then one big-endian code per UTF-16
// unit of the lines in the code page: a byte with its high bit set and the byte after it, or 0x00
// and a single byte (the converted line read as zero-terminated, so a unit whose bytes were taken
// by an earlier pair gets a 0 byte). Throws panelix::Error when the lines hold more than 65535 units, which
// the count cannot describe.
std::vector<std::uint8_t> StringBinHead(const std::vector<std::u16string>& lines, int width, int height,
                                        int codePage, TextConverter& converter);
// The glyph texts of a String Bin font: every UTF-16 unit of the lines alone, in order.
std::vector<std::u16string> StringBinTexts(const std::vector<std::u16string>& lines);
// A whole String Bin font of the lines: the head (StringBinHead, in the cell after rotation), then
// the glyph of every unit (RenderGlyphs). Nothing is returned when progress asked to stop.
std::optional<std::vector<std::uint8_t>> MakeStringBin(const GlyphJob& job,
                                                       const std::vector<std::u16string>& lines, int codePage,
                                                       TextConverter& converter, const ProgressFn& progress);

// The glyph bytes as text: "0x", two upper-case hex digits and ", " per byte, CR LF after every
// eighth byte.
std::string HexDump(std::span<const std::uint8_t> bytes);

// Writes a font file under the name the user chose in the save dialog: ".bin" is appended when
// the name lacks it, the file is replaced whole. Throws panelix::Error "Error file's name" for an
// empty name, "open Creat file error!\n" when the file cannot be written, and refuses to write over
// one of the run's inputs (CheckOutputsApart). Returns the name written.
std::string SaveLibrary(std::string_view chosenName, std::span<const std::uint8_t> bytes,
                        const std::vector<std::filesystem::path>& inputs = {});

}  // namespace panelix::font
