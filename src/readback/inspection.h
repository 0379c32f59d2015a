#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "bootloader/parameters.h"
#include "infoblock/info_block.h"
#include "infoblock/set_tables.h"

namespace panelix::inspect {

// A bin of the flash image as the inspector knows it: from the image's own tables (fonts, sounds,
// cursors) or from a bin folder laid out the way Make Bin lays it out.
struct KnownBin {
  std::string name;
  std::uint32_t address = 0;
  std::uint64_t size = 0;
};

struct PictureRow {
  int number = 0;
  infoblock::PictureEntry entry{};
  std::string bin;  // the bin the entry falls in, when known
};

struct FontRow {
  int slot = 0;
  infoblock::FontEntry entry{};
};

struct CommandLine {
  int code = 0;
  std::string text;  // a command line that compiles to the record(s) found
};

// What an info block (an info bin, or the head of a flash image) holds, read back.
struct Inspection {
  std::size_t blockSize = infoblock::kLargeBlockSize;
  std::uint64_t fileSize = 0;
  bool infoBinOnly = false;  // the file is the info block alone, no bins follow
  // A converter bin read through its address list: only the picture table (addresses are offsets
  // in the bin) and the problems mean anything.
  bool converterBin = false;
  infoblock::BuildTime buildTime{};
  // [INFO] keys in their order, each with its value as it would be written in the section.
  std::vector<std::pair<std::string, std::string>> info;
  // The bootloader block, when the region holds one; its parameters rebuild exactly these bytes
  // when bootloaderExact is true.
  bool bootloaderPresent = false;
  bool bootloaderExact = false;
  std::optional<bootloader::BootloaderParameters> bootloader;
  std::vector<std::uint8_t> bootloaderBytes;
  int pictureCount = 0;
  std::vector<PictureRow> pictures;
  std::vector<FontRow> fonts;
  std::vector<infoblock::SoundEntry> sounds;
  std::vector<infoblock::CursorEntry> cursors;
  // The set tables the commands were compiled with: taken from the bin folder when one is given,
  // else made up from the picture ranges the set-referencing records hold (numbered in order).
  infoblock::SetTables sets;
  bool setsFromBins = false;
  std::vector<CommandLine> commands;
  // Everything that is wrong with the block, one sentence each; empty when it is sound.
  std::vector<std::string> problems;
};

// Options of one inspection.
struct InspectOptions {
  // 0: decide from the file (its size and the lowest flash address in its tables).
  std::size_t blockSize = 0;
  // The bins of the image in image order, when known (from a bin folder); names the bin each
  // picture falls in.
  std::vector<KnownBin> bins;
  // The set tables of that folder's build, when known.
  std::optional<infoblock::SetTables> sets;
};

// Reads an info bin or a flash image back from its head (its first kLargeBlockSize bytes, or the
// whole file when it is shorter) and its size in bytes. Never throws for damaged data: what cannot
// be read is named in problems. Throws panelix::Error only for a file too short to hold an info
// block.
Inspection InspectImage(std::span<const std::uint8_t> head, std::uint64_t fileSize,
                        const InspectOptions& options = {});

// The block size of a file from its head: kSmallBlockSize when the file is shorter than the large
// block or when a flash address in its tables lies between the two block sizes, else
// kLargeBlockSize.
std::size_t DetectBlockSize(std::span<const std::uint8_t> head);

// Names every item (picture, font, sound, cursor) that lies inside the info block or past the end
// of the file, and every two items that share bytes, in inspection.problems.
void CheckPlacement(Inspection& inspection);

// The build time as ISO 8601 text, "2024-05-06T07:08:09".
std::string BuildTimeText(const infoblock::BuildTime& time);

}  // namespace panelix::inspect
