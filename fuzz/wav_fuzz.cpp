// Feeds arbitrary bytes to the WAV reader and, for what it accepts, to the conversion with every
// choice, checking that the bin always has the size the reader's fields promise.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "base/error.h"
#include "wav/wav_convert.h"
#include "wav/wav_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace panelix::wav;
  const std::span<const std::uint8_t> file(data, size);
  const WavInfo info = ParseWav(file, panelix::NoMessage);
  if (std::uint64_t{info.dataOffset} + info.dataSize > size) {
    std::abort();  // the data must lie inside the file
  }
  if (!info.valid) {
    return 0;
  }
  // One choice per input, taken from its last byte, keeps every run short.
  const std::uint8_t pick = size > 0 ? data[size - 1] : 0;
  WavOptions options;
  options.channel = static_cast<ChannelChoice>(pick % 3);
  options.bits = static_cast<BitsChoice>((pick / 3) % 3);
  options.speed = 1 << ((pick / 9) % 5);
  try {
    const std::uint64_t binSize = BinDataSize(info, options, panelix::NoMessage);
    const auto bin = ConvertWav(file, info, options, binSize);
    if (!bin || bin->size() != binSize) {
      std::abort();
    }
  } catch (const panelix::Error&) {
    // "Can't suport this bits" and "Don't support this format!" are answers, not faults.
  }
  return 0;
}
