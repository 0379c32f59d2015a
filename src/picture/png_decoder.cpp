#include <emmintrin.h>
#include <isa-l/crc.h>
#include <isa-l/igzip_lib.h>
#include <spng.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string_view>
#include <utility>

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

// What the chunk walk found: the bytes of image data in all IDAT chunks, and the data of the first
// run of consecutive, complete IDAT chunks, which is where the decoder reads the image from.
struct ChunkWalk {
  std::uint64_t imageData = 0;
  std::vector<std::span<const std::uint8_t>> firstRun;
};

// Walks the chunks after the signature, checks the CRC of every critical chunk (IHDR, PLTE,
// IDAT, IEND; the decoder itself misses the last IDAT's) and returns what it found.
// Structure the walk cannot follow (a cut file, a bad signature) is left to the decoder, which
// reports it in its own words.
ChunkWalk CheckChunks(std::span<const std::uint8_t> file) {
  ChunkWalk walk;
  bool runOpen = true;
  std::size_t at = 8;
  while (at <= file.size() && file.size() - at >= 12) {
    const std::uint32_t length = BigEndian32(file.data() + at);
    if (length > file.size() - at - 12) {
      break;
    }
    const std::uint8_t* type = file.data() + at + 4;
    const bool critical = (type[0] & 0x20) == 0;
    if (critical) {
      const std::uint32_t crc = crc32_gzip_refl(0, type, std::uint64_t{length} + 4);
      if (crc != BigEndian32(type + 4 + length)) {
        Fail("the " + std::string(reinterpret_cast<const char*>(type), 4) + " chunk fails its CRC");
      }
    }
    const std::string_view name(reinterpret_cast<const char*>(type), 4);
    if (name == "IDAT") {
      walk.imageData += length;
      if (runOpen) {
        walk.firstRun.emplace_back(type + 4, length);
      }
    } else if (!walk.firstRun.empty()) {
      runOpen = false;
    }
    if (name == "IEND") {
      break;
    }
    at += std::size_t{12} + length;
  }
  return walk;
}

// Bytes of filtered image data the header declares: one filter byte per row of every pass.
std::uint64_t DeclaredImageData(const spng_ihdr& ihdr) {
  static constexpr int kChannels[7] = {1, 0, 3, 1, 2, 0, 4};
  const std::uint64_t bits = std::uint64_t{ihdr.bit_depth} * kChannels[ihdr.color_type % 7];
  // Counted as a non-interlaced picture: the seven passes of an interlaced one have at least as
  // many rows and bytes, so this stays a lower bound for them.
  return std::uint64_t{ihdr.height} * (1 + (std::uint64_t{ihdr.width} * bits + 7) / 8);
}

// The one-call path for the layout almost every PNG has: 8-bit truecolour, with or without alpha,
// not interlaced. The image data is inflated in one call into a buffer of exactly the size the
// header declares, and the rows are unfiltered while they are in cache. This reads the same bytes
// as the row decoder does for those files, so the pixels are the same; whatever this path cannot
// read (a stream that ends early or runs on, a checksum that fails, data outside the first run of
// IDAT chunks, an unknown filter type) is left to the row decoder, whose messages and rules stay
// the only ones.

// Whether a zlib stream's two-byte header is one the row decoder reads the same way: deflate with
// the full 32 KiB window (a smaller one limits how far back a copy may reach, which the one-call
// inflater does not check) and no preset dictionary, its check bits right.
bool PlainZlibHeader(std::uint8_t cmf, std::uint8_t flg) {
  return cmf == 0x78 && (flg & 0x20) == 0 && (cmf * 256 + flg) % 31 == 0;
}

std::uint8_t Paeth(std::uint8_t a, std::uint8_t b, std::uint8_t c) {
  const int pa = std::abs(b - c);
  const int pb = std::abs(a - c);
  const int pc = std::abs(a + b - 2 * c);
  if (pa <= pb && pa <= pc) {
    return a;
  }
  return pb <= pc ? b : c;
}

