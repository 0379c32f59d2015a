#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "base/progress.h"
#include "infoblock/bin_kinds.h"
#include "infoblock/info_block.h"
#include "infoblock/set_tables.h"
#include "project/messages.h"

namespace panelix::project {

// A bin of the flash image: its name in the bin list, its path, its kind, its flash address (its
// offset in the image) and its size in bytes.
struct PlacedBin {
  std::string name;
  std::filesystem::path path;
  infoblock::BinKind kind;
  std::uint32_t address;
  std::uint64_t size;
};

// Messages of the passes. Those that stop Make Bin are thrown as panelix::Error; the others go to
// the message sink and the build goes on.
inline constexpr const char* kTooManyBootloaders = "There are too much bootloader files!";
inline constexpr const char* kBootloaderTooLarge = "The bootloader files is too large!";
inline constexpr const char* kTooManyPictures = "There are too many pictures! The picture table holds 8874.";
inline constexpr const char* kTooManySounds = "There are too many Wav bins! The sound table holds 14.";
inline constexpr const char* kTooManyCursors = "There are too many Cursor bins! The cursor table holds 16.";
inline constexpr const char* kImageTooLarge = "The flash image is larger than 4 GB!";

// The passes of one Make Bin over the bin list. They fill the block's tables and the set tables,
// keep the running flash address, and collect the report rows and the bins of the image in image
// order. Run them in the order of the kind table, after CopyBootloader.
class ResourcePasses {
 public:
  ResourcePasses(std::filesystem::path binFolder, const std::vector<std::string>& binList,
                 infoblock::InfoBlock& block, MessageFn message);

  // Copies the only "Bootloader" bin into 0x0000..0x01FF. Two or more such bins, a bin over 512
  // bytes or one that cannot be read leave the region at 0xFF with a message; none is quiet.
  void CopyBootloader();

  // The pass of one kind. Picture-like kinds read each bin's address list and throw panelix::Error
  // "Open <path> fail!" when it is missing or empty, ConversionError for a bad decimal value and
  // kTooManyPictures when the picture table is full. Every kind throws "Can't open <path>" for a
  // bin whose size cannot be read, kTooManySounds / kTooManyCursors when those tables are full
  // and kImageTooLarge when flash addresses would pass 32 bits. A set kind whose set count passes
  // its limit shows its message once; its later bins get no entries but still take their place in
  // the image, so every flash address stays equal to the bin's offset in the image.
  void Run(infoblock::BinKind kind);

  int PictureCount() const { return m_pictureCount; }
  const infoblock::SetTables& Sets() const { return m_sets; }
  // The report rows, each ended by CR LF (UTF-8; the report file holds them in the 8-bit code page).
  const std::string& Report() const { return m_report; }
  const std::vector<PlacedBin>& Placed() const { return m_placed; }
  // The files read besides the bins of the image: the bootloader and the address lists.
  const std::vector<std::filesystem::path>& Read() const { return m_read; }

 private:
  std::filesystem::path PathOf(const std::string& name) const;
  std::uint64_t SizeOf(const std::string& name) const;
  void Place(const std::string& name, infoblock::BinKind kind, std::uint64_t size);
  void RunPictureLike(infoblock::BinKind kind);
  void ReadRows(infoblock::BinKind kind, const std::string& name, std::uint64_t binSize, int setIndex);
  // Throws panelix::Error naming the list and the bin when the list has no valid row or its rows'
  // lengths do not add up to the bin's size.
  void CheckRowsFillTheBin(const std::vector<std::string>& lines, const std::filesystem::path& listPath,
                           const std::string& name, std::uint64_t binSize) const;
  void RunFont();
  void RunSound();
  void RunCursor();
  std::uint32_t Running() const { return static_cast<std::uint32_t>(m_running); }

  std::filesystem::path m_binFolder;
  const std::vector<std::string>& m_binList;
  infoblock::InfoBlock& m_block;
  MessageFn m_message;
  infoblock::SetTables m_sets;
  std::uint64_t m_running = 0;
  int m_pictureCount = 0;
  std::string m_report;
  std::vector<PlacedBin> m_placed;
  std::vector<std::filesystem::path> m_read;
};

// Slot (0..7) and size code of a font bin, from its file name: names of fewer than 11 characters
// give slot 0 and code 255; otherwise characters 8 and 9 are the decimal size code and characters
// 5 and 6 choose the slot ("C1".."C3" slots 1..3, other "C" 0, "D1".."D3" 5..7, other "D" 4).
struct FontSlot {
  int slot;
  std::uint8_t sizeCode;
};
FontSlot FontSlotOfName(const std::string& name);

}  // namespace panelix::project
