// Make Bin on a large project against a plain copy of the same bins.
//
// The project: 40 picture bins of 5 MB (200 MB in all), each with an address list of 200 rows
// (8000 picture entries), and 500 command lines. bench_make times BuildInfoBlock plus the three
// outputs (MakeBin) and `cat` of the same bins into one file (CatBins); Make Bin should stay within
// 1.5 x the copy. The peak memory of `panelix make` on the same data is measured by
// make_bench.sh. PANELIX_BENCH_DIR keeps the generated project in a folder of your choice.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "project/make_bin.h"

namespace {

namespace fs = std::filesystem;

constexpr int kBins = 40;
constexpr int kRowsPerBin = 200;
constexpr std::size_t kBinSize = 5 * 1000 * 1000;
constexpr int kCommandLines = 500;

std::vector<std::string> ProjectLines() {
  std::vector<std::string> lines{" ",
                                 "[INFO]",
                                 "PCVersion = 10",
                                 "COMPort = UART",
                                 "Baudrate = 115200",
                                 "PCBVersion = 12",
                                 "MCUBit = 8",
                                 "MCUType = STM",
                                 "CX9Type = CX-2",
                                 "CX9IF = SPI",
                                 "XSIZE = 1024",
                                 "YSIZE = 600",
                                 "VBPD = 20",
                                 "VFPD = 12",
                                 "VSPW = 3",
                                 "HBPD = 140",
                                 "HFPD = 160",
                                 "HSPW = 20",
                                 "PCLKRISING = True",
                                 "HSYNCPolarity = 0",
                                 "VSYNCPolarity = 0",
                                 "DEPolarity = 1",
                                 "RGBSequence = RGB",
                                 "ColorDepth = 16",
                                 "FlashType = NOR",
                                 "FlashSize = 128",
                                 " ",
                                 "[USERCMD]"};
  // Five codes, a hundred lines each, in sequence order.
  const char* codes[] = {"82h", "83h", "C0h", "D0h", "E0h"};
  for (int i = 0; i < kCommandLines; ++i) {
    char line[80];
    std::snprintf(line, sizeof line, "%s #%02X : %d, %d, 0x%04X // step %d", codes[i % 5], (i / 5) % 256, i,
                  i * 3, i * 7, i);
    lines.push_back(line);
  }
  return lines;
}

struct Project {
  fs::path folder;
  std::vector<std::string> bins;
  std::vector<std::string> lines;
  bool owned = false;

  Project() {
    const char* chosen = std::getenv("PANELIX_BENCH_DIR");
    folder = chosen ? fs::path(chosen) : fs::temp_directory_path() / "panelix-make-bench";
    owned = chosen == nullptr;
    fs::create_directories(folder);
    std::vector<char> data(kBinSize);
    for (std::size_t i = 0; i < data.size(); ++i) {
      data[i] = static_cast<char>(i * 31 + 7);
    }
    for (int b = 0; b < kBins; ++b) {
      char name[32];
      std::snprintf(name, sizeof name, "Picture-%02d", b);
      bins.push_back(std::string(name) + ".bin");
      const fs::path bin = folder / bins.back();
      if (!fs::exists(bin) || fs::file_size(bin) != kBinSize) {
        std::ofstream(bin, std::ios::binary).write(data.data(), static_cast<std::streamsize>(data.size()));
      }
      std::ofstream list(folder / (std::string(name) + "-Addr.txt"), std::ios::binary);
      const std::size_t item = kBinSize / kRowsPerBin;
      for (int r = 0; r < kRowsPerBin; ++r) {
        char row[96];
        std::snprintf(row, sizeof row, "{100, 50, 0x%08zX, 0x%08zX},//pic%03d.bmp\r\n", r * item, item, r);
        list << row;
      }
    }
    lines = ProjectLines();
    std::ofstream ini(folder / "project.ini", std::ios::binary);
    for (const auto& line : lines) {
      ini << line << "\r\n";
    }
  }
  ~Project() {
    std::error_code error;
    fs::remove(folder / "out-info.bin", error);
    fs::remove(folder / "out-info.txt", error);
    fs::remove(folder / "out-flash.bin", error);
    fs::remove(folder / "out-cat.bin", error);
    if (owned) {
      fs::remove_all(folder, error);
    }
  }
};

Project& TheProject() {
  static Project project;
  return project;
}

void MakeBin(benchmark::State& state) {
  Project& p = TheProject();
  panelix::project::MakeBinInput input{
      p.folder, p.bins, p.lines, panelix::infoblock::kLargeBlockSize, {2024, 3, 3, 14, 5, 9}};
  for (auto _ : state) {
    auto image = panelix::project::BuildInfoBlock(input, panelix::NoMessage, [](const auto&) {});
    if (!image || image->pictureCount != kBins * kRowsPerBin) {
      state.SkipWithError("the build stopped");
      return;
    }
    panelix::project::WriteInfoBin(p.folder / "out-info.bin", *image);
    panelix::project::WriteReport(p.folder / "out-info.txt", *image);
    panelix::project::WriteFlashImage(p.folder / "out-flash.bin", *image);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kBins * kBinSize);
}

void CatBins(benchmark::State& state) {
  Project& p = TheProject();
  std::string command = "cd '" + p.folder.string() + "' && cat";
  for (const auto& bin : p.bins) {
    command += " " + bin;
  }
  command += " > out-cat.bin";
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) {
      state.SkipWithError("cat failed");
      return;
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kBins * kBinSize);
}

BENCHMARK(CatBins)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();
BENCHMARK(MakeBin)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();
BENCHMARK(CatBins)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
