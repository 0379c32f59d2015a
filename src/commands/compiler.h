#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "infoblock/info_block.h"
#include "infoblock/set_tables.h"

// The command compiler: Make Bin calls CheckCommandOrder and CompileCommands, which write the command
// index and the command records into the info block and read the set tables that the resource
// passes filled in the same run.
namespace panelix::commands {

// Outcome of the command order check.
struct OrderCheckResult {
  // False when Make Bin must stop: the lines of some code stand out of sequence-number order, or
  // a project of more than ten lines has no "[USERCMD]" line (then report stays empty).
  bool ok = true;
  // The order report, one item per line of the error window's memo ("Command 80h error:", the
  // lines as the command list holds them, "", "New command 80h:", the sorted lines with their
  // fillers, ""). Empty when ok.
  std::vector<std::string> report;
};

// Checks that the command lines of every code 0x80..0xFF after the first "[USERCMD]" line stand
// in ascending order of their sequence numbers. lines are the command list's lines as bytes in
// the system's 8-bit code page. A list of ten lines or fewer passes.
OrderCheckResult CheckCommandOrder(const std::vector<std::string>& lines);

// Compiles the command lines after the first "[USERCMD]" line into the command index
// (0x0200..0x03FF) and the command records (from 0x1800) of block; codes without records keep
// FF FF FF FF. sets are read by the encoders that name a picture set. A list of ten lines or
// fewer, or one without "[USERCMD]", leaves both regions untouched.
// Throws panelix::ConversionError for a parameter that is not a number, and panelix::Error with
// its own message when the records would pass block offset 0x6FFF or a group would start above
// 0xFFFF; in both cases Make Bin stops and writes nothing.
void CompileCommands(const std::vector<std::string>& lines, infoblock::InfoBlock& block,
                     const infoblock::SetTables& sets);

// A project needs more lines than this before its commands are compiled or checked.
inline constexpr std::size_t kMinProjectLines = 10;

// Position of the first line that contains "[USERCMD]", if any.
std::optional<std::size_t> FindUserCommandLine(const std::vector<std::string>& lines);

// The code whose command name begins the normalized line, if any (case-sensitive: "8ah" is none).
std::optional<int> CommandCodeOf(std::string_view normalized);

}  // namespace panelix::commands
