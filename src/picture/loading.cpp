#include "picture/loading.h"

#include <algorithm>

#include "base/bounded_read.h"
#include "base/error.h"
#include "base/files.h"
#include "base/numbers.h"
#include "picture/encoders.h"

namespace panelix::picture {

std::int32_t ReadAlphaThreshold(const std::string& text) {
  return std::min(StrToInt(text), 255);
}

void TreatAlphaPixels(std::uint8_t* rgb, const std::uint8_t* alpha, std::size_t pixels, PixelFormat format,
                      std::int32_t threshold) {
  for (std::size_t i = 0; i < pixels; ++i) {
    std::uint8_t* p = rgb + 3 * i;
    if (alpha[i] <= threshold) {
      p[0] = p[1] = p[2] = 0;
    } else if (format == PixelFormat::R5G6B5) {
      // A visible pixel must not turn into the black that marks transparency in 5-6-5.
      if (p[0] < 8 && p[1] < 4 && p[2] < 8) {
        p[0] |= 8;
        p[1] |= 4;
        p[2] |= 8;
      }
    } else if (p[0] <= 1 && p[1] <= 1 && p[2] <= 1) {
      p[0] |= 2;
      p[1] |= 2;
      p[2] |= 2;
    }
  }
}

RgbImage TreatPngAlpha(PngPicture png, PixelFormat format, std::int32_t threshold) {
  if (!png.image.HasAlpha()) {
    return std::move(png.image);
  }
  RgbImage out = std::move(png.image);
  const std::vector<std::uint8_t> alpha = std::move(out.alpha);
  out.alpha.clear();
  TreatAlphaPixels(out.rgb.data(), alpha.data(), alpha.size(), format, threshold);
  return out;
}

std::vector<std::uint8_t> ReadPictureFile(const std::string& path, const ConvertOptions& options) {
  return ReadFileBytesUpTo(path, options.limits.MaxFileBytes(), "Can't open the file " + path);
}

RgbImage LoadPictureBytes(std::span<const std::uint8_t> file, PictureKind kind, const ConvertOptions& options,
                          std::vector<std::string>* warnings) {
  const DecodeLimits& limits = options.limits;
  RgbImage image;
  switch (kind) {
    case PictureKind::Png: {
      // The threshold is read first: an empty field is reported even for a damaged file.
      const std::int32_t threshold = ReadAlphaThreshold(options.alphaThreshold);
      image = TreatPngAlpha(DecodePng(file, limits), options.picture.format, threshold);
      break;
    }
    case PictureKind::Jpeg:
      image = DecodeJpeg(file, limits, warnings);
      break;
    case PictureKind::Bmp:
      image = DecodeBmp(file, limits);
      break;
    case PictureKind::None:
      throw Error(kNotAPicture);
  }
  // Rotation swaps the sides, which can change the row padding: check the size as it will be
  // encoded.
  const bool turned = options.picture.rotation != Rotation::None;
  const std::int32_t w = turned ? image.height : image.width;
  const std::int32_t h = turned ? image.width : image.height;
  CheckedEncodedSize(w, h, options.picture.format, options.picture.rowPadding);
  if (kind == PictureKind::Png && options.argbPng) {
    CheckedEncodedSize(w, h, PixelFormat::R5G6B5, options.picture.rowPadding);
  }
  return image;
}

RgbImage LoadPicture(const std::string& path, const ConvertOptions& options,
                     std::vector<std::string>* warnings) {
  const PictureKind kind = ClassifyPicture(path);
  if (kind == PictureKind::None) {
    throw Error(kNotAPicture);
  }
  const auto bytes = ReadPictureFile(path, options);
  return LoadPictureBytes(bytes, kind, options, warnings);
}

RgbImage RotatePicture(const RgbImage& source, Rotation rotation) {
  if (rotation == Rotation::None) {
    return source;
  }
  const std::int32_t w = source.width;
  const std::int32_t h = source.height;
  RgbImage out = MakeRgbImage(h, w);
  if (source.HasAlpha()) {
    out.alpha.resize(source.alpha.size());
  }
  for (std::int32_t y = 0; y < out.height; ++y) {
    for (std::int32_t x = 0; x < out.width; ++x) {
      // Result (x, y) takes source (y, H-1-x) for a clockwise turn, (W-1-y, x) counter-clockwise.
      const std::int32_t sx = rotation == Rotation::Right90 ? y : w - 1 - y;
      const std::int32_t sy = rotation == Rotation::Right90 ? h - 1 - x : x;
      const std::uint8_t* from = source.Pixel(sx, sy);
      std::uint8_t* to = out.Pixel(x, y);
      to[0] = from[0];
      to[1] = from[1];
      to[2] = from[2];
      if (source.HasAlpha()) {
        out.alpha[out.PixelIndex(x, y)] = source.alpha[source.PixelIndex(sx, sy)];
      }
    }
  }
  return out;
}

RgbImage RotatePicture(RgbImage&& source, Rotation rotation) {
  if (rotation == Rotation::None) {
    return std::move(source);
  }
  return RotatePicture(static_cast<const RgbImage&>(source), rotation);
}

bool LoadPreview(Preview& preview, const std::string& path, const ConvertOptions& options) {
  preview.path = path;
  preview.kind = ClassifyPicture(path);
  if (preview.kind == PictureKind::None) {
    return false;
  }
  const Rotation rotation = options.picture.rotation;
  std::vector<std::string> warnings;
  RgbImage loaded = RotatePicture(LoadPicture(path, options, &warnings), rotation);
  preview.image = std::move(loaded);
  preview.rotation = rotation;
  preview.warnings = std::move(warnings);
  return true;
}

}  // namespace panelix::picture
