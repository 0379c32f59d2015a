// Reading and saving a large project file: 200000 command lines of about 60 bytes (12 MB) with
// CR LF ends and a tab in each line.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "project/project_file.h"

namespace {

std::vector<std::uint8_t> LargeProject() {
  std::string text = "[INFO]\r\nPCVersion = 10\r\n[USERCMD]\r\n";
  for (int i = 0; i < 200000; ++i) {
    text += "80h#" + std::to_string(i % 256) + ":\t0x12,0x34,0x56,0x78,0x9A,0xBC,0xDE,0xF0,0x11 /comment\r\n";
  }
  return {text.begin(), text.end()};
}

void SplitProject(benchmark::State& state) {
  const std::vector<std::uint8_t> bytes = LargeProject();
  for (auto _ : state) {
    benchmark::DoNotOptimize(panelix::project::SplitProjectText(bytes));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(SplitProject)->Unit(benchmark::kMillisecond);

void SaveProjectText(benchmark::State& state) {
  const panelix::project::ProjectLines lines = panelix::project::SplitProjectText(LargeProject());
  std::size_t size = 0;
  for (auto _ : state) {
    const std::string text = panelix::project::ProjectFileText(lines);
    size = text.size();
    benchmark::DoNotOptimize(text.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}
BENCHMARK(SaveProjectText)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
