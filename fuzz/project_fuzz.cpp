// Project files as the project builder reads them: split into lines, order check, [INFO] section
// and the command compiler on one info block.
#include <cstddef>
#include <cstdint>
#include <span>

#include "base/error.h"
#include "commands/compiler.h"
#include "infoblock/info_block.h"
#include "project/info_section.h"
#include "project/project_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace panelix;
  const project::ProjectLines lines = project::SplitProjectText(std::span<const std::uint8_t>(data, size));
  infoblock::InfoBlock block;
  try {
    (void)commands::CheckCommandOrder(lines);
    (void)project::ParseInfoSection(lines, block, NoMessage);
  } catch (const ConversionError&) {
  }
  infoblock::SetTables sets;
  sets.number.count = 2;
  sets.gif.count = 3;
  sets.keyNum.count = 1;
  try {
    commands::CompileCommands(lines, block, sets);
  } catch (const Error&) {
  }
  return 0;
}
