#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <string>

#include "base/bytes.h"
#include "base/error.h"
#include "picture/decode_checks.h"
#include "picture/decoders.h"

namespace panelix::picture {

namespace {

using Span = std::span<const std::uint8_t>;

[[noreturn]] void Damaged(const std::string& reason) {
  throw Error("The BMP file is damaged: " + reason + ".");
}

constexpr std::uint32_t kRgb = 0;
constexpr std::uint32_t kRle8 = 1;
constexpr std::uint32_t kRle4 = 2;
constexpr std::uint32_t kBitFields = 3;
constexpr std::uint32_t kAlphaBitFields = 6;

struct Colour {
  std::uint8_t r = 0, g = 0, b = 0;
};

// One channel of a bit-field pixel: its mask's lowest bit and width, widened to 8 bits by
// repeating the value's bits (5-bit 31 -> 255, 6-bit 32 -> 130).
struct Channel {
  std::uint32_t mask = 0;
  int shift = 0;
  int bits = 0;

  explicit Channel(std::uint32_t m) : mask(m) {
    if (m != 0) {
      shift = std::countr_zero(m);
      bits = 32 - std::countl_zero(m) - shift;
    }
  }
  std::uint8_t Value(std::uint32_t pixel) const {
    if (bits == 0) {
      return 0;
    }
    const std::uint32_t v = (pixel & mask) >> shift;
    if (bits >= 8) {
      return static_cast<std::uint8_t>(v >> (bits - 8));
    }
    std::uint32_t wide = 0;
    for (int have = 0; have < 8; have += bits) {
      wide = (wide << bits) | v;
    }
    // wide holds at least 8 bits; keep the top eight.
    const int total = (8 + bits - 1) / bits * bits;
    return static_cast<std::uint8_t>(wide >> (total - 8));
  }
};

struct Header {
  std::int64_t width = 0;
  std::int64_t height = 0;  // positive; topDown says the row order
  bool topDown = false;
  std::uint32_t bitCount = 0;
  std::uint32_t compression = kRgb;
  std::uint32_t colorsUsed = 0;
  std::size_t headerEnd = 0;     // first byte after the info header (and any separate masks)
  std::size_t paletteEntry = 4;  // 3 for the OS/2 core header
  std::array<std::uint32_t, 3> masks{};
  bool hasMasks = false;
};

Header ReadHeader(Span file) {
  if (file.size() < 18 || file[0] != 'B' || file[1] != 'M') {
    Damaged("it does not begin with a BMP header");
  }
  const std::uint32_t size = ReadLE32(file, 14);
  Header h;
  if (size == 12) {
    if (file.size() < 26) {
      Damaged("the header is cut short");
    }
    // The core header's sides are unsigned; its rows always run bottom-up.
    h.width = ReadLE16(file, 18);
    h.height = ReadLE16(file, 20);
    h.bitCount = ReadLE16(file, 24);
    h.paletteEntry = 3;
    h.headerEnd = 26;
  } else if (size == 16 || size == 40 || size == 52 || size == 56 || size == 64 || size == 108 ||
             size == 124) {
    if (file.size() < 14 + size) {
      Damaged("the header is cut short");
    }
    h.width = static_cast<std::int32_t>(ReadLE32(file, 18));
    h.height = static_cast<std::int32_t>(ReadLE32(file, 22));
    h.bitCount = ReadLE16(file, 28);
    h.headerEnd = 14 + size;
    if (size >= 40) {
      h.compression = ReadLE32(file, 30);
      h.colorsUsed = ReadLE32(file, 46);
    }
    const bool os2 = size == 16 || size == 64;
    if (os2 && h.compression != kRgb && h.compression != kRle8 && h.compression != kRle4) {
      Damaged("its compression is not supported");
    }
    if (!os2 && (h.compression == kBitFields || h.compression == kAlphaBitFields)) {
      h.hasMasks = true;
      std::size_t at = 54;
      if (size == 40) {
        // The masks follow a plain info header.
        h.headerEnd += h.compression == kAlphaBitFields ? 16 : 12;
        if (file.size() < h.headerEnd) {
          Damaged("the colour masks are missing");
        }
      }
      for (auto& mask : h.masks) {
        mask = ReadLE32(file, at);
        at += 4;
      }
    }
  } else {
    Damaged("its header size " + std::to_string(size) + " is unknown");
  }
  if (h.height < 0) {
    h.topDown = true;
    h.height = -h.height;
  }
  if (h.width < 0) {
    Damaged("its width is negative");
  }
  return h;
}

std::vector<Colour> ReadPalette(Span file, const Header& h, std::size_t dataOffset) {
  if (h.bitCount > 8) {
    return {};
  }
  const std::size_t full = std::size_t{1} << h.bitCount;
  std::size_t count = h.colorsUsed == 0 ? full : std::min<std::size_t>(h.colorsUsed, full);
  // A palette never reaches into the pixel data; files whose colour count says more than the space
  // before the pixels hold get the entries that are there.
  if (dataOffset >= h.headerEnd) {
    count = std::min(count, (dataOffset - h.headerEnd) / h.paletteEntry);
  }
  if (h.headerEnd + count * h.paletteEntry > file.size()) {
    Damaged("the colour table is cut short");
  }
  std::vector<Colour> palette(count);
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t* p = file.data() + h.headerEnd + i * h.paletteEntry;
    palette[i] = {p[2], p[1], p[0]};
  }
  return palette;
}

// Where file rows go in the picture (file rows count from the bottom unless top-down).
struct PictureRows {
  RgbImage& image;
  bool topDown;

