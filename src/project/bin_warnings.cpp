// Warnings about the bin folder: bins no naming rule takes, font bins whose size code disagrees
// with their size, pictures larger than the panel and a bootloader made for another panel.
#include <algorithm>
#include <array>
#include <cctype>
#include <fstream>
#include <string_view>

#include "base/bounded_read.h"
#include "base/bytes.h"
#include "base/error.h"
#include "base/files.h"
#include "base/folder_list.h"
#include "bootloader/block_decode.h"
#include "infoblock/bin_kinds.h"
#include "output/output_names.h"
#include "project/address_list_reader.h"
#include "project/bin_folder.h"
#include "project/resource_passes.h"
#include "project/warning_checks.h"

namespace panelix::project::checks {

namespace {

namespace fs = std::filesystem;

std::string Lower(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
  return lower;
}

std::string KindList() {
  std::string list;
  for (const infoblock::BinKind kind : infoblock::kBinKinds) {
    list += (list.empty() ? "" : ", ") + std::string(infoblock::KindPrefix(kind));
  }
  return list;
}

void CheckNames(const MakeBinInput& build, Warnings& warn) {
  const std::string kinds = KindList();
  for (const std::string& name : build.binList) {
    if (infoblock::KindOfBin(name) || name.starts_with(infoblock::kBootloaderPrefix)) {
      continue;
    }
    std::string hint;
    for (const infoblock::BinKind kind : infoblock::kBinKinds) {
      if (Lower(name).starts_with(Lower(infoblock::KindPrefix(kind)))) {
        hint = " (names are case-sensitive: " + std::string(infoblock::KindPrefix(kind)) + ")";
      }
    }
    warn.Add((build.binFolder / name).string(), 0, name,
             "no kind takes this bin, its name must begin with one of " + kinds + hint +
                 ": it is left out of the image");
  }
  for (const FolderEntry& entry : ListFolder(build.binFolder).value_or(std::vector<FolderEntry>{})) {
    if (!entry.isFolder && Lower(entry.name).find(".bin") != std::string::npos &&
        !IsBinFileName(entry.name)) {
      warn.Add((build.binFolder / entry.name).string(), 0, entry.name,
               "the bin folder lists only names that end in exactly \".bin\" once: this file is left out");
    }
  }
}

// A font's glyphs are G = H x (W div 8) bytes each; a size code S names S x S glyphs, or S/2 x S
// for half-width (ASCII) fonts.
void CheckFonts(const BuiltImage& image, Warnings& warn) {
  for (const PlacedBin& bin : image.bins) {
    if (bin.kind != infoblock::BinKind::Font) {
      continue;
    }
    const FontSlot slot = FontSlotOfName(bin.name);
    if (slot.sizeCode == 255) {
      warn.Add(
          bin.path.string(), 0, bin.name,
          "the name is too short for a slot and a size code (such as Font_C1_16.bin): slot 0, size code 255");
      continue;
    }
    // A String Bin font names its glyph size in its header: "CX9xFont", N, W', H'.
    std::array<char, 12> head{};
    std::ifstream in(bin.path, std::ios::binary);
    if (in.read(head.data(), head.size()) && std::string_view(head.data(), 8) == "CX9xFont") {
      const auto width = static_cast<unsigned char>(head[10]);
      const auto height = static_cast<unsigned char>(head[11]);
      if (height != slot.sizeCode) {
        warn.Add(bin.path.string(), 0, bin.name,
                 "its size code is " + std::to_string(slot.sizeCode) + ", but its glyphs are " +
                     std::to_string(width) + " x " + std::to_string(height) + ": the font table records " +
                     std::to_string(slot.sizeCode));
      }
      continue;
    }
    const std::uint64_t full = std::uint64_t{slot.sizeCode} * (slot.sizeCode / 8);
    const std::uint64_t half = std::uint64_t{slot.sizeCode} * (slot.sizeCode / 2 / 8);
    const bool fits = (full > 0 && bin.size % full == 0) || (half > 0 && bin.size % half == 0);
    if (!fits && bin.size > 0) {
      warn.Add(bin.path.string(), 0, bin.name,
               "its size code is " + std::to_string(slot.sizeCode) + ", but its " + std::to_string(bin.size) +
                   " bytes are no whole number of " + std::to_string(slot.sizeCode) + " x " +
                   std::to_string(slot.sizeCode) + " glyphs: the size code may not match the font");
    }
  }
}

void CheckPictureSizes(const MakeBinInput& build, const BuiltImage& image, Warnings& warn) {
  const auto block = image.block->Bytes();
  const std::uint32_t panelWidth = ReadBE16(block, 0x040A);
  const std::uint32_t panelHeight = ReadBE16(block, 0x040C);
  for (const PlacedBin& bin : image.bins) {
    if (bin.kind >= infoblock::BinKind::Font) {
      continue;
    }
    const fs::path list = build.binFolder / output::AddressListName(bin.name);
    std::vector<std::uint8_t> bytes;
    try {
      bytes = ReadFileBytesUpTo(list, kMaxTextFileBytes, "");
    } catch (const Error&) {
      continue;
    }
    std::size_t fileLine = 0;
    std::size_t start = 0;
    while (start < bytes.size()) {
      const std::size_t end = std::min<std::size_t>(
          bytes.size(), static_cast<std::size_t>(
                            std::find(bytes.begin() + static_cast<std::ptrdiff_t>(start), bytes.end(), '\n') -
                            bytes.begin()));
      ++fileLine;
      const auto cleaned = ReadAddressListLines(std::span(bytes).subspan(start, end - start));
      start = end + 1;
      if (cleaned.empty()) {
        continue;
      }
      std::optional<AddressRowValues> row;
      try {
        row = ParseAddressRow(cleaned.front());
      } catch (const Error&) {
        continue;
      }
      if (row && ((row->values[0] & 0xFFFF) > panelWidth || (row->values[1] & 0xFFFF) > panelHeight)) {
        warn.Add(list.string(), fileLine, bin.name,
                 "a picture of " + std::to_string(row->values[0]) + " x " + std::to_string(row->values[1]) +
                     " is larger than the panel of [INFO] (" + std::to_string(panelWidth) + " x " +
                     std::to_string(panelHeight) + ")");
      }
    }
  }
}

void CheckBootloader(const MakeBinInput& build, const BuiltImage& image, Warnings& warn) {
  const auto block = image.block->Bytes();
  const bootloader::DecodedBootloader decoded =
      bootloader::DecodeBootloader(block.first(bootloader::kBootloaderRegionSize));
  if (!decoded.parameters) {
    return;
  }
  const std::uint32_t panelWidth = ReadBE16(block, 0x040A);
  const std::uint32_t panelHeight = ReadBE16(block, 0x040C);
  const auto width = static_cast<std::uint32_t>(decoded.parameters->xsize);
  const auto height = static_cast<std::uint32_t>(decoded.parameters->ysize);
  if (width != panelWidth || height != panelHeight) {
    std::string name = "Bootloader";
    for (const std::string& bin : build.binList) {
      if (bin.starts_with(infoblock::kBootloaderPrefix)) {
        name = bin;
      }
    }
    warn.Add((build.binFolder / name).string(), 0, name,
             "the bootloader sets up a " + std::to_string(width) + " x " + std::to_string(height) +
                 " panel, [INFO] says " + std::to_string(panelWidth) + " x " + std::to_string(panelHeight));
  }
}

}  // namespace

void CheckBins(const MakeBinInput& build, const BuiltImage& image, Warnings& warn) {
  CheckNames(build, warn);
  CheckFonts(image, warn);
  CheckPictureSizes(build, image, warn);
  CheckBootloader(build, image, warn);
}

}  // namespace panelix::project::checks
