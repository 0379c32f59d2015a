#include "infoblock/info_block.h"

#include <stdexcept>

namespace panelix::infoblock {

std::size_t PictureEntryOffset(int n) {
  if (n < 0 || n >= kMaxPictures) {
    throw std::out_of_range("picture entry " + std::to_string(n) + " lies outside the picture table");
  }
  if (n < kPicturesInLowTable) {
    return kPictureTableLowRegion.offset + kPictureEntrySize * static_cast<std::size_t>(n);
  }
  return kPictureTableHighRegion.offset +
         kPictureEntrySize * static_cast<std::size_t>(n - kPicturesInLowTable);
}

InfoBlock::InfoBlock(std::size_t size) : m_size(size) {
  if (size != kLargeBlockSize && size != kSmallBlockSize) {
    throw std::invalid_argument("info block size must be 0x20000 or 0x3000");
  }
  m_bytes.fill(0xFF);
}

RegionWriter InfoBlock::Writer(const Region& region) {
  return RegionWriter(std::span<std::uint8_t>(m_bytes).subspan(region.offset, region.size), region.name);
}

void InfoBlock::PutPicture(int n, const PictureEntry& entry) {
  const std::size_t offset = PictureEntryOffset(n);
  const Region& region = n < kPicturesInLowTable ? kPictureTableLowRegion : kPictureTableHighRegion;
  RegionWriter table = Writer(region);
  const std::size_t at = offset - region.offset;
  table.PutBE16(at, entry.width);
  table.PutBE16(at + 2, entry.height);
  table.PutBE32(at + 4, entry.address);
  table.PutBE32(at + 8, entry.length);
}

void InfoBlock::PutPictureCount(int count) {
  Writer(kPictureCountRegion).PutBE16(0, static_cast<std::uint32_t>(count));
}

void InfoBlock::PutFont(int slot, const FontEntry& entry) {
  if (slot < 0 || slot >= kFontSlots) {
    throw std::out_of_range("font slot " + std::to_string(slot) + " lies outside the font table");
  }
  RegionWriter table = Writer(kFontTableRegion);
  const std::size_t at = kFontSlotSize * static_cast<std::size_t>(slot);
  table.PutU8(at, entry.sizeCode);
  table.PutBE32(at + 1, entry.address);
  table.PutBE32(at + 5, entry.length);
}

void InfoBlock::PutSound(int index, const SoundEntry& entry) {
  if (index < 0 || index >= kMaxSounds) {
    throw std::out_of_range("sound entry " + std::to_string(index) + " lies outside the sound table");
  }
  RegionWriter table = Writer(kSoundTableRegion);
  const std::size_t at = kSoundEntrySize * static_cast<std::size_t>(index);
  table.PutU8(at, entry.number);
  table.PutBE32(at + 1, entry.address);
  table.PutBE32(at + 5, entry.length);
}

void InfoBlock::PutCursor(int index, const CursorEntry& entry) {
  if (index < 0 || index >= kMaxCursors) {
    throw std::out_of_range("cursor entry " + std::to_string(index) + " lies outside the cursor table");
  }
  RegionWriter table = Writer(kCursorTableRegion);
  const std::size_t at = kCursorEntrySize * static_cast<std::size_t>(index);
  table.PutBE32(at, entry.address);
  table.PutBE32(at + 4, entry.length);
}

void InfoBlock::PutBuildTime(const BuildTime& time) {
  RegionWriter field = Writer(kBuildTimeRegion);
  const auto byte = [](int v) { return static_cast<std::uint32_t>(v); };
  field.PutU8(0, byte(time.month));
  field.PutU8(1, byte(time.day));
  field.PutU8(2, byte(time.year / 100));
  field.PutU8(3, byte(time.year % 100));
  field.PutU8(4, byte(time.hour));
  field.PutU8(5, byte(time.minute));
  field.PutU8(6, byte(time.second));
}

}  // namespace panelix::infoblock
