#include "readback/extract.h"

#include <spng.h>

#include <array>
#include <cstdio>
#include <memory>

#include "base/bytes.h"
#include "base/error.h"
#include "base/files.h"
#include "bootloader/command_flags.h"
#include "bootloader/register_script.h"

namespace panelix::inspect {

namespace {

std::uint8_t Widen(std::uint32_t value, int bits) {
  // Bit replication: the top bits repeat into the low ones, so 0 stays 0 and full scale is 255.
  std::uint32_t wide = value << (8 - bits);
  for (int shift = bits; shift < 8; shift += bits) {
    wide |= (value << (8 - bits)) >> shift;
  }
  return static_cast<std::uint8_t>(wide);
}

std::uint64_t PaddedWidth(std::uint64_t width, std::uint64_t multiple) {
  return (width + multiple - 1) / multiple * multiple;
}

std::uint64_t RowBytes(std::uint32_t width, const PictureLayout& layout) {
  switch (layout.format) {
    case StoredFormat::R5G6B5:
    case StoredFormat::Argb4444:
      return 2 * (layout.rowPadding ? PaddedWidth(width, 4) : width);
    case StoredFormat::R8G8B8:
      return 3 * (layout.rowPadding ? PaddedWidth(width, 4) : width);
    case StoredFormat::BlackWhite:
      return layout.rowPadding ? 4 * ((width + 31) / 32) : (width + 7) / 8;
  }
  return 0;
}

// The hexadecimal digits 0-F as 3 x 5 pixel glyphs, one row of three bits a line, for the proof
// sheet's labels.
constexpr std::array<std::array<std::uint8_t, 5>, 16> kDigits{{{7, 5, 5, 5, 7},
                                                               {2, 6, 2, 2, 7},
                                                               {7, 1, 7, 4, 7},
                                                               {7, 1, 7, 1, 7},
                                                               {5, 5, 7, 1, 1},
                                                               {7, 4, 7, 1, 7},
                                                               {7, 4, 7, 5, 7},
                                                               {7, 1, 1, 1, 1},
                                                               {7, 5, 7, 5, 7},
                                                               {7, 5, 7, 1, 7},
                                                               {7, 5, 7, 5, 5},
                                                               {6, 5, 6, 5, 6},
                                                               {7, 4, 4, 4, 7},
                                                               {6, 5, 5, 5, 6},
                                                               {7, 4, 6, 4, 7},
                                                               {7, 4, 6, 4, 4}}};

void Put(Rgba& picture, std::uint32_t x, std::uint32_t y, std::array<std::uint8_t, 3> rgb) {
  if (x < picture.width && y < picture.height) {
    std::uint8_t* p = &picture.pixels[(static_cast<std::size_t>(y) * picture.width + x) * 4];
    p[0] = rgb[0];
    p[1] = rgb[1];
    p[2] = rgb[2];
    p[3] = 255;
  }
}

Rgba Blank(std::uint32_t width, std::uint32_t height, std::uint8_t level) {
  Rgba picture{width, height, std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height * 4, level)};
  for (std::size_t i = 3; i < picture.pixels.size(); i += 4) {
    picture.pixels[i] = 255;
  }
  return picture;
}

std::string FourDigits(int number) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d", number);
  return text;
}

}  // namespace

std::optional<PictureLayout> InferLayout(std::uint32_t width, std::uint32_t height, std::uint64_t length,
                                         StoredFormat twoByte) {
  for (const StoredFormat format : {twoByte, StoredFormat::R8G8B8, StoredFormat::BlackWhite}) {
    for (const bool padding : {false, true}) {
      if (RowBytes(width, {format, padding}) * height == length) {
        return PictureLayout{format, padding};
      }
    }
  }
  return std::nullopt;
}

