#include <spng.h>
#include <zlib.h>

#include <memory>
#include <string_view>

#include "base/error.h"
#include "picture/decode_checks.h"
#include "picture/decoders.h"

namespace panelix::picture {

namespace detail {

void CheckDimensions(std::int64_t width, std::int64_t height, const DecodeLimits& limits,
                     const std::string& what) {
  if (width <= 0 || height <= 0) {
    throw Error(what + ": the picture has no pixels.");
  }
  if (width > limits.maxSide || height > limits.maxSide || width * height > limits.maxPixels) {
    throw Error(what + ": the picture is too large (" + std::to_string(width) + " x " +
                std::to_string(height) + ").");
  }
}

}  // namespace detail

namespace {

constexpr const char* kPngDamaged = "The PNG file is damaged";

// Deflate stores at most 258 bytes per back-reference of one bit or more, so a compressed stream
// of N bytes inflates to fewer than 1032 * N bytes (plus a little for the stream's own header).
constexpr std::uint64_t kMaxDeflateRatio = 1032;
constexpr std::uint64_t kDeflateSlack = 1024;

struct SpngFree {
  void operator()(spng_ctx* ctx) const { spng_ctx_free(ctx); }
};

[[noreturn]] void Fail(const std::string& reason) {
  throw Error(std::string(kPngDamaged) + ": " + reason + ".");
}

void Check(int status) {
  if (status != 0) {
    Fail(spng_strerror(status));
  }
}

std::uint32_t BigEndian32(const std::uint8_t* p) {
  return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

// Walks the chunks after the signature, checks the CRC of every critical chunk (IHDR, PLTE,
// IDAT, IEND; the decoder itself misses the last IDAT's) and returns the bytes of image data.
// Structure the walk cannot follow (a cut file, a bad signature) is left to the decoder, which
// reports it in its own words.
std::uint64_t CheckChunks(std::span<const std::uint8_t> file) {
  std::uint64_t imageData = 0;
  std::size_t at = 8;
  while (at <= file.size() && file.size() - at >= 12) {
    const std::uint32_t length = BigEndian32(file.data() + at);
    if (length > file.size() - at - 12) {
      break;
    }
    const std::uint8_t* type = file.data() + at + 4;
    const bool critical = (type[0] & 0x20) == 0;
    if (critical) {
      const uLong crc = crc32(crc32(0L, Z_NULL, 0), type, static_cast<uInt>(length + 4));
      if (crc != BigEndian32(type + 4 + length)) {
        Fail("the " + std::string(reinterpret_cast<const char*>(type), 4) + " chunk fails its CRC");
      }
    }
    const std::string_view name(reinterpret_cast<const char*>(type), 4);
    if (name == "IDAT") {
      imageData += length;
    } else if (name == "IEND") {
      break;
    }
    at += std::size_t{12} + length;
  }
  return imageData;
}

// Bytes of filtered image data the header declares: one filter byte per row of every pass.
std::uint64_t DeclaredImageData(const spng_ihdr& ihdr) {
  static constexpr int kChannels[7] = {1, 0, 3, 1, 2, 0, 4};
  const std::uint64_t bits = std::uint64_t{ihdr.bit_depth} * kChannels[ihdr.color_type % 7];
  // Counted as a non-interlaced picture: the seven passes of an interlaced one have at least as
  // many rows and bytes, so this stays a lower bound for them.
  return std::uint64_t{ihdr.height} * (1 + (std::uint64_t{ihdr.width} * bits + 7) / 8);
}

}  // namespace

PngPicture DecodePng(std::span<const std::uint8_t> file, const DecodeLimits& limits) {
  // Every critical chunk's CRC is checked here, so the decoder skips its own checks of them and of
  // the zlib stream's checksum, which guards the same bytes.
  std::unique_ptr<spng_ctx, SpngFree> ctx(spng_ctx_new(SPNG_CTX_IGNORE_ADLER32));
  if (!ctx) {
    Fail("out of memory");
  }
  // Ancillary chunks are not needed; keep their memory bounded for hostile files.
  spng_set_chunk_limits(ctx.get(), 1 << 20, 1 << 22);
  spng_set_crc_action(ctx.get(), SPNG_CRC_USE, SPNG_CRC_DISCARD);
  Check(spng_set_png_buffer(ctx.get(), file.data(), file.size()));
  Check(spng_set_image_limits(ctx.get(), static_cast<std::uint32_t>(limits.maxSide),
                              static_cast<std::uint32_t>(limits.maxSide)));
  spng_ihdr ihdr{};
  Check(spng_get_ihdr(ctx.get(), &ihdr));
  detail::CheckDimensions(ihdr.width, ihdr.height, limits, "The PNG file");
  const std::uint64_t imageData = CheckChunks(file);
  // Allocate only for pixels the file can hold.
  if (DeclaredImageData(ihdr) > imageData * kMaxDeflateRatio + kDeflateSlack) {
    Fail(spng_strerror(SPNG_EIDAT_TOO_SHORT));
  }

  PngPicture png;
  png.colorType = ihdr.color_type;
  const bool hasAlpha = ihdr.color_type >= 4;
  png.image = MakeRgbImage(static_cast<std::int32_t>(ihdr.width), static_cast<std::int32_t>(ihdr.height));
  // No SPNG_DECODE_TRNS: a tRNS chunk never turns into alpha; no gamma correction either.
  // Rows are decoded one at a time straight into the picture (and, with alpha, split while the
  // row is in cache), so no second buffer of the whole picture is needed.
  const auto format = hasAlpha ? SPNG_FMT_RGBA8 : SPNG_FMT_RGB8;
  Check(spng_decode_image(ctx.get(), nullptr, 0, format, SPNG_DECODE_PROGRESSIVE));
  const std::size_t width = ihdr.width;
  std::vector<std::uint8_t> rgba;
  if (hasAlpha) {
    png.image.alpha.resize(width * ihdr.height);
    // Interlaced pictures fill each row in several passes, so they keep whole RGBA rows.
    rgba.resize(4 * width * (ihdr.interlace_method != 0 ? ihdr.height : 1));
  }
  for (;;) {
    spng_row_info row{};
    Check(spng_get_row_info(ctx.get(), &row));
    const std::size_t y = row.row_num;
    if (!hasAlpha) {
      const int status = spng_decode_row(ctx.get(), png.image.rgb.data() + 3 * width * y, 3 * width);
      if (status == SPNG_EOI) {
        break;
      }
      Check(status);
      continue;
    }
    std::uint8_t* in = rgba.data() + (ihdr.interlace_method != 0 ? 4 * width * y : 0);
    const int status = spng_decode_row(ctx.get(), in, 4 * width);
    if (status != SPNG_EOI) {
      Check(status);
    }
    std::uint8_t* out = png.image.rgb.data() + 3 * width * y;
    std::uint8_t* alpha = png.image.alpha.data() + width * y;
    for (std::size_t x = 0; x < width; ++x) {
      out[3 * x] = in[4 * x];
      out[3 * x + 1] = in[4 * x + 1];
      out[3 * x + 2] = in[4 * x + 2];
      alpha[x] = in[4 * x + 3];
    }
    if (status == SPNG_EOI) {
      break;
    }
  }
  return png;
}

}  // namespace panelix::picture