// Calls step(k) for k = 0 .. B-1 with k known at compile time, so that per-channel state stays in
// registers.
template <std::size_t... K, typename Step>
void EachChannel(std::index_sequence<K...> /*channels*/, Step step) {
  (step(std::integral_constant<std::size_t, K>{}), ...);
}

// One pixel of B bytes (3 or 4) in the low lanes of a vector, read and written as 4 bytes.
std::uint32_t Load32(const std::uint8_t* p) {
  std::uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

__m128i LoadPixel(const std::uint8_t* p) {
  return _mm_cvtsi32_si128(static_cast<int>(Load32(p)));
}

void StorePixel(std::uint8_t* p, __m128i v) {
  const auto bits = static_cast<std::uint32_t>(_mm_cvtsi128_si32(v));
  std::memcpy(p, &bits, 4);
}

// The filters that reach back to the pixel on the left, one pixel of B bytes per step with every
// channel in one vector, so that the step's chain through that pixel is a few instructions long.
// Each step reads and writes 4 bytes. With 3-byte pixels the fourth byte is the first of the next
// pixel: its filtered bytes are read before the pixel is written, and the row's last pixel is left
// to the caller (written in place, the steps change its first filtered byte). The reads may reach
// one byte past the row's last pixel. Returns the pixels done.
template <std::size_t B>
constexpr std::size_t VectorSteps(std::size_t n) {
  return B == 4 ? n / 4 : (n >= 3 ? n / 3 - 1 : 0);
}

// A row's filtered pixels in step order, each read one step ahead, before the step before it
// writes over its first byte.
template <std::size_t B>
class FilteredPixels {
 public:
  FilteredPixels(const std::uint8_t* in, std::size_t steps)
      : m_in(in), m_steps(steps), m_next(steps > 0 ? LoadPixel(in) : _mm_setzero_si128()) {}

  // The filtered pixel of step p, p counting up from 0.
  __m128i Take(std::size_t p) {
    const __m128i pixel = m_next;
    if (p + 1 < m_steps || B == 3) {
      m_next = LoadPixel(m_in + (p + 1) * B);
    }
    return pixel;
  }

 private:
  const std::uint8_t* m_in;
  std::size_t m_steps;
  __m128i m_next;
};

template <std::size_t B>
std::size_t SubRow(std::uint8_t* out, const std::uint8_t* in, std::size_t n) {
  const std::size_t steps = VectorSteps<B>(n);
  FilteredPixels<B> filtered(in, steps);
  __m128i left = _mm_setzero_si128();
  for (std::size_t p = 0; p < steps; ++p) {
    const std::size_t i = p * B;
    left = _mm_add_epi8(filtered.Take(p), left);
    StorePixel(out + i, left);
  }
  return steps;
}

// Average: left = filtered + floor((left + above) / 2). The floor is the rounding-up average of
// the complements, complemented: floor((a + b) / 2) = ~avg(~a, ~b). Carried as its complement, the
// left pixel goes through two instructions a step: ~left' = avg(~left, ~above) - filtered.
template <std::size_t B>
std::size_t AverageRow(std::uint8_t* out, const std::uint8_t* in, const std::uint8_t* above, std::size_t n) {
  const std::size_t steps = VectorSteps<B>(n);
  const __m128i ones = _mm_set1_epi8(-1);
  FilteredPixels<B> filtered(in, steps);
  __m128i notLeft = ones;
  for (std::size_t p = 0; p < steps; ++p) {
    const std::size_t i = p * B;
    const __m128i notUp = _mm_xor_si128(LoadPixel(above + i), ones);
    notLeft = _mm_sub_epi8(_mm_avg_epu8(notLeft, notUp), filtered.Take(p));
    StorePixel(out + i, _mm_xor_si128(notLeft, ones));
  }
  return steps;
}

// Two rows that both use Average, undone together in place: each step does a pixel of the first
// row and the pixel before it in the second, whose above is the first row's pixel of the step
// before. The two chains are independent, so they overlap. Returns the pixels done in each row,
// like AverageRow; the rest is the caller's, the second row's after the first's.
template <std::size_t B>
std::size_t AverageRowPair(std::uint8_t* first, std::uint8_t* second, const std::uint8_t* above,
                           std::size_t n) {
  const std::size_t steps = VectorSteps<B>(n);
  if (steps == 0) {
    return 0;
  }
  const __m128i ones = _mm_set1_epi8(-1);
  __m128i notLeft = ones;   // complemented, as in AverageRow: the first row's last pixel
  __m128i notLeft2 = ones;  // and the second's
  FilteredPixels<B> filtered(first, steps);
  FilteredPixels<B> filtered2(second, steps);
  for (std::size_t p = 0; p < steps; ++p) {
    const std::size_t i = p * B;
    const __m128i notUp = _mm_xor_si128(LoadPixel(above + i), ones);
    const __m128i notLeftBefore = notLeft;
    notLeft = _mm_sub_epi8(_mm_avg_epu8(notLeft, notUp), filtered.Take(p));
    StorePixel(first + i, _mm_xor_si128(notLeft, ones));
    if (p > 0) {
      notLeft2 = _mm_sub_epi8(_mm_avg_epu8(notLeft2, notLeftBefore), filtered2.Take(p - 1));
      StorePixel(second + i - B, _mm_xor_si128(notLeft2, ones));
    }
  }
  // The second row's last pixel of the steps, below the first row's.
  notLeft2 = _mm_sub_epi8(_mm_avg_epu8(notLeft2, notLeft), filtered2.Take(steps - 1));
  StorePixel(second + (steps - 1) * B, _mm_xor_si128(notLeft2, ones));
  return steps;
}

// Paeth without branches, in 16-bit lanes: the predictor is whichever of left, above and upper
// left is nearest to left + above - upper left, the first of them on a tie.
template <std::size_t B>
std::size_t PaethRow(std::uint8_t* out, const std::uint8_t* in, const std::uint8_t* above, std::size_t n) {
  const std::size_t steps = VectorSteps<B>(n);
  const __m128i zero = _mm_setzero_si128();
  __m128i left = zero;
  __m128i upLeft = zero;
  FilteredPixels<B> filtered(in, steps);
  for (std::size_t p = 0; p < steps; ++p) {
    const std::size_t i = p * B;
    const __m128i up = _mm_unpacklo_epi8(LoadPixel(above + i), zero);
    const __m128i a = _mm_unpacklo_epi8(left, zero);
    const __m128i pa = _mm_sub_epi16(up, upLeft);  // the distance from left: |above - upper left|
    const __m128i pb = _mm_sub_epi16(a, upLeft);   // from above: |left - upper left|
    const __m128i absA = _mm_max_epi16(pa, _mm_sub_epi16(zero, pa));
    const __m128i absB = _mm_max_epi16(pb, _mm_sub_epi16(zero, pb));
    const __m128i sum = _mm_add_epi16(pa, pb);
    const __m128i absC = _mm_max_epi16(sum, _mm_sub_epi16(zero, sum));
    // left when pa <= pb and pa <= pc; else above when pb <= pc; else upper left.
    const __m128i notLeft = _mm_or_si128(_mm_cmpgt_epi16(absA, absB), _mm_cmpgt_epi16(absA, absC));
    const __m128i upOrUpLeft = _mm_or_si128(_mm_andnot_si128(_mm_cmpgt_epi16(absB, absC), up),
                                            _mm_and_si128(_mm_cmpgt_epi16(absB, absC), upLeft));
    const __m128i predictor = _mm_or_si128(_mm_andnot_si128(notLeft, a), _mm_and_si128(notLeft, upOrUpLeft));
    left = _mm_add_epi8(filtered.Take(p), _mm_packus_epi16(predictor, zero));
    upLeft = up;
    StorePixel(out + i, left);
  }
  return steps;
}

// Undoes one row's filter: out = the row's n bytes of B-byte pixels, from the filtered bytes in and
// the unfiltered row above (all zero for the first row). out may be in. Returns false for an
// unknown filter type.
template <std::size_t B>
bool Unfilter(std::uint8_t filter, std::uint8_t* out, const std::uint8_t* in, const std::uint8_t* above,
              std::size_t n) {
  constexpr auto kChannels = std::make_index_sequence<B>{};
  std::uint8_t left[B] = {};
  std::uint8_t upLeft[B] = {};
  // The pixels the vector steps did not do (with 3-byte pixels, the last one) are done here, from
  // the filtered bytes as they were and the last pixel the steps wrote.
  const std::size_t tailStart = VectorSteps<B>(n) * B;
  std::uint8_t tail[B];
  std::memcpy(tail, in + tailStart, n - tailStart);
  std::size_t i = 0;
  const auto resume = [&](std::size_t pixels) {
    i = pixels * B;
    if (out == in) {
      std::memcpy(out + tailStart, tail, n - tailStart);
    }
    if (i > 0) {
      EachChannel(kChannels, [&](auto k) {
        left[k] = out[i - B + k];
        upLeft[k] = above[i - B + k];
      });
    }
  };
  switch (filter) {
    case 0:
      if (out != in) {
        std::memcpy(out, in, n);
      }
      return true;
    case 1:
      for (resume(SubRow<B>(out, in, n)); i < n; i += B) {
        EachChannel(kChannels, [&](auto k) {
          left[k] = static_cast<std::uint8_t>(in[i + k] + left[k]);
          out[i + k] = left[k];
        });
      }
      return true;
    case 2:
      for (; i < n; ++i) {
        out[i] = static_cast<std::uint8_t>(in[i] + above[i]);
      }
      return true;
    case 3:
      for (resume(AverageRow<B>(out, in, above, n)); i < n; i += B) {
        EachChannel(kChannels, [&](auto k) {
          left[k] = static_cast<std::uint8_t>(in[i + k] + ((left[k] + above[i + k]) >> 1));
          out[i + k] = left[k];
        });
      }
      return true;
    case 4:
      for (resume(PaethRow<B>(out, in, above, n)); i < n; i += B) {
        EachChannel(kChannels, [&](auto k) {
          const std::uint8_t up = above[i + k];
          left[k] = static_cast<std::uint8_t>(in[i + k] + Paeth(left[k], up, upLeft[k]));
          upLeft[k] = up;
          out[i + k] = left[k];
        });
      }
      return true;
    default:
      return false;
  }
}

// Finishes an Average row in place from pixel `from` on, after the vector steps.
template <std::size_t B>
void AverageTail(std::uint8_t* row, const std::uint8_t* above, std::size_t n, std::size_t from) {
  for (std::size_t i = from * B; i < n; ++i) {
    const int left = i >= B ? row[i - B] : 0;
    row[i] = static_cast<std::uint8_t>(row[i] + ((left + above[i]) >> 1));
  }
}

// Undoes the Average filter of two rows in a row, in place; second lies below first.
template <std::size_t B>
void UnfilterAveragePair(std::uint8_t* first, std::uint8_t* second, const std::uint8_t* above,
                         std::size_t n) {
  // The pixels past the vector steps, as they were before the steps changed their first bytes.
  const std::size_t tailStart = VectorSteps<B>(n) * B;
  std::uint8_t tail[B];
  std::uint8_t tail2[B];
  std::memcpy(tail, first + tailStart, n - tailStart);
  std::memcpy(tail2, second + tailStart, n - tailStart);
  const std::size_t done = AverageRowPair<B>(first, second, above, n);
  std::memcpy(first + tailStart, tail, n - tailStart);
  std::memcpy(second + tailStart, tail2, n - tailStart);
  AverageTail<B>(first, above, n, done);
  AverageTail<B>(second, first, n, done);
}

// The image data of a file of the common layout, inflated in one call with every row's filter type
// known; rows are unfiltered in place as they are walked.
class OneCallImage {
 public:
  // Inflates the first run of IDAT chunks; false when the file is not of the common layout or this
  // path cannot read it exactly as the row decoder would.
  bool Inflate(const spng_ihdr& ihdr, const ChunkWalk& walk) {
    if (ihdr.bit_depth != 8 || ihdr.interlace_method != 0 || (ihdr.color_type != 2 && ihdr.color_type != 6) ||
        walk.firstRun.empty()) {
      return false;
    }
    m_alpha = ihdr.color_type == 6;
    m_width = ihdr.width;
    m_height = ihdr.height;
    m_rowBytes = (m_alpha ? 4 : 3) * m_width;
    const std::size_t stride = m_rowBytes + 1;
    try {
      // The zlib stream of the run, in one piece.
      std::span<const std::uint8_t> stream = walk.firstRun.front();
      std::unique_ptr<std::uint8_t[]> joined;
      if (walk.firstRun.size() > 1) {
        std::size_t total = 0;
        for (const auto& part : walk.firstRun) {
          total += part.size();
        }
        joined.reset(new std::uint8_t[total]);
        std::size_t at = 0;
        for (const auto& part : walk.firstRun) {
          std::memcpy(joined.get() + at, part.data(), part.size());
          at += part.size();
        }
        stream = {joined.get(), total};
      }
      if (stream.size() < 2 || !PlainZlibHeader(stream[0], stream[1]) || stream.size() > UINT32_MAX ||
          m_height * stride > UINT32_MAX) {
        return false;
      }
      // Filled whole or refused: the deflate data must end exactly here. Its adler32 is not read,
      // as the row decoder does not: every IDAT chunk's CRC already guards these bytes.
      // (The unfiltering steps may read a byte past the last row.)
      m_raw.reset(new std::uint8_t[m_height * stride + 4]);
      auto inflater = std::make_unique_for_overwrite<inflate_state>();
      isal_inflate_init(inflater.get());
      inflater->next_in = const_cast<std::uint8_t*>(stream.data() + 2);
      inflater->avail_in = static_cast<std::uint32_t>(stream.size() - 2);
      inflater->next_out = m_raw.get();
      inflater->avail_out = static_cast<std::uint32_t>(m_height * stride);
      if (isal_inflate_stateless(inflater.get()) != ISAL_DECOMP_OK || inflater->avail_out != 0 ||
          inflater->block_state != ISAL_BLOCK_FINISH) {
        return false;
      }
      for (std::size_t y = 0; y < m_height; ++y) {
        if (m_raw[y * stride] > 4) {
          return false;
        }
      }
      m_zeros.assign(m_rowBytes, 0);
      if (m_alpha) {
        m_rgbRow.resize(3 * m_width);
        m_alphaRow.resize(m_width);
      }
    } catch (const std::bad_alloc&) {
      // The row decoder needs less memory; let it try.
      return false;
    }
    return true;
  }

  // Calls row(y, rgb, alpha) for y = 0 .. height-1 in order, with the row's pixels (3 bytes each)
  // and its alpha (nullptr without alpha); both stay valid until the next call. With alpha the
  // pixels are a copy the caller may change; without, the rows below are decoded from them.
  template <typename RowFn>
  void ForEachRow(RowFn row) {
    if (m_alpha) {
      ForEachRowOf<4>(row);
    } else {
      ForEachRowOf<3>(row);
    }
  }

  bool HasAlpha() const { return m_alpha; }
  std::size_t Width() const { return m_width; }
  std::size_t Height() const { return m_height; }

 private:
  template <std::size_t B, typename RowFn>
  void ForEachRowOf(RowFn row) {
    const std::size_t stride = m_rowBytes + 1;
    const auto filter = [&](std::size_t y) { return m_raw[y * stride]; };
    const auto pixels = [&](std::size_t y) { return m_raw.get() + y * stride + 1; };
    // The rows above stay whole, unfiltered in place, for the rows below.
    const auto above = [&](std::size_t y) -> const std::uint8_t* {
      return y == 0 ? m_zeros.data() : pixels(y - 1);
    };
    for (std::size_t y = 0; y < m_height;) {
      std::size_t rows = 1;
      if (filter(y) == 3 && y + 1 < m_height && filter(y + 1) == 3) {
        UnfilterAveragePair<B>(pixels(y), pixels(y + 1), above(y), m_rowBytes);
        rows = 2;
      } else {
        Unfilter<B>(filter(y), pixels(y), pixels(y), above(y), m_rowBytes);
      }
      for (const std::size_t end = y + rows; y < end; ++y) {
        const std::uint8_t* rgba = pixels(y);
        if (B == 3) {
          row(y, pixels(y), static_cast<const std::uint8_t*>(nullptr));
          continue;
        }
        for (std::size_t x = 0; x < m_width; ++x) {
          m_rgbRow[3 * x] = rgba[4 * x];
          m_rgbRow[3 * x + 1] = rgba[4 * x + 1];
          m_rgbRow[3 * x + 2] = rgba[4 * x + 2];
          m_alphaRow[x] = rgba[4 * x + 3];
        }
        row(y, m_rgbRow.data(), static_cast<const std::uint8_t*>(m_alphaRow.data()));
      }
    }
  }

  bool m_alpha = false;
  std::size_t m_width = 0;
  std::size_t m_height = 0;
  std::size_t m_rowBytes = 0;
  std::unique_ptr<std::uint8_t[]> m_raw;
  std::vector<std::uint8_t> m_zeros;
  std::vector<std::uint8_t> m_rgbRow;
  std::vector<std::uint8_t> m_alphaRow;
};

// A file opened for decoding: the header read and checked, the chunks walked.
struct OpenedPng {
  std::unique_ptr<spng_ctx, SpngFree> ctx;
  spng_ihdr ihdr{};
  ChunkWalk walk;
};

// Everything both paths check before the image data: the header, the limits, the CRCs, and that
// the data can hold the pixels.
OpenedPng Open(std::span<const std::uint8_t> file, const DecodeLimits& limits) {
  OpenedPng png;
  // Every critical chunk's CRC is checked here, so the decoder skips its own checks of them and of
  // the zlib stream's checksum, which guards the same bytes.
  png.ctx.reset(spng_ctx_new(SPNG_CTX_IGNORE_ADLER32));
  if (!png.ctx) {
    Fail("out of memory");
  }
  spng_ctx* ctx = png.ctx.get();
  // Ancillary chunks are not needed; keep their memory bounded for hostile files.
  spng_set_chunk_limits(ctx, 1 << 20, 1 << 22);
  spng_set_crc_action(ctx, SPNG_CRC_USE, SPNG_CRC_DISCARD);
  Check(spng_set_png_buffer(ctx, file.data(), file.size()));
  Check(spng_set_image_limits(ctx, static_cast<std::uint32_t>(limits.maxSide),
                              static_cast<std::uint32_t>(limits.maxSide)));
  Check(spng_get_ihdr(ctx, &png.ihdr));
  detail::CheckDimensions(png.ihdr.width, png.ihdr.height, limits, "The PNG file");
  png.walk = CheckChunks(file);
  // Allocate only for pixels the file can hold.
  if (DeclaredImageData(png.ihdr) > png.walk.imageData * kMaxDeflateRatio + kDeflateSlack) {
    Fail(spng_strerror(SPNG_EIDAT_TOO_SHORT));
  }
  return png;
}

// The row decoder: every layout, interlaced or not, row by row through the PNG library.
PngPicture DecodeRows(OpenedPng& opened) {
  spng_ctx* ctx = opened.ctx.get();
  const spng_ihdr& ihdr = opened.ihdr;
  PngPicture png;
  png.colorType = ihdr.color_type;
  const bool hasAlpha = ihdr.color_type >= 4;
  png.image = MakeRgbImage(static_cast<std::int32_t>(ihdr.width), static_cast<std::int32_t>(ihdr.height));
  // No SPNG_DECODE_TRNS: a tRNS chunk never turns into alpha; no gamma correction either.
  // Rows are decoded one at a time straight into the picture (and, with alpha, split while the
  // row is in cache), so no second buffer of the whole picture is needed.
  const auto format = hasAlpha ? SPNG_FMT_RGBA8 : SPNG_FMT_RGB8;
  Check(spng_decode_image(ctx, nullptr, 0, format, SPNG_DECODE_PROGRESSIVE));
  const std::size_t width = ihdr.width;
  std::vector<std::uint8_t> rgba;
  if (hasAlpha) {
    png.image.alpha.resize(width * ihdr.height);
    // Interlaced pictures fill each row in several passes, so they keep whole RGBA rows.
    rgba.resize(4 * width * (ihdr.interlace_method != 0 ? ihdr.height : 1));
  }
  for (;;) {
    spng_row_info row{};
    Check(spng_get_row_info(ctx, &row));
    const std::size_t y = row.row_num;
    if (!hasAlpha) {
      const int status = spng_decode_row(ctx, png.image.rgb.data() + 3 * width * y, 3 * width);
      if (status == SPNG_EOI) {
        break;
      }
      Check(status);
      continue;
    }
    std::uint8_t* in = rgba.data() + (ihdr.interlace_method != 0 ? 4 * width * y : 0);
    const int status = spng_decode_row(ctx, in, 4 * width);
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

}  // namespace

namespace detail {

PngPicture DecodePngVia(std::span<const std::uint8_t> file, const DecodeLimits& limits, PngPath path,
                        bool* inOneCall) {
  if (inOneCall != nullptr) {
    *inOneCall = false;
  }
  OpenedPng opened = Open(file, limits);
  OneCallImage image;
  if (path == PngPath::RowsOnly || !image.Inflate(opened.ihdr, opened.walk)) {
    return DecodeRows(opened);
  }
  if (inOneCall != nullptr) {
    *inOneCall = true;
  }
  PngPicture png;
  png.colorType = opened.ihdr.color_type;
  const std::size_t width = image.Width();
  png.image = MakeRgbImage(static_cast<std::int32_t>(width), static_cast<std::int32_t>(image.Height()));
  if (image.HasAlpha()) {
    png.image.alpha.resize(width * image.Height());
  }
  image.ForEachRow([&](std::size_t y, const std::uint8_t* rgb, const std::uint8_t* alpha) {
    std::memcpy(png.image.rgb.data() + 3 * width * y, rgb, 3 * width);
    if (alpha != nullptr) {
      std::memcpy(png.image.alpha.data() + width * y, alpha, width);
    }
  });
  return png;
}

bool DecodePngByRow(std::span<const std::uint8_t> file, const DecodeLimits& limits, const RowStartFn& start,
                    const RowFn& row) {
  OpenedPng opened = Open(file, limits);
  OneCallImage image;
  if (!image.Inflate(opened.ihdr, opened.walk)) {
    return false;
  }
  start(static_cast<std::int32_t>(image.Width()), static_cast<std::int32_t>(image.Height()));
  image.ForEachRow([&](std::size_t y, std::uint8_t* rgb, const std::uint8_t* alpha) {
    row(static_cast<std::int32_t>(y), rgb, alpha);
  });
  return true;
}

}  // namespace detail

PngPicture DecodePng(std::span<const std::uint8_t> file, const DecodeLimits& limits) {
  return detail::DecodePngVia(file, limits, detail::PngPath::Any);
}

}  // namespace panelix::picture