Rgba DecodePicture(std::span<const std::uint8_t> bytes, std::uint32_t width, std::uint32_t height,
                   const PictureLayout& layout) {
  Rgba picture = Blank(width, height, 0);
  const std::uint64_t rowBytes = RowBytes(width, layout);
  for (std::uint32_t y = 0; y < height; ++y) {
    const std::span<const std::uint8_t> row = bytes.subspan(static_cast<std::size_t>(y * rowBytes), rowBytes);
    for (std::uint32_t x = 0; x < width; ++x) {
      std::uint8_t* p = &picture.pixels[(static_cast<std::size_t>(y) * width + x) * 4];
      switch (layout.format) {
        case StoredFormat::R5G6B5: {
          const std::uint32_t v = ReadLE16(row, 2 * x);
          p[0] = Widen(v >> 11, 5);
          p[1] = Widen((v >> 5) & 0x3F, 6);
          p[2] = Widen(v & 0x1F, 5);
          break;
        }
        case StoredFormat::Argb4444: {
          const std::uint32_t v = ReadLE16(row, 2 * x);
          p[3] = Widen(v >> 12, 4);
          p[0] = Widen((v >> 8) & 0xF, 4);
          p[1] = Widen((v >> 4) & 0xF, 4);
          p[2] = Widen(v & 0xF, 4);
          break;
        }
        case StoredFormat::R8G8B8:
          // "RGB" order stores the colour as 0xRRGGBB little-endian: B, G, R.
          p[0] = row[3 * x + 2];
          p[1] = row[3 * x + 1];
          p[2] = row[3 * x];
          break;
        case StoredFormat::BlackWhite: {
          const bool black = (row[x / 8] >> (7 - x % 8)) & 1;
          p[0] = p[1] = p[2] = black ? 0 : 255;
          break;
        }
      }
    }
  }
  return picture;
}

std::vector<std::uint8_t> EncodePng(const Rgba& picture) {
  const bool opaque = [&] {
    for (std::size_t i = 3; i < picture.pixels.size(); i += 4) {
      if (picture.pixels[i] != 255) {
        return false;
      }
    }
    return true;
  }();
  std::vector<std::uint8_t> rgb;
  if (opaque) {
    rgb.reserve(picture.pixels.size() / 4 * 3);
    for (std::size_t i = 0; i < picture.pixels.size(); i += 4) {
      rgb.insert(rgb.end(), {picture.pixels[i], picture.pixels[i + 1], picture.pixels[i + 2]});
    }
  }
  const std::vector<std::uint8_t>& data = opaque ? rgb : picture.pixels;
  std::unique_ptr<spng_ctx, decltype(&spng_ctx_free)> ctx(spng_ctx_new(SPNG_CTX_ENCODER), spng_ctx_free);
  spng_ihdr ihdr{};
  ihdr.width = picture.width;
  ihdr.height = picture.height;
  ihdr.bit_depth = 8;
  ihdr.color_type = opaque ? SPNG_COLOR_TYPE_TRUECOLOR : SPNG_COLOR_TYPE_TRUECOLOR_ALPHA;
  int error = ctx ? spng_set_option(ctx.get(), SPNG_ENCODE_TO_BUFFER, 1) : SPNG_EMEM;
  error = error != 0 ? error : spng_set_ihdr(ctx.get(), &ihdr);
  error = error != 0
              ? error
              : spng_encode_image(ctx.get(), data.data(), data.size(), SPNG_FMT_PNG, SPNG_ENCODE_FINALIZE);
  std::size_t size = 0;
  void* png = error != 0 ? nullptr : spng_get_png_buffer(ctx.get(), &size, &error);
  if (png == nullptr) {
    throw Error(std::string("Can't encode a PNG: ") + spng_strerror(error));
  }
  std::vector<std::uint8_t> bytes(static_cast<std::uint8_t*>(png), static_cast<std::uint8_t*>(png) + size);
  std::free(png);
  return bytes;
}

Rgba CursorPicture(std::span<const std::uint8_t> cursor) {
  // The cursor editor's display colours of the codes 0..3.
  constexpr std::array<std::array<std::uint8_t, 3>, 4> kColours{
      {{255, 0, 0}, {0, 128, 128}, {255, 255, 255}, {0, 0, 0}}};
  constexpr std::uint32_t kSide = 32;
  Rgba picture = Blank(kSide, kSide, 0);
  for (std::uint32_t y = 0; y < kSide; ++y) {
    for (std::uint32_t x = 0; x < kSide; ++x) {
      const std::size_t at = 8 * y + x / 4;
      const int code = at < cursor.size() ? (cursor[at] >> (6 - 2 * (x % 4))) & 3 : 2;
      Put(picture, x, y, kColours[static_cast<std::size_t>(code)]);
    }
  }
  return picture;
}

