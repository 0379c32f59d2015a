#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "base/progress.h"
#include "readback/image_file.h"
#include "readback/inspection.h"

namespace panelix::inspect {

// How picture bytes are laid out. Two bytes a pixel are R5G6B5 or the 4-4-4-4 alpha encoding;
// the size alone cannot tell them apart.
enum class StoredFormat { R5G6B5, Argb4444, R8G8B8, BlackWhite };

// A picture entry's pixel format from its byte count: 2, 3 or 1/8 bytes a pixel, each with or
// without the row padding to a multiple of 4 pixels (32 for black and white). twoByte chooses
// between the two 2-byte formats. Nothing when no format gives that size.
struct PictureLayout {
  StoredFormat format;
  bool rowPadding;
};
std::optional<PictureLayout> InferLayout(std::uint32_t width, std::uint32_t height, std::uint64_t length,
                                         StoredFormat twoByte);

// An RGBA picture, 8 bits a channel, rows from the top.
struct Rgba {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::vector<std::uint8_t> pixels;  // width * height * 4
};

// Decodes stored picture bytes ("RGB" channel order, as the converters write by default); channels
// are widened by bit replication, black and white gives black (1) and white (0).
Rgba DecodePicture(std::span<const std::uint8_t> bytes, std::uint32_t width, std::uint32_t height,
                   const PictureLayout& layout);

// PNG bytes of an RGBA picture (libspng's encoder); opaque pictures are stored as RGB.
std::vector<std::uint8_t> EncodePng(const Rgba& picture);

// The cursor bin (256 bytes) in its four display colours.
Rgba CursorPicture(std::span<const std::uint8_t> cursor);

// A proof sheet of a font bin whose glyphs are size x size pixels (size / 8 bytes a row): the
// glyphs on a grid of 16 columns, each row labelled with the index of its first glyph in
// hexadecimal.
Rgba FontProofSheet(std::span<const std::uint8_t> font, int size);

// A WAV file (PCM) holding raw sample bytes.
std::vector<std::uint8_t> WavFile(std::span<const std::uint8_t> samples, int channels, int bits, int rate);

struct ExtractOptions {
  std::filesystem::path folder;
  std::optional<StoredFormat> twoByte;  // default: from [INFO] (R5G6B5)
  int soundChannels = 1;
  int soundBits = 8;
  int soundRate = 16000;
};

// Writes what an image holds into options.folder: picture-NNNN.png for every picture entry,
// font-slotK.png proof sheets, cursor-N.png, sound-N.wav and bootloader.txt (the block's hexadecimal
// view and the flags that rebuild it). Entries that lie outside the file or whose size fits no
// format are skipped with a message. Returns the number of files written and the bytes read.
struct ExtractResult {
  std::size_t files = 0;
  std::uint64_t bytesRead = 0;
};
ExtractResult ExtractImage(const ImageFile& file, const Inspection& inspection, const ExtractOptions& options,
                           const MessageFn& message, const ProgressFn& progress = NoProgress);

// A converter bin (Picture-main.bin) read through the address list beside it: one picture entry
// per address row, addresses inside the bin. Problems name rows outside the bin and rows that
// overlap. Throws panelix::Error when the address list cannot be read.
Inspection InspectConverterBin(const ImageFile& file, const std::filesystem::path& addressList);

}  // namespace panelix::inspect
