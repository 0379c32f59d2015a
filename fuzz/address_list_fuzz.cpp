// Address lists as the resource passes read them: lines, rows and their values, and the picture
// entries they become.
#include <cstddef>
#include <cstdint>
#include <span>

#include "base/error.h"
#include "infoblock/info_block.h"
#include "project/address_list_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace panelix;
  infoblock::InfoBlock block;
  int n = 0;
  try {
    for (const std::string& line : project::ReadAddressListLines(std::span<const std::uint8_t>(data, size))) {
      if (line.size() > project::kMaxAddressLine + 3) {
        __builtin_trap();
      }
      if (const auto row = project::ParseAddressRow(line); row && n < infoblock::kMaxPictures) {
        const auto& [w, h, a, length] = row->values;
        block.PutPicture(n++, {w, h, a + 0x20000u, length});
      }
    }
  } catch (const ConversionError&) {
  }
  return 0;
}
