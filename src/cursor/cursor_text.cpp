#include "cursor/cursor_text.h"

#include "base/codepage.h"
#include "base/numbers.h"

namespace panelix::cursor {

namespace {

// Only ASCII can be a hexadecimal digit; anything wider counts as 0.
char Narrow(char16_t c) {
  return c < 0x80 ? static_cast<char>(c) : '\0';
}

}  // namespace

std::vector<std::string> CursorTextLines(const CursorBytes& bytes) {
  std::vector<std::string> lines;
  lines.reserve(kCursorFileSize / 16);
  for (std::size_t n = 0; n < kCursorFileSize / 16; ++n) {
    std::string line;
    line.reserve(16 * 5);
    for (std::size_t i = 0; i < 16; ++i) {
      line += "0x";
      line += HexUpper(bytes[16 * n + i], 2);
      line += ',';
    }
    lines.push_back(std::move(line));
  }
  return lines;
}

CursorBytes ImportCursorText(std::u16string_view text) {
  CursorBytes bytes{};
  std::size_t filled = 0;
  std::size_t lineStart = 0;
  while (lineStart <= text.size() && filled < kCursorFileSize) {
    std::size_t lineEnd = text.find(u'\n', lineStart);
    if (lineEnd == std::u16string_view::npos) {
      lineEnd = text.size();
    }
    const std::u16string_view line = text.substr(lineStart, lineEnd - lineStart);
    for (std::size_t i = 0; i < line.size() && filled < kCursorFileSize; ++i) {
      if (line[i] != u'x' && line[i] != u'X') {
        continue;
      }
      const char high = i + 1 < line.size() ? Narrow(line[i + 1]) : '\0';
      const char low = i + 2 < line.size() ? Narrow(line[i + 2]) : '\0';
      bytes[filled++] = HexPair(high, low);
      i += 2;
    }
    lineStart = lineEnd + 1;
  }
  return bytes;
}

CursorBytes ImportCursorText(std::string_view utf8) {
  return ImportCursorText(Utf8ToUtf16(utf8));
}

}  // namespace panelix::cursor
