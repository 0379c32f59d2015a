#include "output/address_list.h"

#include "base/codepage.h"
#include "base/error.h"
#include "base/files.h"
#include "base/numbers.h"
#include "output/messages.h"
#include "output/output_names.h"

namespace panelix::output {

std::string AddressRow(std::int32_t width, std::int32_t height, std::uint32_t address, std::uint32_t size,
                       std::string_view name) {
  std::string row = "{";
  row += std::to_string(width);
  row += ", ";
  row += std::to_string(height);
  row += ", 0x";
  row += HexUpper(address, 8);
  row += ", 0x";
  row += HexUpper(size, 8);
  row += "},//";
  row += name;
  return row;
}

std::string AddressListBytes(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) {
    text += line;
    text += "\r\n";
  }
  return EncodeCodePage(text, SystemCodePage());
}

WriteResult WriteAddressList(std::string_view outputName, const std::vector<std::string>& lines,
                             const MessageFn& message) {
  if (outputName.empty()) {
    message(kFileDoesNotExist);
    return WriteResult::NoOutputName;
  }
  try {
    WriteFileReplacing(AddressListName(outputName), std::string_view(AddressListBytes(lines)),
                       kFileNotAccessible);
  } catch (const Error&) {
    message(kFileNotAccessible);
    return WriteResult::NotAccessible;
  }
  return WriteResult::Written;
}

}  // namespace panelix::output
