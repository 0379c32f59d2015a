#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace panelix::font {

// The code sets of a font library, in the order of the window's list.
enum class CodeSet { Gb2312 = 0, Big5 = 1, Gb2312Traditional = 2, Gbk = 3, Unicode = 4 };

struct CodeSetInfo {
  CodeSet set;
  const char* item;  // the list item, UTF-8
  std::uint16_t defaultStart;
  std::uint16_t defaultEnd;
};

inline constexpr std::array<CodeSetInfo, 5> kCodeSets{{
    {CodeSet::Gb2312, "GB2312", 0xA1A0, 0xF7FE},
    {CodeSet::Big5, "BIG5", 0xA140, 0xF9FF},
    {CodeSet::Gb2312Traditional, "繁体GB2312", 0xA1A0, 0xF7FE},
    {CodeSet::Gbk, "GBK", 0x8140, 0xFEBF},
    {CodeSet::Unicode, "UniCode", 0x4E00, 0x9FA5},
}};

// The entry of a list index; an index below 0 or above 4 gives the first set.
const CodeSetInfo& CodeSetAt(int index);

// Converts between UTF-16 and the module's 8-bit code pages and maps Chinese text between its
// simplified and traditional forms. Holds its ICU converters and transliterators open, so one
// instance serves a whole run; not for use by two threads at once.
class TextConverter {
 public:
  TextConverter();
  ~TextConverter();
  TextConverter(const TextConverter&) = delete;
  TextConverter& operator=(const TextConverter&) = delete;

  // Bytes in a code page (936, 950, ...) to UTF-16; a byte sequence the code page does not map
  // gives U+FFFD.
  std::u16string Decode(std::string_view bytes, int codePage);
  // UTF-16 to a code page, one UTF-16 unit at a time: a unit the code page lacks (including each
  // half of a surrogate pair) becomes "?".
  std::string Encode(std::u16string_view text, int codePage);
  std::u16string ToSimplified(std::u16string_view text);
  std::u16string ToTraditional(std::u16string_view text);

 private:
  struct Impl;
  std::unique_ptr<Impl> m_impl;
};

// The text drawn for a two-byte code of a code set. The two bytes followed by a zero byte are a
// multi-byte string (a high byte of 0 gives an empty text); UniCode takes the code as one UTF-16
// unit. In traditional-system mode every set decodes with the system code page.
std::u16string CodeToText(std::uint16_t code, CodeSet set, bool traditionalSystem, int systemCodePage,
                          TextConverter& converter);

// The code read from a code field: the first two characters as the high byte, the next two as the
// low byte, each pair as hex digits with anything else counting as 0. A field shorter than four
// characters throws panelix::Error with lessMessage.
std::uint16_t CodeFromField(std::u16string_view text, const std::string& lessMessage);
// A code field as it stands after a key release: exactly four characters, 0-9 and A-F kept, a-f
// upper-cased, anything else and anything missing "0", anything past the fourth dropped.
std::u16string NormalizeCodeField(std::u16string_view text);

// The codes of a library in file order. Throws panelix::Error with the range messages of the GB2312
// sets; BIG5 and GBK ignore start and end.
std::vector<std::uint16_t> LibraryCodes(CodeSet set, std::uint16_t start, std::uint16_t end);
// Position of a code's glyph in its library (the inverse of LibraryCodes).
std::size_t GlyphIndex(CodeSet set, std::uint16_t code, std::uint16_t start);

// What a library run draws, glyph by glyph, and what it says.
struct LibraryPlan {
  std::vector<std::u16string> texts;
  std::string okMessage;
  std::vector<std::string> memoLines;  // the UniCode run's three lines
};

struct LibraryRequest {
  CodeSet set = CodeSet::Gb2312;
  std::uint16_t start = 0xA1A0;
  std::uint16_t end = 0xF7FE;
  bool halfWidth = true;
  bool traditionalSystem = false;
  int systemCodePage = 936;
};

// Checks the range ("Error for start code > end code. And stop." and the set's own messages) and
// lists the text of every glyph. In traditional-system mode the run is always the BIG5 run, drawn
// through the system code page.
LibraryPlan PlanLibrary(const LibraryRequest& request, TextConverter& converter);

}  // namespace panelix::font
