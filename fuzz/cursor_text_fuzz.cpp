// Feeds arbitrary text to the cursor editor's import and checks that the cursor it gives exports
// to a text that imports to the same bytes and that the strict reading accepts.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/codepage.h"
#include "cursor/cursor.h"
#include "cursor/cursor_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace panelix::cursor;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const CursorBytes bytes = ImportCursorText(text);
  std::u16string utf16;
  for (std::size_t i = 0; i + 1 < size; i += 2) {
    utf16 += static_cast<char16_t>(data[i] | (data[i + 1] << 8));
  }
  ImportCursorText(std::u16string_view(utf16));
  FindCursorTextFault(utf16);
  std::string exported;
  for (const auto& line : CursorTextLines(PackCursor(UnpackCursor(bytes)))) {
    exported += line + "\r\n";
  }
  // What the editor exports the strict reading takes without a word.
  if (ImportCursorText(std::string_view(exported)) != bytes ||
      FindCursorTextFault(panelix::Utf8ToUtf16(exported)).has_value()) {
    std::abort();
  }
  return 0;
}
