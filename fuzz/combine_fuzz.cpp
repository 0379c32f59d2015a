// Combines up to six small files at any start addresses and lengths and checks the output against
// a plain model of the layout: slot 1 at 0, each later slot after its 0xFF gap, every slot exactly
// its length (0x00 past the end of its file).
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "base/error.h"
#include "combiner/combine.h"

namespace {

std::filesystem::path WorkDir() {
  static const std::filesystem::path dir = [] {
    auto path =
        std::filesystem::temp_directory_path() / ("panelix-fuzz-combine-" + std::to_string(::getpid()));
    std::filesystem::create_directories(path);
    return path;
  }();
  return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using panelix::combiner::CombineSlot;
  const std::filesystem::path dir = WorkDir();
  std::vector<CombineSlot> slots;
  std::vector<std::vector<std::uint8_t>> contents;
  // Each slot: 1 byte file size, 2 bytes start, 1 byte length.
  while (size >= 4 && slots.size() < panelix::combiner::kSlotCount) {
    const std::size_t fileSize = data[0] % 64;
    const std::int32_t start = data[1] | (data[2] << 8);
    const std::int32_t length = data[3];
    data += 4;
    size -= 4;
    const auto path = dir / ("in" + std::to_string(slots.size()) + ".bin");
    std::vector<std::uint8_t> content(fileSize, static_cast<std::uint8_t>(0x10 + slots.size()));
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(content.data()), static_cast<std::streamsize>(content.size()));
    slots.push_back({path.string(), slots.empty() ? 0 : start, length});
    contents.push_back(std::move(content));
  }

  std::vector<std::uint8_t> expected;
  for (std::size_t i = 0; i < slots.size(); ++i) {
    if (i > 0) {
      expected.insert(expected.end(),
                      static_cast<std::size_t>(panelix::combiner::GapBefore(slots[i - 1], slots[i])), 0xFF);
    }
    for (std::int32_t k = 0; k < slots[i].length; ++k) {
      expected.push_back(
          static_cast<std::size_t>(k) < contents[i].size() ? contents[i][static_cast<std::size_t>(k)] : 0x00);
    }
  }

  const std::string out = (dir / "out").string();
  std::size_t rows = 0;
  panelix::combiner::CombineResult result;
  try {
    result = panelix::combiner::CombineFiles(
        slots, out, [&rows](const std::string&) { ++rows; }, [](const std::string&) {});
  } catch (const panelix::Error&) {
    // A start inside or before the previous file is refused before anything is written.
    return 0;
  }
  std::ifstream in(result.outputName, std::ios::binary);
  const std::vector<std::uint8_t> written{std::istreambuf_iterator<char>(in),
                                          std::istreambuf_iterator<char>()};
  if (written != expected || rows != slots.size() || !result.addressListWritten) {
    std::abort();
  }
  return 0;
}
