// Feeds arbitrary bytes to the GIF reader and draws every frame of what it accepts.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/error.h"
#include "gif/gif_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    const panelix::gif::GifReader reader(std::vector<std::uint8_t>(data, data + size));
    // Large screens are legal but make the fuzzer slow without reaching new code.
    if (std::int64_t{reader.ScreenWidth()} * reader.ScreenHeight() > (1 << 20)) {
      return 0;
    }
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(reader.ScreenWidth()) * reader.ScreenHeight() * 3);
    std::int32_t frames = 0;
    reader.DrawFrames({reader.ScreenWidth(), reader.ScreenHeight(), rgb}, [&](std::int32_t i) {
      if (i != frames) {
        __builtin_trap();
      }
      ++frames;
      return true;
    });
    if (frames != reader.FrameCount()) {
      __builtin_trap();
    }
  } catch (const panelix::Error&) {
  }
  return 0;
}