namespace {

// The glyphs of a font (count glyphs of width x height pixels, width / 8 bytes a row, from
// glyphs) on a grid of 16 columns; each row labelled with label(first glyph of the row).
template <typename Label>
Rgba GlyphSheet(std::span<const std::uint8_t> glyphs, std::uint32_t width, std::uint32_t height,
                std::size_t count, Label label) {
  constexpr std::uint32_t kColumns = 16;
  constexpr std::uint32_t kLabel = 18;  // four 3 x 5 digits and their gaps
  const std::uint32_t rowBytes = width / 8;
  const std::size_t glyphBytes = static_cast<std::size_t>(rowBytes) * height;
  const auto rows = static_cast<std::uint32_t>((count + kColumns - 1) / kColumns);
  const std::uint32_t cellWidth = std::max<std::uint32_t>(rowBytes * 8, 1) + 1;
  const std::uint32_t cellHeight = std::max<std::uint32_t>(height, 6) + 1;
  Rgba sheet = Blank(kLabel + kColumns * cellWidth + 1, rows * cellHeight + 1, 255);
  constexpr std::array<std::uint8_t, 3> kGrid{200, 200, 200};
  for (std::uint32_t r = 0; r <= rows; ++r) {
    for (std::uint32_t x = kLabel; x < sheet.width; ++x) {
      Put(sheet, x, r * cellHeight, kGrid);
    }
  }
  for (std::uint32_t c = 0; c <= kColumns; ++c) {
    for (std::uint32_t y = 0; y < sheet.height; ++y) {
      Put(sheet, kLabel + c * cellWidth, y, kGrid);
    }
  }
  for (std::size_t g = 0; g < count && (g + 1) * glyphBytes <= glyphs.size(); ++g) {
    const auto x0 = static_cast<std::uint32_t>(kLabel + (g % kColumns) * cellWidth + 1);
    const auto y0 = static_cast<std::uint32_t>((g / kColumns) * cellHeight + 1);
    for (std::uint32_t y = 0; y < height; ++y) {
      for (std::uint32_t x = 0; x < rowBytes * 8; ++x) {
        if ((glyphs[g * glyphBytes + y * rowBytes + x / 8] >> (7 - x % 8)) & 1) {
          Put(sheet, x0 + x, y0 + y, {0, 0, 0});
        }
      }
    }
  }
  for (std::uint32_t r = 0; r < rows; ++r) {
    const std::uint32_t text = label(static_cast<std::size_t>(r) * kColumns);
    for (std::uint32_t d = 0; d < 4; ++d) {
      const auto& digit = kDigits[(text >> (4 * (3 - d))) & 0xF];
      for (std::uint32_t y = 0; y < 5; ++y) {
        for (std::uint32_t x = 0; x < 3; ++x) {
          if ((digit[y] >> (2 - x)) & 1) {
            Put(sheet, 1 + d * 4 + x, r * cellHeight + 2 + y, {0, 0, 160});
          }
        }
      }
    }
  }
  return sheet;
}

}  // namespace

Rgba FontProofSheet(std::span<const std::uint8_t> font, int size) {
  // A String Bin font: "CX9xFont", N, W', H', the code table, the glyphs; rows are labelled with
  // the code of their first character.
  if (font.size() >= 12 && std::equal(font.begin(), font.begin() + 8, "CX9xFont")) {
    const std::size_t count = ReadBE16(font, 8);
    const std::size_t table = 12;
    const std::size_t glyphs = std::min(font.size(), table + 2 * count);
    return GlyphSheet(font.subspan(glyphs), font[10], font[11], count, [&](std::size_t i) {
      return table + 2 * i + 2 <= font.size() ? ReadBE16(font, table + 2 * i) : 0;
    });
  }
  // A library or ASCII font: glyphs of size x size, rows labelled with the index of their first
  // glyph.
  const auto side = static_cast<std::uint32_t>(std::max(size, 1));
  const std::size_t glyphBytes = static_cast<std::size_t>(side / 8) * side;
  const std::size_t count = glyphBytes == 0 ? 0 : font.size() / glyphBytes;
  return GlyphSheet(font, side, side, count, [](std::size_t i) { return static_cast<std::uint32_t>(i); });
}

