// PNG and JPEG decoding of damaged and hostile files: CRCs, image data the file cannot hold, data
// that ends early, and the warnings a JPEG decodes with.
#include <turbojpeg.h>
#include <zlib.h>

#include <gtest/gtest.h>

#include <string>

#include "base/error.h"
#include "fixtures.h"
#include "picture/decode_checks.h"
#include "picture/decoders.h"

namespace panelix::picture {
namespace {

using fx::Bytes;

// Limits that let the large headers below through, so the data rules are what refuses them.
const DecodeLimits kWide{65535, std::int64_t{1} << 28};

std::uint32_t Be32(const Bytes& b, std::size_t at) {
  return (std::uint32_t{b[at]} << 24) | (std::uint32_t{b[at + 1]} << 16) | (std::uint32_t{b[at + 2]} << 8) |
         b[at + 3];
}

void PutBe32(Bytes& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) {
    b[at + i] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
  }
}

// Offset of the last chunk of a type in a PNG file.
std::size_t LastChunk(const Bytes& png, const std::string& type) {
  std::size_t found = 0;
  for (std::size_t at = 8; at + 12 <= png.size(); at += 12 + Be32(png, at)) {
    if (std::string(png.begin() + static_cast<std::ptrdiff_t>(at) + 4,
                    png.begin() + static_cast<std::ptrdiff_t>(at) + 8) == type) {
      found = at;
    }
  }
  return found;
}

// A chunk with a correct CRC.
Bytes Chunk(const std::string& type, const Bytes& data) {
  Bytes chunk(8 + data.size() + 4);
  PutBe32(chunk, 0, static_cast<std::uint32_t>(data.size()));
  std::copy(type.begin(), type.end(), chunk.begin() + 4);
  std::copy(data.begin(), data.end(), chunk.begin() + 8);
  PutBe32(chunk, 8 + data.size(), static_cast<std::uint32_t>(crc32(0, chunk.data() + 4, 4 + data.size())));
  return chunk;
}

// A noisy RGB picture, so the files have real entropy-coded data.
RgbImage Noise(std::int32_t w, std::int32_t h) {
  RgbImage image = MakeRgbImage(w, h);
  std::uint32_t state = 12345;
  for (auto& v : image.rgb) {
    state = state * 1664525U + 1013904223U;
    v = static_cast<std::uint8_t>((state >> 24) / 2 + 64);
  }
  return image;
}

void ExpectDamaged(const std::function<void()>& decode, const std::string& prefix, const std::string& part) {
  try {
    decode();
    ADD_FAILURE() << "accepted";
  } catch (const Error& e) {
    const std::string text = e.what();
    EXPECT_EQ(text.rfind(prefix, 0), 0U) << text;
    EXPECT_NE(text.find(part), std::string::npos) << text;
  }
}

TEST(PngDecoding, CriticalChunksThatFailTheirCrcAndDataTheFileCannotHold) {
  const RgbImage noise = Noise(16, 64);
  const Bytes rgb = fx::EncodePng(16, 64, 2, noise.rgb);
  const Bytes indexed = fx::EncodePng(2, 1, 3, Bytes{0, 1}, 8, {{1, 2, 3, 255}, {4, 5, 6, 255}});
  const auto flipCrc = [](Bytes file, const std::string& type) {
    const std::size_t at = LastChunk(file, type);
    file[at + 8 + Be32(file, at)] ^= 1;
    return file;
  };
  // A header declaring 16000 x 16000 pixels and no image data at all (45 bytes).
  Bytes header(rgb.begin(), rgb.begin() + 33);
  PutBe32(header, 16, 16000);
  PutBe32(header, 20, 16000);
  PutBe32(header, 29, static_cast<std::uint32_t>(crc32(0, header.data() + 12, 17)));
  const Bytes iend = Chunk("IEND", {});
  header.insert(header.end(), iend.begin(), iend.end());
  ASSERT_EQ(header.size(), 45U);
  // The same header with one small IDAT: far more pixels than deflate can expand it to.
  Bytes small(header.begin(), header.begin() + 33);
  const Bytes idat = Chunk("IDAT", Bytes{0x78, 0x9C, 0x63, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01});
  small.insert(small.end(), idat.begin(), idat.end());
  small.insert(small.end(), iend.begin(), iend.end());
  struct Case {
    const char* name;
    Bytes file;
    const char* part;
  };
  const Case cases[] = {
      {"last IDAT", flipCrc(rgb, "IDAT"), "the IDAT chunk fails its CRC"},
      {"PLTE", flipCrc(indexed, "PLTE"), "the PLTE chunk fails its CRC"},
      {"IEND", flipCrc(rgb, "IEND"), "the IEND chunk fails its CRC"},
      {"header only", header, "The PNG file is damaged: "},
      {"too little data", small, "The PNG file is damaged: "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ExpectDamaged([&] { DecodePng(c.file, kWide); }, "The PNG file is damaged: ", c.part);
  }
  // An ancillary chunk with a bad CRC is dropped; the picture still decodes.
  Bytes withText(rgb.begin(), rgb.begin() + 33);
  Bytes text = Chunk("tEXt", Bytes{'a', 0, 'b'});
  text.back() ^= 1;
  withText.insert(withText.end(), text.begin(), text.end());
  withText.insert(withText.end(), rgb.begin() + 33, rgb.end());
  EXPECT_EQ(DecodePng(withText).image.rgb, noise.rgb);
}

TEST(PngDecoding, RowsOfEveryLayoutArriveInPlace) {
  // Truecolour with alpha and grey, plain and interlaced: the same pixels either way.
  const RgbImage noise = Noise(13, 11);
  Bytes rgba;
  Bytes grey;
  for (std::size_t i = 0; i < noise.rgb.size(); i += 3) {
    rgba.insert(rgba.end(), {noise.rgb[i], noise.rgb[i + 1], noise.rgb[i + 2], noise.rgb[i + 1]});
    grey.push_back(noise.rgb[i]);
  }
  for (const std::uint8_t interlace : {0, 1}) {
    SCOPED_TRACE(static_cast<int>(interlace));
    const PngPicture withAlpha = DecodePng(fx::EncodePng(13, 11, 6, rgba, 8, {}, {}, interlace));
    EXPECT_EQ(withAlpha.image.rgb, noise.rgb);
    ASSERT_EQ(withAlpha.image.alpha.size(), 13U * 11U);
    EXPECT_EQ(withAlpha.image.alpha[14], noise.rgb[3 * 14 + 1]);
    const PngPicture plain = DecodePng(fx::EncodePng(13, 11, 0, grey, 8, {}, {}, interlace));
    EXPECT_EQ(plain.image.rgb[3 * 20 + 2], grey[20]);
    EXPECT_FALSE(plain.image.HasAlpha());
  }
}

// A PNG file around a zlib stream of image data: the header, the stream cut into IDAT chunks of at
// most piece bytes (with the chunks of between after the first one), and IEND.
Bytes PngAround(std::uint32_t w, std::uint32_t h, std::uint8_t colorType, std::uint8_t depth,
                std::uint8_t interlace, const Bytes& stream, std::size_t piece, const Bytes& between = {}) {
  Bytes file{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  Bytes ihdr(13);
  PutBe32(ihdr, 0, w);
  PutBe32(ihdr, 4, h);
  ihdr[8] = depth;
  ihdr[9] = colorType;
  ihdr[12] = interlace;
  const auto add = [&](const Bytes& chunk) { file.insert(file.end(), chunk.begin(), chunk.end()); };
  add(Chunk("IHDR", ihdr));
  for (std::size_t at = 0; at < stream.size(); at += piece) {
    const auto from = stream.begin() + static_cast<std::ptrdiff_t>(at);
    add(Chunk("IDAT", Bytes(from, from + static_cast<std::ptrdiff_t>(std::min(piece, stream.size() - at)))));
    if (at == 0) {
      add(between);
    }
  }
  add(Chunk("IEND", {}));
  return file;
}

Bytes Join(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

Bytes Deflate(const Bytes& raw, int level = 6, int strategy = Z_DEFAULT_STRATEGY, int windowBits = 15) {
  z_stream z{};
  deflateInit2(&z, level, Z_DEFLATED, windowBits, 8, strategy);
  Bytes out(deflateBound(&z, static_cast<uLong>(raw.size())));
  z.next_in = const_cast<std::uint8_t*>(raw.data());
  z.avail_in = static_cast<uInt>(raw.size());
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

// A zlib stream of one block of the fixed codes holding the given codes (value, bit count), each
// written first bit first as deflate writes codes, then the end of the block.
Bytes FixedCodeStream(const std::vector<std::pair<unsigned, int>>& codes) {
  Bytes out{0x78, 0x9C, 0};
  int bit = 0;
  const auto put = [&](unsigned value, int count, bool firstBitFirst) {
    for (int i = 0; i < count; ++i) {
      const unsigned b = firstBitFirst ? (value >> (count - 1 - i)) & 1 : (value >> i) & 1;
      out.back() = static_cast<std::uint8_t>(out.back() | (b << bit));
      if (++bit == 8) {
        out.push_back(0);
        bit = 0;
      }
    }
  };
  put(3, 3, false);  // the last block, of the fixed codes
  for (const auto& [value, count] : codes) {
    put(value, count, true);
  }
  put(0, 7, true);  // end of block
  return out;
}

// Rows of filtered image data: each row's filter byte from filters (in turn), then noise of eight
// values, which the compressor codes with codes of its own rather than the fixed ones.
Bytes RawRows(std::size_t rows, std::size_t rowBytes, const Bytes& filters) {
  Bytes raw;
  std::uint32_t state = 99;
  for (std::size_t y = 0; y < rows; ++y) {
    raw.push_back(filters[y % filters.size()]);
    for (std::size_t i = 0; i < rowBytes; ++i) {
      state = state * 1664525U + 1013904223U;
      raw.push_back(static_cast<std::uint8_t>((state >> 29) * 37));
    }
  }
  return raw;
}

TEST(PngDecoding, OneCallPathGivesTheRowDecodersPixelsAndErrors) {
  struct Case {
    std::string name;
    Bytes file;
    bool inOneCall;  // whether the one-call path should take the file
    bool refused = false;
  };
  std::vector<Case> cases;
  constexpr std::uint32_t kRows = 32;
  const Bytes allFilters{0, 1, 2, 3, 4};
  for (const std::uint8_t colorType : {2, 6}) {
    const std::size_t channels = colorType == 6 ? 4 : 3;
    for (const std::uint32_t w : {1U, 5U, 13U}) {
      const std::string layout = "type " + std::to_string(colorType) + " width " + std::to_string(w) + ": ";
      const std::size_t rowBytes = channels * w;
      const auto png = [&](const Bytes& stream, std::size_t piece = 1 << 20, const Bytes& between = {}) {
        return PngAround(w, kRows, colorType, 8, 0, stream, piece, between);
      };
      for (const std::uint8_t f : allFilters) {
        cases.push_back(
            {layout + "filter " + std::to_string(f), png(Deflate(RawRows(kRows, rowBytes, {f}))), true});
      }
      cases.push_back({layout + "Average rows in runs of three",
                       png(Deflate(RawRows(kRows, rowBytes, {3, 3, 3, 4}))), true});
      const Bytes raw = RawRows(kRows, rowBytes, allFilters);
      const Bytes stream = Deflate(raw);
      cases.push_back({layout + "every filter", png(stream), true});
      cases.push_back(
          {layout + "IDATs of 7 bytes and an empty one", png(stream, 7, Chunk("IDAT", {})), true});
      cases.push_back({layout + "stored blocks", png(Deflate(raw, 0)), true});
      cases.push_back({layout + "fixed codes", png(Deflate(raw, 6, Z_FIXED)), true});
      // After a filter byte of 0: length code 286, and a copy from distance code 30; both reserved.
      cases.push_back(
          {layout + "a reserved length code", png(FixedCodeStream({{0x30, 8}, {0xC6, 8}})), false, true});
      cases.push_back({layout + "a reserved distance code",
                       png(FixedCodeStream({{0x30, 8}, {0x30, 8}, {1, 7}, {30, 5}})), false, true});
      Bytes trailing = stream;
      trailing.insert(trailing.end(), {1, 2, 3});
      cases.push_back({layout + "bytes after the stream", png(trailing), true});
      Bytes badChecksum = stream;
      badChecksum.back() ^= 1;
      cases.push_back({layout + "wrong checksum", png(badChecksum), true});
      cases.push_back({layout + "no checksum", png(Bytes(stream.begin(), stream.end() - 4)), true});
      cases.push_back(
          {layout + "a chunk after the whole stream, then a stray IDAT",
           png(stream, stream.size(), Join(Chunk("tEXt", Bytes{'a', 0, 'b'}), Chunk("IDAT", {1}))), true});
      // Files the one-call path leaves to the row decoder, which accepts or refuses them its way.
      cases.push_back({layout + "a window of 512 bytes", png(Deflate(raw, 6, Z_DEFAULT_STRATEGY, 9)), false});
      cases.push_back(
          {layout + "one row too many", png(Deflate(RawRows(kRows + 1, rowBytes, allFilters))), false});
      cases.push_back(
          {layout + "one row too few", png(Deflate(RawRows(kRows - 1, rowBytes, allFilters))), false, true});
      cases.push_back(
          {layout + "unknown filter", png(Deflate(RawRows(kRows, rowBytes, {0, 1, 2, 5}))), false, true});
      cases.push_back({layout + "a chunk inside the stream",
                       png(stream, 9, Chunk("tEXt", Bytes{'a', 0, 'b'})), false, true});
      Bytes garbled = stream;
      garbled[garbled.size() / 2] ^= 0x5A;
      cases.push_back({layout + "garbled stream", png(garbled), false, true});
      Bytes dictionary = stream;
      dictionary[1] = static_cast<std::uint8_t>((dictionary[1] & 0xC0) | 0x20);
      dictionary[1] =
          static_cast<std::uint8_t>(dictionary[1] + (31 - (dictionary[0] * 256 + dictionary[1]) % 31) % 31);
      cases.push_back({layout + "preset dictionary", png(dictionary), false, true});
      Bytes cut = png(stream);
      cut.resize(33 + 8 + stream.size() / 2);
      cases.push_back({layout + "cut inside the stream", cut, false, true});
    }
  }
  // Other layouts always go row by row.
  const RgbImage noise = Noise(9, 5);
  Bytes grey(noise.rgb.begin(), noise.rgb.begin() + 45);
  cases.push_back({"grey", fx::EncodePng(9, 5, 0, grey), false});
  cases.push_back(
      {"indexed", fx::EncodePng(2, 1, 3, Bytes{0, 1}, 8, {{1, 2, 3, 255}, {4, 5, 6, 255}}), false});
  cases.push_back({"16-bit", PngAround(3, 2, 2, 16, 0, Deflate(RawRows(2, 18, {1})), 1 << 20), false});
  cases.push_back({"interlaced", fx::EncodePng(9, 5, 2, noise.rgb, 8, {}, {}, 1), false});

  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string rowsError;
    std::string fastError;
    PngPicture rows;
    PngPicture fast;
    bool inOneCall = false;
    try {
      rows = detail::DecodePngVia(c.file, {}, detail::PngPath::RowsOnly);
    } catch (const Error& e) {
      rowsError = e.what();
    }
    try {
      fast = detail::DecodePngVia(c.file, {}, detail::PngPath::Any, &inOneCall);
    } catch (const Error& e) {
      fastError = e.what();
    }
    EXPECT_EQ(inOneCall, c.inOneCall);
    EXPECT_EQ(fastError, rowsError);
    EXPECT_EQ(!rowsError.empty(), c.refused) << rowsError;
    EXPECT_EQ(fast.colorType, rows.colorType);
    EXPECT_EQ(fast.image.width, rows.image.width);
    EXPECT_EQ(fast.image.height, rows.image.height);
    EXPECT_EQ(fast.image.rgb, rows.image.rgb);
    EXPECT_EQ(fast.image.alpha, rows.image.alpha);
  }
}

TEST(JpegDecoding, SameBytesAsTheOneCallDecoder) {
  const Bytes jpeg = fx::EncodeJpeg(Noise(37, 21), 80, TJSAMP_420);
  tjhandle handle = tjInitDecompress();
  Bytes expected(37 * 21 * 3);
  ASSERT_EQ(tjDecompress2(handle, jpeg.data(), jpeg.size(), expected.data(), 37, 37 * 3, 21, TJPF_RGB, 0), 0);
  tjDestroy(handle);
  std::vector<std::string> warnings;
  EXPECT_EQ(DecodeJpeg(jpeg, {}, &warnings).rgb, expected);
  EXPECT_TRUE(warnings.empty());
}

TEST(JpegDecoding, DataEndingInTheFirstScanFailsAndLaterDamageWarns) {
  const RgbImage noise = Noise(64, 64);
  const Bytes baseline = fx::EncodeJpeg(noise, 90);
  // Cut in the middle of the only scan.
  const Bytes cut(baseline.begin(), baseline.begin() + static_cast<std::ptrdiff_t>(baseline.size() / 4));
  ExpectDamaged([&] { DecodeJpeg(cut); }, "The JPEG file is damaged: ", "Premature end of JPEG file");
  // A header declaring 16383 x 16383 pixels followed by a few bytes of scan data.
  Bytes huge = cut;
  for (std::size_t i = 0; i + 8 < huge.size(); ++i) {
    if (huge[i] == 0xFF && (huge[i + 1] == 0xC0 || huge[i + 1] == 0xC2)) {
      huge[i + 5] = huge[i + 7] = 0x3F;
      huge[i + 6] = huge[i + 8] = 0xFF;
      break;
    }
  }
  ExpectDamaged([&] { DecodeJpeg(huge, kWide); }, "The JPEG file is damaged: ", "Premature end of JPEG file");

  // A progressive file cut after its first scan still gives a whole (blurred) picture.
  tjhandle handle = tjInitCompress();
  unsigned char* out = nullptr;
  unsigned long size = 0;
  ASSERT_EQ(tjCompress2(handle, noise.rgb.data(), 64, 64 * 3, 64, TJPF_RGB, &out, &size, TJSAMP_444, 90,
                        TJFLAG_PROGRESSIVE),
            0);
  const Bytes progressive(out, out + size);
  tjFree(out);
  tjDestroy(handle);
  std::size_t secondScan = 0;
  for (std::size_t i = 0, scans = 0; i + 1 < progressive.size(); ++i) {
    if (progressive[i] == 0xFF && progressive[i + 1] == 0xDA && ++scans == 2) {
      secondScan = i;
      break;
    }
  }
  ASSERT_GT(secondScan, 0U);
  std::vector<std::string> warnings;
  const RgbImage blurred =
      DecodeJpeg(Bytes(progressive.begin(), progressive.begin() + static_cast<std::ptrdiff_t>(secondScan)),
                 {}, &warnings);
  EXPECT_EQ(blurred.rgb.size(), noise.rgb.size());
  EXPECT_EQ(warnings, std::vector<std::string>{"Premature end of JPEG file"});

  // Stray bytes before the scan's marker: a corrupt-data warning, the picture as it was.
  Bytes stray = baseline;
  for (std::size_t i = 0; i + 1 < stray.size(); ++i) {
    if (stray[i] == 0xFF && stray[i + 1] == 0xDA) {
      stray.insert(stray.begin() + static_cast<std::ptrdiff_t>(i), {0x12, 0x34});
      break;
    }
  }
  warnings.clear();
  EXPECT_EQ(DecodeJpeg(stray, {}, &warnings).rgb, DecodeJpeg(baseline).rgb);
  ASSERT_EQ(warnings.size(), 1U);
  EXPECT_EQ(warnings[0].rfind("Corrupt JPEG data: 2 extraneous bytes before marker 0xda", 0), 0U)
      << warnings[0];
}

}  // namespace
}  // namespace panelix::picture
