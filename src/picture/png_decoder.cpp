#include <spng.h>

#include <memory>

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

struct SpngFree {
  void operator()(spng_ctx* ctx) const { spng_ctx_free(ctx); }
};

void Check(int status) {
  if (status != 0) {
    throw Error(std::string(kPngDamaged) + ": " + spng_strerror(status) + ".");
  }
}

}  // namespace

PngPicture DecodePng(std::span<const std::uint8_t> file, const DecodeLimits& limits) {
  std::unique_ptr<spng_ctx, SpngFree> ctx(spng_ctx_new(0));
  if (!ctx) {
    throw Error(std::string(kPngDamaged) + ": out of memory.");
  }
  // Ancillary chunks are not needed; keep their memory bounded for hostile files.
  spng_set_chunk_limits(ctx.get(), 1 << 20, 1 << 22);
  spng_set_crc_action(ctx.get(), SPNG_CRC_ERROR, SPNG_CRC_DISCARD);
  Check(spng_set_png_buffer(ctx.get(), file.data(), file.size()));
  Check(spng_set_image_limits(ctx.get(), static_cast<std::uint32_t>(limits.maxSide),
                              static_cast<std::uint32_t>(limits.maxSide)));
  spng_ihdr ihdr{};
  Check(spng_get_ihdr(ctx.get(), &ihdr));
  detail::CheckDimensions(ihdr.width, ihdr.height, limits, "The PNG file");

  PngPicture png;
  png.colorType = ihdr.color_type;
  const bool hasAlpha = ihdr.color_type >= 4;
  png.image = MakeRgbImage(static_cast<std::int32_t>(ihdr.width), static_cast<std::int32_t>(ihdr.height));
  // No SPNG_DECODE_TRNS: a tRNS chunk never turns into alpha; no gamma correction either.
  if (!hasAlpha) {
    Check(spng_decode_image(ctx.get(), png.image.rgb.data(), png.image.rgb.size(), SPNG_FMT_RGB8, 0));
    return png;
  }
  std::size_t size = 0;
  Check(spng_decoded_image_size(ctx.get(), SPNG_FMT_RGBA8, &size));
  std::vector<std::uint8_t> rgba(size);
  Check(spng_decode_image(ctx.get(), rgba.data(), rgba.size(), SPNG_FMT_RGBA8, 0));
  const std::size_t pixels = static_cast<std::size_t>(ihdr.width) * ihdr.height;
  png.image.alpha.resize(pixels);
  std::uint8_t* out = png.image.rgb.data();
  for (std::size_t i = 0; i < pixels; ++i) {
    out[3 * i] = rgba[4 * i];
    out[3 * i + 1] = rgba[4 * i + 1];
    out[3 * i + 2] = rgba[4 * i + 2];
    png.image.alpha[i] = rgba[4 * i + 3];
  }
  return png;
}

}  // namespace panelix::picture
