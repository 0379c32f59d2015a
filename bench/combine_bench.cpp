// Combining six 100 MB files with 10 MB gaps, against `cat` of the same files into one output.
// Prints the best of three wall-clock times of each, their ratio and the combine's peak memory.
// Usage: bench_combine [MEGABYTES_PER_FILE] [GAP_MEGABYTES]   (defaults 100 and 10)
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "base/error.h"
#include "combiner/combine.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

void MakeFile(const fs::path& path, std::int64_t size, std::uint8_t seed) {
  std::vector<char> chunk(std::size_t{1} << 20);
  for (std::size_t i = 0; i < chunk.size(); ++i) {
    chunk[i] = static_cast<char>(seed + i * 31);
  }
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  for (std::int64_t left = size; left > 0; left -= static_cast<std::int64_t>(chunk.size())) {
    out.write(chunk.data(), static_cast<std::streamsize>(std::min<std::int64_t>(left, chunk.size())));
  }
}

// Runs work in a child process and returns its wall time in seconds and peak resident memory in
// kilobytes, so neither the generated data nor the other runs count.
std::pair<double, long> Measure(const std::function<int()>& work) {
  const auto begin = Clock::now();
  const pid_t child = ::fork();
  if (child == 0) {
    std::_Exit(work());
  }
  int status = 0;
  struct rusage usage {};
  ::wait4(child, &status, 0, &usage);
  const double seconds = std::chrono::duration<double>(Clock::now() - begin).count();
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "run failed\n");
    std::exit(1);
  }
  return {seconds, usage.ru_maxrss};
}

}  // namespace

int main(int argc, char** argv) {
  const std::int64_t mb = 1 << 20;
  const std::int64_t fileSize = (argc > 1 ? std::atoll(argv[1]) : 100) * mb;
  const std::int64_t gap = (argc > 2 ? std::atoll(argv[2]) : 10) * mb;
  const fs::path dir = fs::temp_directory_path() / ("panelix-bench-combine-" + std::to_string(::getpid()));
  fs::create_directories(dir);

  std::vector<panelix::combiner::CombineSlot> slots;
  std::string catCommand = "cat";
  std::int64_t start = 0;
  for (int i = 0; i < panelix::combiner::kSlotCount; ++i) {
    const fs::path path = dir / ("part" + std::to_string(i) + ".bin");
    MakeFile(path, fileSize, static_cast<std::uint8_t>(i));
    slots.push_back({path.string(), static_cast<std::int32_t>(start), static_cast<std::int32_t>(fileSize)});
    start += fileSize + gap;
    catCommand += " '" + path.string() + "'";
  }
  catCommand += " > '" + (dir / "cat.bin").string() + "'";
  const std::string combined = (dir / "combined.bin").string();

  double bestCombine = 1e9;
  double bestCat = 1e9;
  long peakKb = 0;
  for (int round = 0; round < 3; ++round) {
    const auto [combineSeconds, kb] = Measure([&] {
      try {
        panelix::combiner::CombineFiles(
            slots, combined, [](const std::string&) {}, [](const std::string&) {});
      } catch (const panelix::Error& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
      }
      return 0;
    });
    const auto [catSeconds, catKb] = Measure([&] { return std::system(catCommand.c_str()) == 0 ? 0 : 1; });
    bestCombine = std::min(bestCombine, combineSeconds);
    bestCat = std::min(bestCat, catSeconds);
    peakKb = std::max(peakKb, kb);
  }
  const auto combinedSize = fs::file_size(combined);
  fs::remove_all(dir);

  std::printf("six files of %lld MB with %lld MB gaps: output %.1f MB\n",
              static_cast<long long>(fileSize / mb), static_cast<long long>(gap / mb),
              static_cast<double>(combinedSize) / mb);
  std::printf("combine  %.3f s (best of 3), peak memory %.1f MB\n", bestCombine, peakKb / 1024.0);
  std::printf("cat      %.3f s (best of 3)\n", bestCat);
  std::printf("ratio    %.2f (goal at most 1.2; the combine also writes the gaps and the address list)\n",
              bestCombine / bestCat);
  return 0;
}
