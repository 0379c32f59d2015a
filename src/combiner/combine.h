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
// upper-case hexadecimal digits.
std::string CombineRow(const CombineSlot& slot);

// Number of 0xFF bytes written before a slot: its start address less the end of the previous slot
// (previous start + previous length), or 0 when that is not positive.
std::int64_t GapBefore(const CombineSlot& previous, const CombineSlot& slot);

// Size of a file the user chose for a slot. The file is opened read-only. Throws panelix::Error
// "The file might not be accessibl." when it cannot be opened (a missing file too) or is a folder.
std::int64_t ChosenFileSize(const std::filesystem::path& path);

// Receives each address row as its slot is begun.
using RowFn = std::function<void(const std::string& row)>;

struct CombineResult {
  RunOutcome outcome = RunOutcome::Stopped;
  std::string outputName;         // the output bin written ("" unless Succeeded)
  std::vector<std::string> rows;  // the address rows, one per slot
  bool addressListWritten = false;
};

// "File Combine" once the save dialog has been answered. The output is named from chosenName
// (".bin" appended when lacking) and holds slot 1's bytes at offset 0, then for each further slot
// its gap of 0xFF bytes and exactly its length in bytes from its file: a file shorter than its
// length when it is opened is padded with 0x00, a longer one cut.
// Files are opened read-only and copied inside the kernel where possible, gaps written from one
// small block, so memory stays small whatever their sizes. The address rows go to row as each slot
// begins. The output and its address list are written to temporary files and put in place
// together when both are complete; until then, and whenever the combine does not succeed, the old
// output and list stay exactly as they were.
//
// Throws panelix::Error, before anything is written:
//   "Error file's name"       - chosenName is empty.
//   "The file B cannot start at 0x..., inside or before the file A, which ends at 0x...."
//                             - a slot starts before the end of the slot ahead of it.
//   "The output ... would overwrite the input ...." - the output or its list is one of the files.
// and while writing (the old output and list then stay):
//   "Can't open " + name      - the output cannot be created.
//   "Can't open " + path      - a slot's file cannot be opened or read, vanishes, or shrinks
//                               while it is copied.
//   "Can't write " + name     - writing or putting in place the output failed.
// When the address list cannot be written, "The file might not be accessibl." goes to message and
// the outcome is Failed. progress gets bytes done and total; returning false stops the combine
// (outcome Stopped).
CombineResult CombineFiles(std::span<const CombineSlot> slots, std::string_view chosenName, const RowFn& row,
                           const MessageFn& message, const ProgressFn& progress = NoProgress);

}  // namespace panelix::combiner
