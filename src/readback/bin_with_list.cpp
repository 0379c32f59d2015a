// A picture or GIF bin read through the address list beside it.
#include "base/bounded_read.h"
#include "base/error.h"
#include "base/files.h"
#include "project/address_list_reader.h"
#include "readback/extract.h"

namespace panelix::inspect {

Inspection InspectConverterBin(const ImageFile& file, const std::filesystem::path& addressList) {
  const std::vector<std::uint8_t> bytes =
      ReadFileBytesUpTo(addressList, kMaxTextFileBytes, "Open " + addressList.string() + " fail!");
  Inspection out;
  out.converterBin = true;
  out.blockSize = 0;
  out.fileSize = file.Size();
  int number = 0;
  const std::vector<std::string> lines = project::ReadAddressListLines(bytes);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::optional<project::AddressRowValues> row;
    try {
      row = project::ParseAddressRow(lines[i]);
    } catch (const ConversionError& e) {
      out.problems.push_back(addressList.string() + ": line " + std::to_string(i + 1) + ": " + e.what());
      continue;
    }
    if (row) {
      const auto& v = row->values;
      out.pictures.push_back({number++, {v[0] & 0xFFFF, v[1] & 0xFFFF, v[2], v[3]}, {}});
    }
  }
  out.pictureCount = number;
  CheckPlacement(out);
  return out;
}

}  // namespace panelix::inspect
