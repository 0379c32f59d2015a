#include <algorithm>
#include <cstdio>

#include "base/bytes.h"
#include "base/error.h"
#include "base/numbers.h"
#include "bootloader/block_decode.h"
#include "project/info_section.h"
#include "readback/command_list_reader.h"
#include "readback/inspection.h"

namespace panelix::inspect {

namespace {

using Bytes = std::span<const std::uint8_t>;
using infoblock::kPictureEntrySize;

// Problems of one kind are named up to this many times; the rest are counted.
constexpr std::size_t kMaxProblemsOfAKind = 20;

std::string Hex8(std::uint64_t value) {
  return "0x" + HexUpper(static_cast<std::uint32_t>(value), 8);
}

bool AllFF(Bytes bytes) {
  return std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b == 0xFF; });
}

// Collects problems, naming at most kMaxProblemsOfAKind of each kind.
class Problems {
 public:
  explicit Problems(std::vector<std::string>& out) : m_out(out) {}
  ~Problems() { Flush(); }
  Problems(const Problems&) = delete;
  Problems& operator=(const Problems&) = delete;

  void Add(const std::string& kind, std::string text) {
    if (kind != m_kind) {
      Flush();
      m_kind = kind;
    }
    if (++m_count <= kMaxProblemsOfAKind) {
      m_out.push_back(std::move(text));
    }
  }
  void Flush() {
    if (m_count > kMaxProblemsOfAKind) {
      m_out.push_back("... and " + std::to_string(m_count - kMaxProblemsOfAKind) + " more " + m_kind +
                      " problems");
    }
    m_count = 0;
  }

 private:
  std::vector<std::string>& m_out;
  std::string m_kind;
  std::size_t m_count = 0;
};

// The value text of an [INFO] key, as it would be written in the section.
std::string InfoValueText(const project::InfoKey& key, std::uint32_t value) {
  using project::InfoNumberMap;
  using project::InfoValueKind;
  switch (key.kind) {
    case InfoValueKind::Version:
      return HexUpper(value, 2);
    case InfoValueKind::Keyword:
      return value < key.words.size() ? key.words[value] : std::to_string(value);
    case InfoValueKind::Flag:
      return value == 0 ? "False" : value == 1 ? "True" : std::to_string(value);
    case InfoValueKind::Number:
      break;
  }
  static constexpr std::uint32_t kMcuBits[] = {8, 16, 32};
  static constexpr std::uint32_t kColorDepths[] = {8, 16, 24};
  if (key.map == InfoNumberMap::McuBit && value < 3) {
    return std::to_string(kMcuBits[value]);
  }
  if (key.map == InfoNumberMap::ColorDepth && value < 3) {
    return std::to_string(kColorDepths[value]);
  }
  return std::to_string(value);
}

void ReadInfo(Bytes block, Inspection& out) {
  for (const project::InfoKey& key : project::InfoKeys()) {
    const std::uint32_t value = key.width == 1   ? block[key.offset]
                                : key.width == 2 ? ReadBE16(block, key.offset)
                                                 : ReadBE24(block, key.offset);
    out.info.emplace_back(key.key, InfoValueText(key, value));
  }
  const std::size_t at = infoblock::kBuildTimeRegion.offset;
  out.buildTime = {block[at + 2] * 100 + block[at + 3],
                   block[at],
                   block[at + 1],
                   block[at + 4],
                   block[at + 5],
                   block[at + 6]};
}

// An item of the image: a picture entry or a whole bin of the font, sound or cursor table.
struct Item {
  std::string name;
  std::uint64_t address;
  std::uint64_t length;
};

void ReadPictures(Bytes block, Inspection& out, Problems& problems) {
  const std::uint32_t count = ReadBE16(block, infoblock::kPictureCountRegion.offset);
  int readable = static_cast<int>(std::min<std::uint32_t>(count, infoblock::kMaxPictures));
  if (count > static_cast<std::uint32_t>(infoblock::kMaxPictures)) {
    problems.Add("count", "the picture count " + std::to_string(count) +
                              " is larger than the picture table (" +
                              std::to_string(infoblock::kMaxPictures) + " entries)");
  }
  out.pictureCount = static_cast<int>(count);
  if (block.size() < infoblock::kPictureTableHighRegion.offset && readable > infoblock::kPicturesInLowTable) {
    problems.Add("count", "pictures " + std::to_string(infoblock::kPicturesInLowTable) + " to " +
                              std::to_string(readable - 1) + " lie outside the " +
                              std::to_string(block.size() / 1024) + "K info block");
    readable = infoblock::kPicturesInLowTable;
  }
  out.pictures.reserve(static_cast<std::size_t>(readable));
  for (int n = 0; n < readable; ++n) {
    const std::size_t at = infoblock::PictureEntryOffset(n);
    const Bytes entry = block.subspan(at, kPictureEntrySize);
    if (AllFF(entry)) {
      problems.Add("count", "picture entry " + std::to_string(n) + " is empty, but the picture count is " +
                                std::to_string(count));
    }
    out.pictures.push_back(
        {n, {ReadBE16(entry, 0), ReadBE16(entry, 2), ReadBE32(entry, 4), ReadBE32(entry, 8)}, {}});
  }
  if (readable < infoblock::kMaxPictures && static_cast<std::uint32_t>(readable) == count) {
    const std::size_t at = infoblock::PictureEntryOffset(readable);
    if (at + kPictureEntrySize <= block.size() && !AllFF(block.subspan(at, kPictureEntrySize))) {
      problems.Add("count", "picture entry " + std::to_string(readable) +
                                " is filled, but the picture count is " + std::to_string(count));
    }
  }
}

