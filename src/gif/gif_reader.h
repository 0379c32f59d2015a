#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <vector>

namespace panelix::gif {

// The largest logical screen, and the largest single frame, the converter accepts, in pixels.
// A bigger GIF is refused with a clear message before anything is allocated for it; a frame
// encoded from such a screen would also overflow the 32-bit sizes of the address list.
inline constexpr std::int64_t kMaxPixels = std::int64_t{1} << 26;

// An RGB target the frames are drawn onto: width x height pixels of three bytes R, G, B,
// row-major from the top.
struct RgbTarget {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::span<std::uint8_t> rgb;
};

// A GIF file read and checked whole. Opening decodes every frame once, so a file that breaks in
// its fifth frame fails before any of its frames is converted. The frames are decoded again each
// time they are drawn: only the file's bytes and one row are held, whatever its frame count.
class GifReader {
 public:
  // Throws panelix::Error when the bytes are not a GIF, a frame cannot be decoded, or the
  // logical screen or a frame is larger than kMaxPixels. A missing trailer after the last
  // complete frame is accepted.
  explicit GifReader(std::vector<std::uint8_t> bytes);
  // Reads the file first; a file that cannot be read throws panelix::Error.
  static GifReader FromFile(const std::filesystem::path& path);

  // Logical screen size.
  std::int32_t ScreenWidth() const { return m_width; }
  std::int32_t ScreenHeight() const { return m_height; }
  std::int32_t FrameCount() const { return m_frameCount; }

  // Draws the frames in file order onto target, each at its own position within the logical
  // screen, and calls afterFrame(i) once frame i is drawn; returning false stops the drawing.
  // Pixels of a frame's transparent colour leave the target unchanged, as do the parts of a frame
  // that lie outside the target. The target is never cleared: each frame lands on what the frames
  // before it (and whatever the target held) left, and disposal methods are not honoured. A colour
  // index beyond the frame's colour table, or a frame without any colour table, draws black.
  void DrawFrames(const RgbTarget& target, const std::function<bool(std::int32_t)>& afterFrame) const;

 private:
  std::vector<std::uint8_t> m_bytes;
  std::int32_t m_width = 0;
  std::int32_t m_height = 0;
  std::int32_t m_frameCount = 0;
};

}  // namespace panelix::gif
