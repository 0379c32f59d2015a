// Converting a 30-second 44.1 kHz 16-bit stereo WAV file: the conversion alone, and the whole run
// from reading the file to writing the bin and its data text. Goal: under 50 ms.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include "base/files.h"
#include "output/address_list.h"
#include "output/messages.h"
#include "wav/wav_convert.h"
#include "wav/wav_reader.h"

namespace {

using namespace panelix;

std::vector<std::uint8_t> ThirtySecondWav() {
  constexpr std::uint32_t kRate = 44100;
  constexpr std::uint32_t kDataSize = kRate * 4 * 30;
  std::vector<std::uint8_t> file;
  auto put = [&file](std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
      file.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
  };
  auto id = [&file](const char* text) {
    for (int i = 0; i < 4; ++i) {
      file.push_back(static_cast<std::uint8_t>(text[i]));
    }
  };
  id("RIFF");
  put(36 + kDataSize, 4);
  id("WAVE");
  id("fmt ");
  put(16, 4);
  put(1, 2);
  put(2, 2);
  put(kRate, 4);
  put(kRate * 4, 4);
  put(4, 2);
  put(16, 2);
  id("data");
  put(kDataSize, 4);
  for (std::uint32_t i = 0; i < kDataSize; ++i) {
    file.push_back(static_cast<std::uint8_t>(i * 31 + (i >> 9)));
  }
  return file;
}

const std::vector<std::uint8_t>& Sample() {
  static const std::vector<std::uint8_t> file = ThirtySecondWav();
  return file;
}

wav::WavOptions OptionsFor(std::int64_t which) {
  switch (which) {
    case 0:
      return {wav::ChannelChoice::Two, wav::BitsChoice::Bits16, 1};
    case 1:
      return {wav::ChannelChoice::Left, wav::BitsChoice::Bits8, 2};
    default:
      return {wav::ChannelChoice::Right, wav::BitsChoice::Bits16, 1};
  }
}

void BM_ConvertWav(benchmark::State& state) {
  const auto& file = Sample();
  const wav::WavOptions options = OptionsFor(state.range(0));
  for (auto _ : state) {
    const wav::WavInfo info = wav::ParseWav(file, NoMessage);
    const std::uint64_t size = wav::BinDataSize(info, options, NoMessage);
    auto bin = wav::ConvertWav(file, info, options, size);
    benchmark::DoNotOptimize(bin);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.size()));
}
BENCHMARK(BM_ConvertWav)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

void BM_ConvertWavFile(benchmark::State& state) {
  const auto dir = std::filesystem::temp_directory_path() / "panelix-wav-bench";
  std::filesystem::create_directories(dir);
  const auto input = (dir / "in.wav").string();
  WriteFileReplacing(input, std::span<const std::uint8_t>(Sample()), "cannot write the sample");
  const auto name = (dir / "Wav-out.bin").string();
  const wav::WavOptions options = OptionsFor(state.range(0));
  for (auto _ : state) {
    const std::vector<std::uint8_t> file = ReadFileBytes(input, wav::kOpenFailed);
    wav::WavInfo info = wav::ParseWav(file, NoMessage);
    const std::uint64_t size = wav::BinDataSize(info, options, NoMessage);
    const auto bin = wav::ConvertWav(file, info, options, size);
    WriteFileReplacing(name, std::span<const std::uint8_t>(*bin), output::kFileNotAccessible);
    output::WriteAddressList(name, wav::DataTextLines(input, info, options, size), NoMessage);
  }
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_ConvertWavFile)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
