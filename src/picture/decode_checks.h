#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

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

// A PNG that the one-call path reads, handed over row by row instead of as a whole picture: after
// the checks DecodePng makes (and throws for, in the same words), start(width, height) is called,
// then row(y, rgb, alpha) for y = 0 .. height-1 in order with the row's pixels, 3 bytes each, and
// its alpha (nullptr for a file without alpha). With alpha, the pixels are a copy, the caller's to
// change until the next call; without, they are what the rows below are decoded from, and must be
// left as they are. These are the pixels DecodePng gives. Returns false, having called neither,
// when the file needs the row decoder: DecodePng is then the way to read it.
using RowStartFn = std::function<void(std::int32_t width, std::int32_t height)>;
using RowFn = std::function<void(std::int32_t y, std::uint8_t* rgb, const std::uint8_t* alpha)>;
bool DecodePngByRow(std::span<const std::uint8_t> file, const DecodeLimits& limits, const RowStartFn& start,
                    const RowFn& row);

// A JPEG handed over the same way, the rows in order without alpha, each a buffer the caller may
// change; warnings as DecodeJpeg collects them. Returns false, having called neither, for a file
// whose header declares far more pixels than its data could hold (DecodeJpeg then reads it with
// memory growing only with the rows that arrive).
bool DecodeJpegByRow(std::span<const std::uint8_t> file, const DecodeLimits& limits,
                     std::vector<std::string>* warnings, const RowStartFn& start, const RowFn& row);

// A BMP handed over the same way; rows come in the file's order (bottom-up files from the last
// row up), y saying where each belongs. Returns false, having called neither, for run-length
// compressed files, which DecodeBmp reads.
bool DecodeBmpByRow(std::span<const std::uint8_t> file, const DecodeLimits& limits, const RowStartFn& start,
                    const RowFn& row);

}  // namespace panelix::picture::detail