  std::uint8_t* Row(std::int64_t fileRow) const {
    const std::int64_t y = topDown ? fileRow : image.height - 1 - fileRow;
    return image.rgb.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width) * 3;
  }
};

// Writes palette colours into a row; indexes outside the palette are black.
struct Painter {
  const std::vector<Colour>& palette;

  void Index(std::uint8_t* row, std::int64_t x, std::uint32_t index) const {
    const Colour c = index < palette.size() ? palette[index] : Colour{};
    std::uint8_t* p = row + 3 * x;
    p[0] = c.r;
    p[1] = c.g;
    p[2] = c.b;
  }
};

// Checks, before any pixel memory is allocated, that the file holds every row the header declares.
// The last row may lack its padding; everything else must be there.
void CheckUncompressedData(Span file, const Header& h, std::size_t offset) {
  const std::size_t stride = (static_cast<std::size_t>(h.width) * h.bitCount + 31) / 32 * 4;
  const std::size_t rowBytes = (static_cast<std::size_t>(h.width) * h.bitCount + 7) / 8;
  const auto rows = static_cast<std::size_t>(h.height);
  if (offset > file.size() || file.size() - offset < stride * (rows - 1) + rowBytes) {
    Damaged("the pixel data is cut short");
  }
}

// The pixels of uncompressed files, a file row at a time.
class UncompressedRows {
 public:
  UncompressedRows(const Header& h, const std::vector<Colour>& palette)
      : m_h(h),
        m_palette(palette),
        m_rowBytes((static_cast<std::size_t>(h.width) * h.bitCount + 7) / 8),
        m_red(Mask(h, 0)),
        m_green(Mask(h, 1)),
        m_blue(Mask(h, 2)) {}

  // File row in (its pixel bytes) into out, 3 bytes a pixel.
  void Decode(const std::uint8_t* in, std::uint8_t* out) const {
    const Painter painter{m_palette};
    const std::int64_t width = m_h.width;
    switch (m_h.bitCount) {
      case 1:
      case 2:
      case 4:
      case 8:
        for (std::int64_t x = 0; x < width; ++x) {
          const std::size_t bit = static_cast<std::size_t>(x) * m_h.bitCount;
          const unsigned shift = 8 - m_h.bitCount - bit % 8;
          painter.Index(out, x, (in[bit / 8] >> shift) & ((1U << m_h.bitCount) - 1));
        }
        break;
      case 24:
        for (std::int64_t x = 0; x < width; ++x) {
          const std::uint8_t* p = in + 3 * x;
          out[3 * x] = p[2];
          out[3 * x + 1] = p[1];
          out[3 * x + 2] = p[0];
        }
        break;
      default:
        for (std::int64_t x = 0; x < width; ++x) {
          const std::uint32_t v = m_h.bitCount == 16
                                      ? ReadLE16(Span(in, m_rowBytes), 2 * static_cast<std::size_t>(x))
                                      : ReadLE32(Span(in, m_rowBytes), 4 * static_cast<std::size_t>(x));
          out[3 * x] = m_red.Value(v);
          out[3 * x + 1] = m_green.Value(v);
          out[3 * x + 2] = m_blue.Value(v);
        }
        break;
    }
  }

