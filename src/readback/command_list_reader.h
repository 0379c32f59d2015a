#pragma once

#include <span>
#include <string>
#include <vector>

#include "infoblock/set_tables.h"
#include "readback/inspection.h"

namespace panelix::inspect {

struct CommandListRead {
  std::vector<CommandLine> lines;  // in code order, each code's records in region order
  std::vector<std::string> problems;
};

// Reads the command index and the command records of a block (its first blockSize bytes) back into
// command lines, one per record, that the compiler turns into the same bytes. Records are split
// with the layouts of the encoder table. A record that names a picture set is written with the
// number of the set in sets that holds its picture range; when no set holds it and
// fixedSets is false, the set is added to sets.
CommandListRead ReadCommandList(std::span<const std::uint8_t> block, infoblock::SetTables& sets,
                                bool fixedSets);

// Compiles lines with sets into a fresh block of the same size and names the first byte of the
// command index or the command region that differs from block; empty when they are the same.
std::string CompareRecompiled(std::span<const std::uint8_t> block, const std::vector<CommandLine>& lines,
                              const infoblock::SetTables& sets);

}  // namespace panelix::inspect