void ReadFonts(Bytes block, Inspection& out) {
  for (int slot = 0; slot < infoblock::kFontSlots; ++slot) {
    const Bytes entry = block.subspan(
        infoblock::kFontTableRegion.offset + infoblock::kFontSlotSize * static_cast<std::size_t>(slot),
        infoblock::kFontSlotSize);
    if (!AllFF(entry)) {
      out.fonts.push_back({slot, {entry[0], ReadBE32(entry, 1), ReadBE32(entry, 5)}});
    }
  }
}

// Sound and cursor entries stand one after another from the table's start; the first empty one
// ends the table and everything after it stays 0xFF.
template <typename Read>
void ReadRun(Bytes block, const infoblock::Region& region, std::size_t entrySize, int capacity,
             const std::string& what, Problems& problems, Read read) {
  bool ended = false;
  for (int i = 0; i < capacity; ++i) {
    const Bytes entry = block.subspan(region.offset + entrySize * static_cast<std::size_t>(i), entrySize);
    if (AllFF(entry)) {
      ended = true;
    } else if (ended) {
      problems.Add("count", what + " entry " + std::to_string(i) + " follows an empty entry");
    } else {
      read(i, entry);
    }
  }
}

void ReadSoundsAndCursors(Bytes block, Inspection& out, Problems& problems) {
  ReadRun(block, infoblock::kSoundTableRegion, infoblock::kSoundEntrySize, infoblock::kMaxSounds, "sound",
          problems, [&](int i, Bytes entry) {
            if (entry[0] != i) {
              problems.Add("count", "sound entry " + std::to_string(i) + " holds the number " +
                                        std::to_string(entry[0]));
            }
            out.sounds.push_back({entry[0], ReadBE32(entry, 1), ReadBE32(entry, 5)});
          });
  ReadRun(block, infoblock::kCursorTableRegion, infoblock::kCursorEntrySize, infoblock::kMaxCursors, "cursor",
          problems, [&](int, Bytes entry) {
            out.cursors.push_back({ReadBE32(entry, 0), ReadBE32(entry, 4)});
          });
}

std::vector<Item> Items(const Inspection& in) {
  std::vector<Item> items;
  items.reserve(in.pictures.size() + in.fonts.size() + in.sounds.size() + in.cursors.size());
  for (const PictureRow& p : in.pictures) {
    items.push_back({"picture " + std::to_string(p.number), p.entry.address, p.entry.length});
  }
  for (const FontRow& f : in.fonts) {
    items.push_back({"font slot " + std::to_string(f.slot), f.entry.address, f.entry.length});
  }
  for (std::size_t i = 0; i < in.sounds.size(); ++i) {
    items.push_back({"sound " + std::to_string(i), in.sounds[i].address, in.sounds[i].length});
  }
  for (std::size_t i = 0; i < in.cursors.size(); ++i) {
    items.push_back({"cursor " + std::to_string(i), in.cursors[i].address, in.cursors[i].length});
  }
  return items;
}

// Every item lies after the block and inside the image, and no two items share a byte.
void CheckItems(const Inspection& in, Problems& problems) {
  std::vector<Item> items = Items(in);
  for (const Item& item : items) {
    if (item.address < in.blockSize) {
      problems.Add("place", item.name + " at " + Hex8(item.address) + " lies inside the info block");
    } else if (!in.infoBinOnly && item.address + item.length > in.fileSize) {
      problems.Add("place", item.name + " (" + Hex8(item.address) + ", " + Hex8(item.length) +
                                " bytes) runs past the end of the image at " + Hex8(in.fileSize));
    }
  }
  std::erase_if(items, [](const Item& item) { return item.length == 0; });
  std::stable_sort(items.begin(), items.end(),
                   [](const Item& a, const Item& b) { return a.address < b.address; });
  for (std::size_t i = 1; i < items.size(); ++i) {
    const Item& before = items[i - 1];
    if (before.address + before.length > items[i].address) {
      problems.Add("overlap", before.name + " (" + Hex8(before.address) + ", " + Hex8(before.length) +
                                  " bytes) overlaps " + items[i].name + " at " + Hex8(items[i].address));
    }
  }
}

