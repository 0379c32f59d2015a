#include "base/error.h"
#include "picture/decoders.h"

namespace panelix::picture {

RgbImage DecodeBmp(std::span<const std::uint8_t> /*file*/, const DecodeLimits& /*limits*/) {
  throw Error("The BMP file is damaged: not supported yet.");
}

}  // namespace panelix::picture
