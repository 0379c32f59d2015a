#include "cursor/cursor_text.h"

#include <cctype>

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

std::optional<std::string> FindCursorTextFault(std::u16string_view text) {
  const auto isHex = [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; };
  std::size_t values = 0;
  std::size_t lineNumber = 1;
  std::size_t lineStart = 0;
  for (;;) {
    std::size_t lineEnd = text.find(u'\n', lineStart);
    if (lineEnd == std::u16string_view::npos) {
      lineEnd = text.size();
    }
    const std::u16string_view line = text.substr(lineStart, lineEnd - lineStart);
    const std::string where = "Line " + std::to_string(lineNumber) + " of the cursor text";
    for (std::size_t i = 0; i < line.size(); ++i) {
      if (line[i] != u'x' && line[i] != u'X') {
        continue;
      }
      const std::u16string_view value = line.substr(i, 3);
      if (value.size() < 3 || !isHex(Narrow(value[1])) || !isHex(Narrow(value[2]))) {
        return where + ": \"" + Utf16ToUtf8(value) + "\" is not a hexadecimal byte.";
      }
      if (++values > kCursorFileSize) {
        return where + " holds value " + std::to_string(values) + "; a cursor holds " +
               std::to_string(kCursorFileSize) + " values.";
      }
      i += 2;
    }
    if (lineEnd == text.size()) {
      break;
    }
    lineStart = lineEnd + 1;
    ++lineNumber;
  }
  if (values < kCursorFileSize) {
    // A line feed at the very end closes the last line rather than opening another.
    const std::size_t lastLine = !text.empty() && text.back() == u'\n' ? lineNumber - 1 : lineNumber;
    return "The cursor text ends on line " + std::to_string(lastLine) + " after " + std::to_string(values) +
           (values == 1 ? " value" : " values") + "; a cursor holds " + std::to_string(kCursorFileSize) +
           " values.";
  }
  return std::nullopt;
}

CursorBytes ImportCursorText(std::string_view utf8) {
  return ImportCursorText(Utf8ToUtf16(utf8));
}

}  // namespace panelix::cursor
