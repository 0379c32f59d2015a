#include "picture/encoders.h"

#include <cstdint>
#include <limits>
#include <string>
#include <type_traits>

#include "base/error.h"
#include "picture/dither.h"
#include "picture/encode_rows.h"
#include "picture/loading.h"

namespace panelix::picture {

namespace {

std::int64_t PaddedWidth(std::int64_t w) {
  return (w + 3) / 4 * 4;
}

// Bytes of one output row, data and padding.
struct RowLayout {
  std::size_t data = 0;
  std::size_t padding = 0;
};

RowLayout Layout(std::int32_t width, PixelFormat format, bool rowPadding) {
  const auto w = static_cast<std::size_t>(width);
  switch (format) {
    case PixelFormat::R5G6B5:
      return {2 * w, rowPadding ? 2 * (static_cast<std::size_t>(PaddedWidth(width)) - w) : 0};
    case PixelFormat::R8G8B8:
      return {3 * w, rowPadding ? 3 * (static_cast<std::size_t>(PaddedWidth(width)) - w) : 0};
    case PixelFormat::BlackWhite: {
      const std::size_t data = (w + 7) / 8;
      return {data, rowPadding ? 4 * ((w + 31) / 32) - data : 0};
    }
  }
  return {};
}

void Report(const ProgressFn& progress, std::int64_t done, std::int64_t total) {
  if (!progress(done, total)) {
    throw Stopped();
  }
}

// Writes one output row from source row row (w pixels): pixel(at, k, source) writes output pixel
// k, mirrored when mirrorX; the padding bytes after the data are 0xFF.
template <typename PixelFn>
void EncodeRow(const std::uint8_t* row, std::size_t n, bool mirrorX, const RowLayout& layout,
               std::uint8_t* at, PixelFn pixel) {
  // Two loops instead of a choice per pixel keep the common unmirrored row tight.
  if (mirrorX) {
    for (std::size_t k = 0; k < n; ++k) {
      pixel(at, k, row + 3 * (n - 1 - k));
    }
  } else if constexpr (requires { PixelFn::kBgr; }) {
    detail::R5G6B5Row(row, n, PixelFn::kBgr, at);
  } else {
    for (std::size_t k = 0; k < n; ++k) {
      pixel(at, k, row + 3 * k);
    }
  }
  std::fill(at + layout.data, at + layout.data + layout.padding, std::uint8_t{0xFF});
}

// Walks output rows and pixels with mirroring; pixel(row, k, source) writes output pixel k of the
// row that starts at row. Padding bytes after each row's data are 0xFF.
template <typename PixelFn>
std::vector<std::uint8_t> EncodeRows(const RgbImage& picture, const PictureOptions& options,
                                     PixelFormat format, const ProgressFn& progress, PixelFn pixel) {
  const std::int32_t w = picture.width;
  const std::int32_t h = picture.height;
  const RowLayout layout = Layout(w, format, options.rowPadding);
  std::vector<std::uint8_t> out(static_cast<std::size_t>(EncodedSize(w, h, format, options.rowPadding)));
  std::uint8_t* at = out.data();
  Report(progress, 0, h);
  for (std::int32_t j = 0; j < h; ++j) {
    const std::int32_t y = options.mirrorY ? h - 1 - j : j;
    const std::uint8_t* row = picture.rgb.data() + 3 * picture.PixelIndex(0, y);
    EncodeRow(row, static_cast<std::size_t>(w), options.mirrorX, layout, at, pixel);
    at += layout.data + layout.padding;
    Report(progress, j + 1, h);
  }
  return out;
}

// The pixel writers. R5G6B5 stores (first>>3)<<11 | (G>>2)<<5 | last>>3 little-endian, with first
// and last the channels the order puts there.
template <int First, int Last>
struct R5G6B5Pixel {
  // Whole unmirrored rows go through the vectorised row encoder.
  static constexpr bool kBgr = First == 2;
  void operator()(std::uint8_t* row, std::size_t k, const std::uint8_t* p) const {
    const unsigned value = (static_cast<unsigned>(p[First] >> 3) << 11) |
                           (static_cast<unsigned>(p[1] >> 2) << 5) | static_cast<unsigned>(p[Last] >> 3);
    row[2 * k] = static_cast<std::uint8_t>(value & 0xFF);
    row[2 * k + 1] = static_cast<std::uint8_t>(value >> 8);
  }
};

template <int First, int Last>
struct R8G8B8Pixel {
  void operator()(std::uint8_t* row, std::size_t k, const std::uint8_t* p) const {
    row[3 * k] = p[First];
    row[3 * k + 1] = p[1];
    row[3 * k + 2] = p[Last];
  }
};

// Sets the bit of a black pixel; the row starts zeroed.
struct BlackWhitePixel {
  void operator()(std::uint8_t* row, std::size_t k, const std::uint8_t* p) const {
    if (p[0] == 0 && p[1] == 0 && p[2] == 0) {
      row[k / 8] |= static_cast<std::uint8_t>(0x80U >> (k % 8));
    }
  }
};

// Calls use(pixel) with the pixel writer of the options' format and channel order, for a plain
// (undithered) encoding. "RGB" puts R first in R5G6B5 and last (B, G, R) in R8G8B8.
template <typename Use>
decltype(auto) WithPixelWriter(const PictureOptions& options, Use use) {
  const bool bgr = options.order == ChannelOrder::Bgr;
  switch (options.format) {
    case PixelFormat::R8G8B8:
      return bgr ? use(R8G8B8Pixel<0, 2>{}) : use(R8G8B8Pixel<2, 0>{});
    case PixelFormat::BlackWhite:
      return use(BlackWhitePixel{});
    case PixelFormat::R5G6B5:
      break;
  }
  return bgr ? use(R5G6B5Pixel<2, 0>{}) : use(R5G6B5Pixel<0, 2>{});
}

}  // namespace

std::int64_t EncodedSize(std::int32_t width, std::int32_t height, PixelFormat format, bool rowPadding) {
  if (width <= 0 || height <= 0) {
    return 0;
  }
  const RowLayout layout = Layout(width, format, rowPadding);
  return static_cast<std::int64_t>(layout.data + layout.padding) * height;
}

std::int32_t CheckedEncodedSize(std::int32_t width, std::int32_t height, PixelFormat format,
                                bool rowPadding) {
  const std::int64_t size = EncodedSize(width, height, format, rowPadding);
  if (size > std::numeric_limits<std::int32_t>::max()) {
    throw Error("The picture is too large to convert (" + std::to_string(width) + " x " +
                std::to_string(height) + ").");
  }
  return static_cast<std::int32_t>(size);
}

std::vector<std::uint8_t> EncodeR5G6B5(const RgbImage& picture, const PictureOptions& options,
                                       const ProgressFn& progress) {
  if (options.dither != Dither::None) {
    PictureOptions plain = options;
    plain.dither = Dither::None;
    return EncodeR5G6B5(DitherPicture(picture, DitherTarget::R5G6B5, options.dither), plain, progress);
  }
  PictureOptions plain = options;
  plain.format = PixelFormat::R5G6B5;
  return WithPixelWriter(
      plain, [&](auto pixel) { return EncodeRows(picture, options, PixelFormat::R5G6B5, progress, pixel); });
}

std::vector<std::uint8_t> EncodeR8G8B8(const RgbImage& picture, const PictureOptions& options,
                                       const ProgressFn& progress) {
  // "RGB" stores B, G, R (the value 0xRRGGBB little-endian); "BGR" stores R, G, B.
  PictureOptions plain = options;
  plain.format = PixelFormat::R8G8B8;
  return WithPixelWriter(
      plain, [&](auto pixel) { return EncodeRows(picture, options, PixelFormat::R8G8B8, progress, pixel); });
}

std::vector<std::uint8_t> EncodeBlackWhite(const RgbImage& picture, const PictureOptions& options,
                                           const ProgressFn& progress) {
  if (options.dither != Dither::None) {
    PictureOptions plain = options;
    plain.dither = Dither::None;
    return EncodeBlackWhite(DitherPicture(picture, DitherTarget::BlackWhite, options.dither), plain,
                            progress);
  }
  // The buffer starts zeroed, so only the bits of black pixels are set.
  return EncodeRows(picture, options, PixelFormat::BlackWhite, progress, BlackWhitePixel{});
}

std::vector<std::uint8_t> EncodePicture(const RgbImage& picture, const PictureOptions& options,
                                        const ProgressFn& progress) {
  switch (options.format) {
    case PixelFormat::R8G8B8:
      return EncodeR8G8B8(picture, options, progress);
    case PixelFormat::BlackWhite:
      return EncodeBlackWhite(picture, options, progress);
    case PixelFormat::R5G6B5:
      break;
  }
  return EncodeR5G6B5(picture, options, progress);
}

RowEncoder::RowEncoder(std::int32_t width, std::int32_t height, const PictureOptions& options)
    : m_width(width), m_height(height), m_mirrorX(options.mirrorX), m_mirrorY(options.mirrorY) {
  const RowLayout layout = Layout(width, options.format, options.rowPadding);
  m_data = layout.data;
  m_padding = layout.padding;
  m_bytes.resize(static_cast<std::size_t>(EncodedSize(width, height, options.format, options.rowPadding)));
  m_encode = WithPixelWriter(options, [](auto pixel) -> EncodeFn {
    return [](const std::uint8_t* row, std::size_t n, bool mirrorX, std::size_t data, std::size_t padding,
              std::uint8_t* at) {
      EncodeRow(row, n, mirrorX, RowLayout{data, padding}, at, decltype(pixel){});
    };
  });
}

void RowEncoder::Row(std::int32_t y, const std::uint8_t* rgb) {
  const std::int32_t j = m_mirrorY ? m_height - 1 - y : y;
  m_encode(rgb, static_cast<std::size_t>(m_width), m_mirrorX, m_data, m_padding,
           m_bytes.data() + static_cast<std::size_t>(j) * (m_data + m_padding));
}

std::vector<std::uint8_t> EncodeArgb4444(const PngPicture& png, const RgbImage& preview,
                                         Rotation loadRotation, const PictureOptions& options,
                                         const MessageFn& message, const ProgressFn& progress) {
  if (png.colorType < 4 || !png.image.HasAlpha()) {
    message("The png don't have Alpha");
    // The picture still takes its 2 bytes per pixel; give the module the picture itself.
    return EncodeR5G6B5(preview, options, progress);
  }
  const RgbImage file =
      DitherPicture(RotatePicture(png.image, loadRotation), DitherTarget::Argb4444, options.dither);
  if (file.width != preview.width || file.height != preview.height) {
    throw Error("The PNG file has changed since it was loaded.");
  }
  const std::uint8_t* alpha = file.alpha.data();
  const std::uint8_t* base = file.rgb.data();
  return EncodeRows(file, options, PixelFormat::R5G6B5, progress,
                    [alpha, base](std::uint8_t* row, std::size_t k, const std::uint8_t* p) {
                      std::uint8_t* out = row + 2 * k;
                      const auto index = static_cast<std::size_t>(p - base) / 3;
                      const unsigned value = (static_cast<unsigned>(alpha[index] >> 4) << 12) |
                                             (static_cast<unsigned>(p[0] >> 4) << 8) |
                                             (static_cast<unsigned>(p[1] >> 4) << 4) |
                                             static_cast<unsigned>(p[2] >> 4);
                      out[0] = static_cast<std::uint8_t>(value & 0xFF);
                      out[1] = static_cast<std::uint8_t>(value >> 8);
                    });
}

}  // namespace panelix::picture
