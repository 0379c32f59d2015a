#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/progress.h"

namespace panelix::combiner {

// The combiner joins at most this many files.
inline constexpr int kSlotCount = 6;

// One file of a combine: its path, the offset wanted for it in the output and the number of bytes
// to take from it (its size when it was chosen).
struct CombineSlot {
  std::string path;
  std::int32_t start = 0;
  std::int32_t length = 0;
};

// The address row of a slot: "{0x" START ", 0x" LENGTH "}, //" PATH, both numbers as eight
// upper-case hexadecimal digits. START is the address asked for, also when an overlap placed the
// file elsewhere.
std::string CombineRow(const CombineSlot& slot);

// Number of 0xFF bytes written before a slot: its start address less the end the previous slot
// asked for (previous start + previous length), or 0 when that is not positive. An overlapping
// file thus simply follows the previous one.
std::int64_t GapBefore(const CombineSlot& previous, const CombineSlot& slot);

// Size of a file the user chose for a slot. The file is opened for reading; a missing one is
// created empty, as the module tools always did. Throws panelix::Error "The file might not be
// accessibl." when it cannot be opened or is a folder.
std::int64_t ChosenFileSize(const std::filesystem::path& path);

// Receives each address row as its slot is begun.
using RowFn = std::function<void(const std::string& row)>;

struct CombineResult {
  std::string outputName;         // the output bin written
  std::vector<std::string> rows;  // the address rows, one per slot
  bool addressListWritten = false;
};

// "File Combine" once the save dialog has been answered. The output is named from chosenName
// (".bin" appended when lacking) and holds slot 1's bytes at offset 0, then for each further slot
// its gap of 0xFF bytes and exactly its length in bytes from its file: a shorter file is padded
// with 0x00, a longer one cut. Files are copied inside the kernel where possible and gaps written
// from one small block, so memory stays small whatever their sizes. The output replaces any file of that name
// whole. The address rows go to row as each slot begins; afterwards the address list beside the output
// receives them.
//
// Throws panelix::Error:
//   "Error file's name"       - chosenName is empty; nothing is written.
//   "Can't open " + name      - the output cannot be created; nothing is written.
//   "Can't open " + path      - a slot's file cannot be opened; the output then holds the earlier
//                               slots' bytes and no address list is written.
//   "Can't write " + name     - writing the output, or reading a slot's file, failed part-way; the
//                               old output is left as it was.
// When the address list cannot be written, "The file might not be accessibl." goes to message
// and the result says so. progress gets bytes done and total; returning false stops the combine
// and leaves everything as it was (the result then has an empty outputName).
CombineResult CombineFiles(std::span<const CombineSlot> slots, std::string_view chosenName, const RowFn& row,
                           const MessageFn& message, const ProgressFn& progress = NoProgress);

}  // namespace panelix::combiner
