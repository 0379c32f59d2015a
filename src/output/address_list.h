#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/progress.h"
#include "output/write_result.h"

namespace panelix::output {

// One row of an address list:
//   "{" W ", " H ", 0x" ADDRESS ", 0x" SIZE "},//" NAME
// W and H in decimal, ADDRESS (offset of the item in its bin) and SIZE (bytes) as exactly eight
// upper-case hexadecimal digits. Negative 32-bit values show as their two's-complement pattern.
// No line ending is added.
std::string AddressRow(std::int32_t width, std::int32_t height, std::uint32_t address, std::uint32_t size,
                       std::string_view name);

// The bytes of an address list: every line followed by CR LF, the last one included, converted
// from UTF-8 to the system's 8-bit code page, no byte-order mark.
std::string AddressListBytes(const std::vector<std::string>& lines);

// Writes the address list of an output bin, the file named by AddressListName(outputName),
// replacing any file of that name whole (a failed write leaves the old file as it was).
//   NoOutputName  - outputName is empty; message "The file does not exist."
//   NotAccessible - the file cannot be created or written; message "The file might not be accessibl."
// The message goes to the sink; nothing is thrown for these two cases.
WriteResult WriteAddressList(std::string_view outputName, const std::vector<std::string>& lines,
                             const MessageFn& message);

}  // namespace panelix::output
