#pragma once

#include <cstdint>
#include <string>

#include "picture/decoders.h"

namespace panelix::picture::detail {

// Throws panelix::Error "<what>: the picture is too large (W x H)." when a header's size breaks
// the limits, and "<what>: the picture has no pixels." for a zero side.
void CheckDimensions(std::int64_t width, std::int64_t height, const DecodeLimits& limits,
                     const std::string& what);

}  // namespace panelix::picture::detail