 private:
  static std::uint32_t Mask(const Header& h, std::size_t channel) {
    if (h.hasMasks) {
      return h.masks[channel];
    }
    constexpr std::array<std::uint32_t, 3> k16{0x7C00, 0x03E0, 0x001F};
    constexpr std::array<std::uint32_t, 3> k32{0xFF0000, 0x00FF00, 0x0000FF};
    return h.bitCount == 16 ? k16[channel] : k32[channel];
  }

  const Header& m_h;
  const std::vector<Colour>& m_palette;
  std::size_t m_rowBytes;
  Channel m_red;
  Channel m_green;
  Channel m_blue;
};

std::size_t Stride(const Header& h) {
  return (static_cast<std::size_t>(h.width) * h.bitCount + 31) / 32 * 4;
}

void DecodeUncompressed(Span file, const Header& h, std::size_t offset, const std::vector<Colour>& palette,
                        RgbImage& image) {
  const UncompressedRows rows(h, palette);
  const PictureRows picture{image, h.topDown};
  for (std::size_t fileRow = 0; fileRow < static_cast<std::size_t>(h.height); ++fileRow) {
    rows.Decode(file.data() + offset + fileRow * Stride(h), picture.Row(static_cast<std::int64_t>(fileRow)));
  }
}

// RLE8 and RLE4: runs of one index (two alternating indexes for RLE4), absolute runs padded to an
// even byte count, and the escapes end of line, end of bitmap and delta. Pixels the data skips keep
// palette colour 0; runs past the row's end are clipped. The data must reach the end of the bitmap
// (its escape, or the last row). Without a picture the data is only walked and checked, so that a
// file whose compressed data is cut short is refused before the picture is allocated.
void DecodeRle(Span file, const Header& h, std::size_t offset, const PictureRows* picture,
               const Painter& painter) {
  const bool four = h.compression == kRle4;
  if (picture != nullptr) {
    for (std::int64_t y = 0; y < h.height; ++y) {
      std::uint8_t* row = picture->Row(y);
      for (std::int64_t x = 0; x < h.width; ++x) {
        painter.Index(row, x, 0);
      }
    }
  }
  std::size_t at = offset;
  std::int64_t x = 0;
  std::int64_t y = 0;
  const auto put = [&](std::uint32_t index) {
    if (picture != nullptr && x < h.width && y < h.height) {
      painter.Index(picture->Row(y), x, index);
    }
    ++x;
  };
  const auto need = [&](std::size_t n) {
    if (at > file.size() || file.size() - at < n) {
      Damaged("the compressed pixel data is cut short");
    }
  };
  while (y < h.height) {
    need(2);
    const std::uint8_t count = file[at];
    const std::uint8_t value = file[at + 1];
    at += 2;
    if (count > 0) {
      if (picture == nullptr) {
        x = std::min<std::int64_t>(x + count, std::max(x, h.width));
        continue;
      }
      for (unsigned i = 0; i < count && x < h.width; ++i) {
        put(four ? (i % 2 == 0 ? value >> 4 : value & 0x0F) : value);
      }
      continue;
    }
    if (value == 0) {
      x = 0;
      ++y;
    } else if (value == 1) {
      break;
    } else if (value == 2) {
      need(2);
      x += file[at];
      y += file[at + 1];
      at += 2;
    } else {
      const std::size_t bytes = four ? (value + 1U) / 2 : value;
      need(bytes);
      for (unsigned i = 0; i < value && picture != nullptr; ++i) {
        const std::uint8_t b = file[at + (four ? i / 2 : i)];
        put(four ? (i % 2 == 0 ? b >> 4 : b & 0x0F) : b);
      }
      at += bytes + bytes % 2;
    }
  }
}

}  // namespace

