// The text file of a String Bin font: any bytes, read in either module code page, split into lines
// and walked into the header and code table.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "base/error.h"
#include "font/code_sets.h"
#include "font/font_runs.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace panelix::font;
  static TextConverter converter;
  if (size == 0) {
    return 0;
  }
  // The first byte picks the code page and the cell; the rest is the file.
  const int codePage = (data[0] & 1) != 0 ? 950 : 936;
  const int width = data[0] >> 1;
  const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
  const std::vector<std::u16string> lines = StringBinLines(converter.Decode(bytes, codePage));
  std::size_t units = 0;
  for (const auto& line : lines) {
    if (line.find(u'\n') != std::u16string::npos) {
      std::abort();
    }
    units += line.size();
  }
  try {
    const std::vector<std::uint8_t> head = StringBinHead(lines, width, 16, codePage, converter);
    if (head.size() != 12 + 2 * units || StringBinTexts(lines).size() != units) {
      std::abort();
    }
  } catch (const panelix::Error&) {
    if (units <= 0xFFFF) {
      std::abort();
    }
  }
  return 0;
}
