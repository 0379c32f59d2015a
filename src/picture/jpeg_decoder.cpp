#include <turbojpeg.h>

#include <memory>

#include "base/error.h"
#include "picture/decode_checks.h"
#include "picture/decoders.h"

namespace panelix::picture {

namespace {

constexpr const char* kJpegDamaged = "The JPEG file is damaged";

struct TjFree {
  void operator()(void* handle) const { tjDestroy(handle); }
};

[[noreturn]] void Fail(void* handle) {
  throw Error(std::string(kJpegDamaged) + ": " + tjGetErrorStr2(handle) + ".");
}

}  // namespace

RgbImage DecodeJpeg(std::span<const std::uint8_t> file, const DecodeLimits& limits) {
  std::unique_ptr<void, TjFree> handle(tjInitDecompress());
  if (!handle) {
    throw Error(std::string(kJpegDamaged) + ": out of memory.");
  }
  if (file.size() > 0xFFFFFFFFUL) {
    throw Error(std::string(kJpegDamaged) + ": the file is too large.");
  }
  const auto* data = file.data();
  const auto size = static_cast<unsigned long>(file.size());
  int width = 0;
  int height = 0;
  int subsampling = 0;
  int colorspace = 0;
  if (tjDecompressHeader3(handle.get(), data, size, &width, &height, &subsampling, &colorspace) != 0) {
    Fail(handle.get());
  }
  detail::CheckDimensions(width, height, limits, "The JPEG file");
  RgbImage image = MakeRgbImage(width, height);
  // Full scale, accurate integer IDCT and smooth upsampling: the decoder's defaults.
  if (tjDecompress2(handle.get(), data, size, image.rgb.data(), width, width * 3, height, TJPF_RGB, 0) != 0 &&
      tjGetErrorCode(handle.get()) != TJERR_WARNING) {
    // A warning (for example data ending early) still leaves a whole picture, as viewers show it.
    Fail(handle.get());
  }
  return image;
}

}  // namespace panelix::picture