namespace {

// A file read up to its pixels: the header and colour table checked, and the pixel data checked to
// be all there, before any pixel memory is allocated.
struct PreparedBmp {
  Header h;
  std::vector<Colour> palette;
  std::size_t offset = 0;
  bool rle = false;
};

PreparedBmp Prepare(Span file, const DecodeLimits& limits) {
  PreparedBmp bmp;
  Header& h = bmp.h;
  h = ReadHeader(file);
  detail::CheckDimensions(h.width, h.height, limits, "The BMP file");
  const std::uint32_t offBits = ReadLE32(file, 10);
  if (offBits > file.size()) {
    Damaged("the pixel data lies outside the file");
  }
  switch (h.compression) {
    case kRgb:
    case kBitFields:
    case kAlphaBitFields:
      if (h.bitCount != 1 && h.bitCount != 2 && h.bitCount != 4 && h.bitCount != 8 && h.bitCount != 16 &&
          h.bitCount != 24 && h.bitCount != 32) {
        Damaged(std::to_string(h.bitCount) + " bits per pixel are not supported");
      }
      if (h.hasMasks && h.bitCount != 16 && h.bitCount != 32) {
        Damaged("colour masks need 16 or 32 bits per pixel");
      }
      break;
    case kRle8:
    case kRle4:
      if (h.bitCount != (h.compression == kRle8 ? 8U : 4U)) {
        Damaged("the compression does not match the bits per pixel");
      }
      break;
    default:
      Damaged("its compression is not supported");
  }
  bmp.palette = ReadPalette(file, h, offBits);
  if (h.bitCount <= 8 && bmp.palette.empty()) {
    Damaged("the colour table is missing");
  }
  // Files that leave the data offset at 0 keep their pixels right after the colour table.
  bmp.offset = offBits != 0 ? offBits : h.headerEnd + bmp.palette.size() * h.paletteEntry;
  bmp.rle = h.compression == kRle8 || h.compression == kRle4;
  // Nothing is allocated for pixels the file does not hold.
  if (bmp.rle) {
    DecodeRle(file, h, bmp.offset, nullptr, Painter{bmp.palette});
  } else {
    CheckUncompressedData(file, h, bmp.offset);
  }
  return bmp;
}

}  // namespace

RgbImage DecodeBmp(Span file, const DecodeLimits& limits) {
  const PreparedBmp bmp = Prepare(file, limits);
  const Header& h = bmp.h;
  RgbImage image = MakeRgbImage(static_cast<std::int32_t>(h.width), static_cast<std::int32_t>(h.height));
  if (bmp.rle) {
    const PictureRows picture{image, h.topDown};
    DecodeRle(file, h, bmp.offset, &picture, Painter{bmp.palette});
  } else {
    DecodeUncompressed(file, h, bmp.offset, bmp.palette, image);
  }
  return image;
}

namespace detail {

bool DecodeBmpByRow(Span file, const DecodeLimits& limits, const RowStartFn& start, const RowFn& row) {
  const PreparedBmp bmp = Prepare(file, limits);
  if (bmp.rle) {
    return false;
  }
  const Header& h = bmp.h;
  const UncompressedRows rows(h, bmp.palette);
  std::vector<std::uint8_t> buffer(3 * static_cast<std::size_t>(h.width));
  start(static_cast<std::int32_t>(h.width), static_cast<std::int32_t>(h.height));
  for (std::int64_t fileRow = 0; fileRow < h.height; ++fileRow) {
    rows.Decode(file.data() + bmp.offset + static_cast<std::size_t>(fileRow) * Stride(h), buffer.data());
    const std::int64_t y = h.topDown ? fileRow : h.height - 1 - fileRow;
    row(static_cast<std::int32_t>(y), buffer.data(), nullptr);
  }
  return true;
}

}  // namespace detail

}  // namespace panelix::picture
