#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "picture/decoders.h"

namespace panelix::picture::detail {

// Throws panelix::Error "<what>: the picture is too large (W x H)." when a header's size breaks
// the limits, and "<what>: the picture has no pixels." for a zero side.
void CheckDimensions(std::int64_t width, std::int64_t height, const DecodeLimits& limits,
                     const std::string& what);

// The ways DecodePng may read a file: Any is DecodePng itself (8-bit truecolour files without
// interlacing are inflated in one call, everything else row by row); RowsOnly decodes every file
// row by row. Both give the same pixels and the same errors; tests and the fuzz target compare them.
enum class PngPath { Any, RowsOnly };
// *inOneCall, when given, tells whether the one-call path decoded the file.
PngPicture DecodePngVia(std::span<const std::uint8_t> file, const DecodeLimits& limits, PngPath path,
                        bool* inOneCall = nullptr);

}  // namespace panelix::picture::detail