std::vector<std::uint8_t> WavFile(std::span<const std::uint8_t> samples, int channels, int bits, int rate) {
  std::vector<std::uint8_t> wav{'R', 'I', 'F', 'F'};
  AppendLE32(wav, static_cast<std::uint32_t>(36 + samples.size()));
  wav.insert(wav.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  AppendLE32(wav, 16);
  AppendLE16(wav, 1);
  AppendLE16(wav, static_cast<std::uint32_t>(channels));
  AppendLE32(wav, static_cast<std::uint32_t>(rate));
  AppendLE32(wav, static_cast<std::uint32_t>(rate * channels * bits / 8));
  AppendLE16(wav, static_cast<std::uint32_t>(channels * bits / 8));
  AppendLE16(wav, static_cast<std::uint32_t>(bits));
  wav.insert(wav.end(), {'d', 'a', 't', 'a'});
  AppendLE32(wav, static_cast<std::uint32_t>(samples.size()));
  wav.insert(wav.end(), samples.begin(), samples.end());
  return wav;
}

ExtractResult ExtractImage(const ImageFile& file, const Inspection& in, const ExtractOptions& options,
                           const MessageFn& message, const ProgressFn& progress) {
  std::filesystem::create_directories(options.folder);
  ExtractResult result;
  const auto write = [&](const std::string& name, std::span<const std::uint8_t> bytes) {
    WriteFileReplacing(options.folder / name, bytes, CantOpenMessage(options.folder / name));
    ++result.files;
  };
  const auto read = [&](std::uint64_t address,
                        std::uint64_t length) -> std::optional<std::vector<std::uint8_t>> {
    if (address > file.Size() || length > file.Size() - address) {
      return std::nullopt;
    }
    result.bytesRead += length;
    return file.Read(address, static_cast<std::size_t>(length));
  };
  const StoredFormat twoByte = options.twoByte.value_or(StoredFormat::R5G6B5);
  const auto total = static_cast<std::int64_t>(in.pictures.size());
  for (const PictureRow& row : in.pictures) {
    const std::string name = "picture-" + FourDigits(row.number) + ".png";
    const auto layout = InferLayout(row.entry.width, row.entry.height, row.entry.length, twoByte);
    const auto bytes = layout ? read(row.entry.address, row.entry.length) : std::nullopt;
    if (!layout || !bytes) {
      message(name + ": " + (layout ? "lies outside the file" : "its size fits no pixel format") +
              ", skipped");
      continue;
    }
    write(name, EncodePng(DecodePicture(*bytes, row.entry.width, row.entry.height, *layout)));
    if (!progress(row.number + 1, total)) {
      return result;
    }
  }
  for (const FontRow& row : in.fonts) {
    if (const auto bytes = read(row.entry.address, row.entry.length)) {
      write("font-slot" + std::to_string(row.slot) + ".png",
            EncodePng(FontProofSheet(*bytes, row.entry.sizeCode)));
    }
  }
  for (std::size_t i = 0; i < in.cursors.size(); ++i) {
    if (const auto bytes = read(in.cursors[i].address, in.cursors[i].length)) {
      write("cursor-" + std::to_string(i) + ".png", EncodePng(CursorPicture(*bytes)));
    }
  }
  for (std::size_t i = 0; i < in.sounds.size(); ++i) {
    if (const auto bytes = read(in.sounds[i].address, in.sounds[i].length)) {
      write("sound-" + std::to_string(i) + ".wav",
            WavFile(*bytes, options.soundChannels, options.soundBits, options.soundRate));
    }
  }
  if (in.bootloaderPresent && !in.bootloaderBytes.empty()) {
    std::string text = bootloader::BootloaderHexView(in.bootloaderBytes) + "\r\n";
    if (in.bootloader) {
      text += "// panelix bootloader " + bootloader::BootloaderFlagsText(*in.bootloader) + "\r\n";
    }
    write("bootloader.txt", std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
  }
  return result;
}

}  // namespace panelix::inspect
