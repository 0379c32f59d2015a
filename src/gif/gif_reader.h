#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <vector>

namespace panelix::gif {

// The most pixels one GIF may make the converter draw and encode, by default: 2^25 (33554432, e.g.
// 54 frames of 1024 x 600, 64 MiB of R5G6B5 frames). Every frame is encoded at the size of the
// logical screen, so the frame count times the screen's area must stay within the limit, and so
// must the sum of the frames' own areas, which the decoder works through. The command line's
// --max-pixels raises it.
inline constexpr std::int64_t kDefaultMaxGifPixels = std::int64_t{1} << 25;
// A GIF file may hold at most 2 bytes per allowed pixel (64 MiB by default); LZW data never takes
// more than 12 bits a pixel.
inline constexpr std::uint64_t MaxGifFileBytes(std::int64_t maxPixels) {
  return 2 * static_cast<std::uint64_t>(maxPixels);
}

// An RGB target the frames are drawn onto: width x height pixels of three bytes R, G, B,
// row-major from the top.
struct RgbTarget {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::span<std::uint8_t> rgb;
  // When not empty, one flag per pixel: drawing a pixel sets its flag to 1.
  std::span<std::uint8_t> drawn = {};
};

// A GIF file. Opening walks its records without decoding any pixel data: it checks the structure,
// counts the frames and checks the pixel limit. Each frame is decoded when it is drawn, once; only
// the file's bytes and one row are held, whatever its frame count.
class GifReader {
 public:
  // Throws panelix::Error when the bytes are not a GIF, its records are damaged, or its pixels
  // break the limit ("The GIF picture is too large: its frames hold N pixels, the limit is M.").
  // A missing trailer after the last complete frame is accepted.
  explicit GifReader(std::vector<std::uint8_t> bytes, std::int64_t maxPixels = kDefaultMaxGifPixels);
  // Reads the file first; a file that cannot be read, or one larger than MaxGifFileBytes, throws
  // panelix::Error.
  static GifReader FromFile(const std::filesystem::path& path, std::int64_t maxPixels = kDefaultMaxGifPixels);

  // Logical screen size.
  std::int32_t ScreenWidth() const { return m_width; }
  std::int32_t ScreenHeight() const { return m_height; }
  std::int32_t FrameCount() const { return m_frameCount; }

  // Decodes and draws the frames in file order onto target, each at its own position within the
  // logical screen, and calls afterFrame(i) once frame i is drawn; returning false stops the
  // decoding there (a preview that wants frame 0 decodes nothing else). Pixels of a frame's
  // transparent colour leave the target unchanged, as do the parts of a frame that lie outside the
  // target; rows below the target are not decoded at all. The target is never cleared: each frame
  // lands on what the frames before it (and whatever the target held) left, and disposal methods
  // are not honoured. A colour index beyond the frame's colour table, or a frame without any colour
  // table, draws black. Throws panelix::Error "The GIF picture is damaged." when a frame's data
  // cannot be decoded; the frames before it have been drawn and passed to afterFrame then.
  void DrawFrames(const RgbTarget& target, const std::function<bool(std::int32_t)>& afterFrame) const;

 private:
  std::vector<std::uint8_t> m_bytes;
  std::int32_t m_width = 0;
  std::int32_t m_height = 0;
  std::int32_t m_frameCount = 0;
};

}  // namespace panelix::gif