void NameBins(const InspectOptions& options, Inspection& out) {
  if (options.bins.empty()) {
    return;
  }
  for (PictureRow& row : out.pictures) {
    const auto bin = std::upper_bound(options.bins.begin(), options.bins.end(), row.entry.address,
                                      [](std::uint64_t a, const KnownBin& b) { return a < b.address; });
    if (bin != options.bins.begin() && row.entry.address < (bin - 1)->address + (bin - 1)->size) {
      row.bin = (bin - 1)->name;
    }
  }
}

void ReadCommands(Bytes block, const InspectOptions& options, Inspection& out, Problems& problems) {
  if (options.sets) {
    out.sets = *options.sets;
    out.setsFromBins = true;
  }
  CommandListRead decompiled = ReadCommandList(block, out.sets, out.setsFromBins);
  for (std::string& problem : decompiled.problems) {
    problems.Add("command", std::move(problem));
  }
  out.commands = std::move(decompiled.lines);
  if (decompiled.problems.empty()) {
    if (std::string difference = CompareRecompiled(block, out.commands, out.sets); !difference.empty()) {
      problems.Add("command", std::move(difference));
    }
  }
}

}  // namespace

std::size_t DetectBlockSize(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < infoblock::kSmallBlockSize) {
    return infoblock::kSmallBlockSize;
  }
  if (bytes.size() < infoblock::kLargeBlockSize) {
    return infoblock::kSmallBlockSize;
  }
  // Every flash address counts from the image's start, and the first bin follows the block: an
  // address between the two block sizes can only come from the short block.
  const auto small = [](std::uint32_t address) {
    return address >= infoblock::kSmallBlockSize && address < infoblock::kLargeBlockSize;
  };
  const std::uint32_t count = ReadBE16(bytes, infoblock::kPictureCountRegion.offset);
  if (count > 0 && count <= static_cast<std::uint32_t>(infoblock::kPicturesInLowTable) &&
      small(ReadBE32(bytes, infoblock::PictureEntryOffset(0) + 4))) {
    return infoblock::kSmallBlockSize;
  }
  for (int slot = 0; slot < infoblock::kFontSlots; ++slot) {
    const std::size_t at =
        infoblock::kFontTableRegion.offset + infoblock::kFontSlotSize * static_cast<std::size_t>(slot);
    if (!AllFF(bytes.subspan(at, infoblock::kFontSlotSize)) && small(ReadBE32(bytes, at + 1))) {
      return infoblock::kSmallBlockSize;
    }
  }
  const std::size_t sound = infoblock::kSoundTableRegion.offset;
  const std::size_t cursor = infoblock::kCursorTableRegion.offset;
  if ((!AllFF(bytes.subspan(sound, infoblock::kSoundEntrySize)) && small(ReadBE32(bytes, sound + 1))) ||
      (!AllFF(bytes.subspan(cursor, infoblock::kCursorEntrySize)) && small(ReadBE32(bytes, cursor)))) {
    return infoblock::kSmallBlockSize;
  }
  return infoblock::kLargeBlockSize;
}

void CheckPlacement(Inspection& inspection) {
  Problems problems(inspection.problems);
  CheckItems(inspection, problems);
}

std::string BuildTimeText(const infoblock::BuildTime& time) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", time.year, time.month, time.day,
                time.hour, time.minute, time.second);
  return text;
}

Inspection InspectImage(std::span<const std::uint8_t> head, std::uint64_t fileSize,
                        const InspectOptions& options) {
  if (head.size() < infoblock::kSmallBlockSize || fileSize < head.size()) {
    throw Error("The file is too short for an info block (" + std::to_string(fileSize) + " bytes, at least " +
                std::to_string(infoblock::kSmallBlockSize) + ")");
  }
  Inspection out;
  out.blockSize = options.blockSize != 0 ? options.blockSize : DetectBlockSize(head);
  if (head.size() < out.blockSize) {
    throw Error("The file is shorter than its " + std::to_string(out.blockSize / 1024) + "K info block");
  }
  out.fileSize = fileSize;
  out.infoBinOnly = fileSize == out.blockSize;
  const Bytes block = head.first(out.blockSize);
  {
    Problems problems(out.problems);
    ReadInfo(block, out);
    bootloader::DecodedBootloader decoded =
        bootloader::DecodeBootloader(block.first(infoblock::kBootloaderRegion.size));
    out.bootloaderPresent = decoded.present;
    out.bootloaderExact = decoded.exact;
    out.bootloader = decoded.parameters;
    out.bootloaderBytes = std::move(decoded.bytes);
    for (std::string& problem : decoded.problems) {
      problems.Add("bootloader", std::move(problem));
    }
    ReadPictures(block, out, problems);
    ReadFonts(block, out);
    ReadSoundsAndCursors(block, out, problems);
    CheckItems(out, problems);
    NameBins(options, out);
    ReadCommands(block, options, out, problems);
  }
  return out;
}

}  // namespace panelix::inspect
