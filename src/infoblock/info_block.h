#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "base/bytes.h"

namespace panelix::infoblock {

// The info block heads the module's flash image and tells its firmware where everything is. It is
// always held at its full capacity; only its first Size() bytes (the block size S) are written
// out. Every multi-byte number in it is big-endian unless a field says otherwise.
inline constexpr std::size_t kBlockCapacity = 0x20000;
// The two block sizes: the 128K info bin (the window's hidden, always ticked option) and the
// short block of older modules, which ends inside the command records.
inline constexpr std::size_t kLargeBlockSize = 0x20000;
inline constexpr std::size_t kSmallBlockSize = 0x3000;

// A fixed region of the block: offset from the block start, length in bytes, and the name that a
// failed write reports.
struct Region {
  std::size_t offset;
  std::size_t size;
  const char* name;
};

inline constexpr Region kBootloaderRegion{0x0000, 0x200, "bootloader parameter block"};
inline constexpr Region kCommandIndexRegion{0x0200, 0x200, "command index"};
inline constexpr Region kSettingsRegion{0x0400, 0x23, "module settings"};
inline constexpr Region kBuildTimeRegion{0x0423, 0x07, "build time"};
inline constexpr Region kPictureCountRegion{0x0600, 0x02, "picture count"};
inline constexpr Region kPictureTableLowRegion{0x0602, 0xFFC, "picture table"};
inline constexpr Region kFontTableRegion{0x1600, 0x48, "font table"};
inline constexpr Region kSoundTableRegion{0x1700, 0x80, "sound table"};
inline constexpr Region kCursorTableRegion{0x1780, 0x80, "cursor table"};
inline constexpr Region kCommandRegion{0x1800, 0x5800, "command records"};
inline constexpr Region kPictureTableHighRegion{0x7000, 0x19000, "picture table (second part)"};

// Picture table: entries 0..340 from 0x0602, entries 341 on from 0x7000, 12 bytes each.
inline constexpr std::size_t kPictureEntrySize = 12;
inline constexpr int kPicturesInLowTable = 341;
inline constexpr int kPicturesInHighTable = 8533;
inline constexpr int kMaxPictures = kPicturesInLowTable + kPicturesInHighTable;
// Font table: 8 slots of 9 bytes; sound table: 14 entries of 9 bytes; cursor table: 16 of 8.
inline constexpr std::size_t kFontSlotSize = 9;
inline constexpr int kFontSlots = 8;
inline constexpr std::size_t kSoundEntrySize = 9;
inline constexpr int kMaxSounds = 14;
inline constexpr std::size_t kCursorEntrySize = 8;
inline constexpr int kMaxCursors = 16;
// Command records end before this offset; a command group must start below 0x10000.
inline constexpr std::size_t kCommandRegionEnd = 0x7000;
inline constexpr std::size_t kMaxCommandStart = 0xFFFF;

// Block offset of picture table entry n (0 <= n < kMaxPictures).
std::size_t PictureEntryOffset(int n);

// One row of an address list made absolute: width and height in pixels (low 16 bits kept), the
// item's flash address and its length in bytes.
struct PictureEntry {
  std::uint32_t width;
  std::uint32_t height;
  std::uint32_t address;
  std::uint32_t length;
};

// A font bin in its slot: the size code from its name (255 when the name is too short), its
// flash address and its length.
struct FontEntry {
  std::uint8_t sizeCode;
  std::uint32_t address;
  std::uint32_t length;
};

// A sound bin: its number (0, 1, ... in bin list order), flash address and length.
struct SoundEntry {
  std::uint8_t number;
  std::uint32_t address;
  std::uint32_t length;
};

// A cursor bin: flash address and length.
struct CursorEntry {
  std::uint32_t address;
  std::uint32_t length;
};

// Local time of a build, each field the plain number (not BCD).
struct BuildTime {
  int year;    // e.g. 2024
  int month;   // 1..12
  int day;     // 1..31
  int hour;    // 0..23
  int minute;  // 0..59
  int second;  // 0..59
};

class InfoBlock {
 public:
  // A block of size S (kLargeBlockSize or kSmallBlockSize), its first S bytes 0xFF. The rest of
  // the capacity is 0xFF too, so what lies beyond S never shows unwritten memory.
  explicit InfoBlock(std::size_t size = kLargeBlockSize);

  // The block size S: how many bytes are written out.
  std::size_t Size() const { return m_size; }
  // The first S bytes, as written to the info bin and to the head of the flash image.
  std::span<const std::uint8_t> Written() const { return {m_bytes.data(), m_size}; }
  // The whole capacity.
  std::span<const std::uint8_t> Bytes() const { return m_bytes; }

  // A checked writer over one region: a write that would pass the region's end throws
  // std::out_of_range instead of touching the neighbouring region.
  RegionWriter Writer(const Region& region);

  // Table entries in their big-endian layouts. Each throws std::out_of_range when the entry lies
  // outside its table (picture n >= kMaxPictures, slot >= 8, sound >= 14, cursor >= 16).
  void PutPicture(int n, const PictureEntry& entry);
  void PutPictureCount(int count);
  void PutFont(int slot, const FontEntry& entry);
  void PutSound(int index, const SoundEntry& entry);
  void PutCursor(int index, const CursorEntry& entry);
  // Month, day, year / 100, year % 100, hour, minute, second at 0x0423..0x0429.
  void PutBuildTime(const BuildTime& time);

 private:
  std::array<std::uint8_t, kBlockCapacity> m_bytes;
  std::size_t m_size;
};

}  // namespace panelix::infoblock
