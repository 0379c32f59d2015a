// Compiling and checking a large command list: the 22528-byte command region holds at most a few
// thousand records, so these lists are as long as a real project can usefully be.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "commands/compiler.h"

namespace {

using namespace panelix;

// A project with n command lines spread over many codes, each a typical record of 6 to 20 bytes.
std::vector<std::string> LargeProject(int n) {
  std::vector<std::string> lines{" ", "[INFO]", "a", "b", "c", "d", "e", "f", "g", " ", "[USERCMD]"};
  const char* const kinds[] = {"80h #{}: 0x0010, 20, 0x0300, 4, 5  // button",
                               "82h#{}:1,2,3,4,5",
                               "C0h #{} : 1, 0x200, 3, 4, 5, 6, 7",
                               "90h#{}PT:1,0x1234,5,6",
                               "E4h#{}:1,2,3,4,0x123456,6",
                               "B8h#{}:0x7F"};
  for (int i = 0; i < n; ++i) {
    std::string line = kinds[i % 6];
    const int number = (i / 6) % 256;
    const char hex[] = "0123456789ABCDEF";
    line.replace(line.find("{}"), 2, std::string{hex[number / 16], hex[number % 16]});
    lines.push_back(line);
  }
  return lines;
}

void BM_CompileCommands(benchmark::State& state) {
  const auto lines = LargeProject(static_cast<int>(state.range(0)));
  infoblock::SetTables sets;
  sets.number.count = 4;
  for (auto _ : state) {
    infoblock::InfoBlock block;
    commands::CompileCommands(lines, block, sets);
    benchmark::DoNotOptimize(block.Bytes().data());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_CompileCommands)->Arg(100)->Arg(1500);

void BM_CheckCommandOrder(benchmark::State& state) {
  const auto lines = LargeProject(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    benchmark::DoNotOptimize(commands::CheckCommandOrder(lines));
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_CheckCommandOrder)->Arg(100)->Arg(1500);

}  // namespace

BENCHMARK_MAIN();
