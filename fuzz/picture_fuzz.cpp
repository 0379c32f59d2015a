// Feeds arbitrary bytes to the picture loader as PNG, JPEG or BMP, then turns and encodes what
// it decoded, the way a conversion run would.
#include <zlib.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "base/error.h"
#include "picture/decode_checks.h"
#include "picture/encoders.h"
#include "picture/loading.h"

namespace {

using namespace panelix::picture;

PictureKind KindOf(std::span<const std::uint8_t> data) {
  if (data.size() >= 2 && data[0] == 0x89 && data[1] == 'P') {
    return PictureKind::Png;
  }
  if (data.size() >= 2 && data[0] == 0xFF && data[1] == 0xD8) {
    return PictureKind::Jpeg;
  }
  if (data.size() >= 2 && data[0] == 'B' && data[1] == 'M') {
    return PictureKind::Bmp;
  }
  return static_cast<PictureKind>(1 + (data.empty() ? 0 : data.back() % 3));
}

// The PNG decoder's two ways through a file must agree: the same pixels or the same message.
void ComparePngPaths(std::span<const std::uint8_t> file, const DecodeLimits& limits) {
  PngPicture rows;
  PngPicture any;
  std::string rowsError;
  std::string anyError;
  try {
    rows = detail::DecodePngVia(file, limits, detail::PngPath::RowsOnly);
  } catch (const panelix::Error& e) {
    rowsError = e.what();
  }
  try {
    any = detail::DecodePngVia(file, limits, detail::PngPath::Any);
  } catch (const panelix::Error& e) {
    anyError = e.what();
  }
  if (rowsError != anyError || rows.colorType != any.colorType || rows.image.width != any.image.width ||
      rows.image.height != any.image.height || rows.image.rgb != any.image.rgb ||
      rows.image.alpha != any.image.alpha) {
    __builtin_trap();
  }
}

// The row decoders of JPEG and BMP must give what the whole-picture decoders give: the same pixels,
// warnings and message, unless they leave the file to them.
void CompareRowPaths(PictureKind kind, std::span<const std::uint8_t> file, const DecodeLimits& limits) {
  RgbImage whole;
  RgbImage rows;
  std::string wholeError;
  std::string rowsError;
  std::vector<std::string> wholeWarnings;
  std::vector<std::string> rowsWarnings;
  bool taken = false;
  try {
    whole = kind == PictureKind::Jpeg ? DecodeJpeg(file, limits, &wholeWarnings) : DecodeBmp(file, limits);
  } catch (const panelix::Error& e) {
    wholeError = e.what();
  }
  const detail::RowStartFn start = [&](std::int32_t width, std::int32_t height) {
    rows = MakeRgbImage(width, height);
  };
  const detail::RowFn row = [&](std::int32_t y, std::uint8_t* rgb, const std::uint8_t* alpha) {
    if (alpha != nullptr || y < 0 || y >= rows.height) {
      __builtin_trap();
    }
    std::copy(rgb, rgb + 3 * static_cast<std::size_t>(rows.width), rows.Pixel(0, y));
  };
  try {
    taken = kind == PictureKind::Jpeg ? detail::DecodeJpegByRow(file, limits, &rowsWarnings, start, row)
                                      : detail::DecodeBmpByRow(file, limits, start, row);
  } catch (const panelix::Error& e) {
    rowsError = e.what();
    taken = true;
  }
  if (taken && (rowsError != wholeError || rowsWarnings != wholeWarnings ||
                (wholeError.empty() &&
                 (rows.width != whole.width || rows.height != whole.height || rows.rgb != whole.rgb)))) {
    __builtin_trap();
  }
}

// The file with the CRC of every whole chunk made right, so that changes inside chunks reach the
// image data instead of stopping at the CRC check.
std::vector<std::uint8_t> WithCrcsMended(std::span<const std::uint8_t> file) {
  std::vector<std::uint8_t> mended(file.begin(), file.end());
  std::size_t at = 8;
  while (at <= mended.size() && mended.size() - at >= 12) {
    const std::uint32_t length = (std::uint32_t{mended[at]} << 24) | (std::uint32_t{mended[at + 1]} << 16) |
                                 (std::uint32_t{mended[at + 2]} << 8) | mended[at + 3];
    if (length > mended.size() - at - 12) {
      break;
    }
    const uLong crc = crc32(0L, mended.data() + at + 4, static_cast<uInt>(length + 4));
    for (int i = 0; i < 4; ++i) {
      mended[at + 8 + length + i] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
    }
    at += std::size_t{12} + length;
  }
  return mended;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> file(data, size);
  // Options come from the last byte so that every encoder path gets exercised.
  const std::uint8_t bits = size > 0 ? data[size - 1] : 0;
  ConvertOptions options;
  options.picture.format = static_cast<PixelFormat>(bits % 3);
  options.picture.rotation = static_cast<Rotation>((bits >> 2) % 3);
  options.picture.mirrorX = (bits & 0x10) != 0;
  options.picture.mirrorY = (bits & 0x20) != 0;
  options.picture.rowPadding = (bits & 0x40) != 0;
  options.picture.order = (bits & 0x80) != 0 ? ChannelOrder::Bgr : ChannelOrder::Rgb;
  // The product's own limits: an input that costs seconds or gigabytes under them is a finding.
  const DecodeLimits limits = options.limits;
  if (KindOf(file) == PictureKind::Png) {
    ComparePngPaths(file, limits);
    ComparePngPaths(WithCrcsMended(file), limits);
  } else {
    CompareRowPaths(KindOf(file), file, limits);
  }
  try {
    const PictureKind kind = KindOf(file);
    const RgbImage picture = RotatePicture(LoadPictureBytes(file, kind, options), options.picture.rotation);
    const auto bytes = EncodePicture(picture, options.picture);
    if (static_cast<std::int64_t>(bytes.size()) !=
        EncodedSize(picture.width, picture.height, options.picture.format, options.picture.rowPadding)) {
      __builtin_trap();
    }
    if (kind == PictureKind::Png) {
      const PngPicture png = DecodePng(file, limits);
      EncodeArgb4444(png, picture, options.picture.rotation, options.picture, panelix::NoMessage);
    }
  } catch (const panelix::Error&) {
    // A clean refusal is the expected outcome for most inputs.
  }
  return 0;
}
