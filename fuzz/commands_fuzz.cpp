// Arbitrary bytes as the command list of a project: the order check and the compiler must either
// succeed or stop with the product's own message, and must never write outside the command index
// and the command region of the info block.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "base/error.h"
#include "commands/compiler.h"

namespace {

using namespace panelix;

std::vector<std::string> LinesOf(const std::uint8_t* data, std::size_t size, bool withHeader) {
  std::vector<std::string> lines;
  if (withHeader) {
    lines = {" ", "[INFO]", "a", "b", "c", "d", "e", "f", "g", " ", "[USERCMD]"};
  }
  std::string line;
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == '\n') {
      lines.push_back(std::move(line));
      line.clear();
    } else {
      line.push_back(static_cast<char>(data[i]));
    }
  }
  lines.push_back(std::move(line));
  return lines;
}

infoblock::SetTables SomeSets(std::uint8_t seed) {
  infoblock::SetTables sets;
  sets.gif.count = seed % 33;
  sets.number.count = seed % 17;
  sets.colorNum.count = (seed / 2) % 17;
  sets.keyNum.count = (seed / 4) % 17;
  for (int n = 0; n < 32; ++n) {
    sets.gif.sets[static_cast<std::size_t>(n)] = {300 + 10 * n, 70000 + 10 * n};
  }
  for (int n = 0; n < 16; ++n) {
    sets.number.sets[static_cast<std::size_t>(n)] = {n * 12, n * 12 + 11};
    sets.colorNum.sets[static_cast<std::size_t>(n)] = {-n, 1 << n};
    sets.keyNum.sets[static_cast<std::size_t>(n)] = {200 + n, 0x12345 + n};
  }
  return sets;
}

// True when the block still holds 0xFF everywhere outside the command index and the command
// region.
bool OnlyCommandAreasWritten(const infoblock::InfoBlock& block) {
  static const std::vector<std::uint8_t> kErased(infoblock::kBlockCapacity, 0xFF);
  const auto bytes = block.Bytes();
  const auto untouched = [&](std::size_t from, std::size_t to) {
    return std::memcmp(bytes.data() + from, kErased.data(), to - from) == 0;
  };
  return untouched(0, 0x200) && untouched(0x400, 0x1800) && untouched(0x7000, bytes.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) {
    return 0;
  }
  const std::uint8_t mode = data[0];
  const std::vector<std::string> lines = LinesOf(data + 1, size - 1, (mode & 1) != 0);

  const commands::OrderCheckResult order = commands::CheckCommandOrder(lines);
  if (order.ok && !order.report.empty()) {
    std::abort();
  }

  infoblock::InfoBlock block;
  try {
    commands::CompileCommands(lines, block, SomeSets(mode));
  } catch (const Error&) {
    // A number that is not one, a record or list too long: the product's own message.
  }
  if (!OnlyCommandAreasWritten(block)) {
    std::abort();
  }
  return 0;
}
