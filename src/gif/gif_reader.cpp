#include "gif/gif_reader.h"

#include <gif_lib.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <string>

#include "base/bounded_read.h"
#include "base/error.h"

namespace panelix::gif {

namespace {

const char kNotGif[] = "The file is not a GIF picture.";
const char kDamaged[] = "The GIF picture is damaged.";

struct MemorySource {
  std::span<const std::uint8_t> bytes;
  std::size_t pos = 0;
};

int ReadFromMemory(GifFileType* gif, GifByteType* buffer, int length) {
  auto* source = static_cast<MemorySource*>(gif->UserData);
  const std::size_t left = source->bytes.size() - source->pos;
  const std::size_t n = std::min(left, static_cast<std::size_t>(std::max(length, 0)));
  if (n > 0) {
    std::memcpy(buffer, source->bytes.data() + source->pos, n);
  }
  source->pos += n;
  return static_cast<int>(n);
}

struct GifCloser {
  void operator()(GifFileType* gif) const {
    int error = 0;
    DGifCloseFile(gif, &error);
  }
};
using GifHandle = std::unique_ptr<GifFileType, GifCloser>;

std::string TooLarge(std::int64_t pixels, std::int64_t limit) {
  return "The GIF picture is too large: its frames hold " + std::to_string(pixels) +
         " pixels, the limit is " + std::to_string(limit) + ".";
}

// One frame as the decoder meets it: its place in the logical screen, its colours and its
// transparent index (-1 for none).
struct FrameInfo {
  std::int32_t index = 0;
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  bool interlaced = false;
  const ColorMapObject* colors = nullptr;
  int transparent = -1;
};

// Meets each frame with its descriptor read and its data next in the file, which it must consume
// (decode or skip). Returns false to stop the walk.
class FrameVisitor {
 public:
  virtual ~FrameVisitor() = default;
  // The logical screen, met before any frame.
  virtual void Screen(std::int32_t /*width*/, std::int32_t /*height*/) {}
  virtual bool Frame(GifFileType* gif, const FrameInfo& frame) = 0;
};

// Skips the rest of a frame's data sub-blocks, undecoded.
void SkipCodeBlocks(GifFileType* gif, bool started) {
  GifByteType* block = nullptr;
  if (!started) {
    int codeSize = 0;
    if (DGifGetCode(gif, &codeSize, &block) == GIF_ERROR) {
      throw Error(kDamaged);
    }
  } else if (DGifGetCodeNext(gif, &block) == GIF_ERROR) {
    throw Error(kDamaged);
  }
  while (block != nullptr) {
    if (DGifGetCodeNext(gif, &block) == GIF_ERROR) {
      throw Error(kDamaged);
    }
  }
}

int ReadGraphicControl(GifFileType* gif, int transparentSoFar) {
  int code = 0;
  GifByteType* ext = nullptr;
  if (DGifGetExtension(gif, &code, &ext) == GIF_ERROR) {
    throw Error(kDamaged);
  }
  int transparent = transparentSoFar;
  if (code == GRAPHICS_EXT_FUNC_CODE && ext != nullptr && ext[0] >= 4) {
    GraphicsControlBlock gcb{};
    if (DGifExtensionToGCB(ext[0], ext + 1, &gcb) == GIF_OK) {
      transparent = gcb.TransparentColor;
    }
  }
  while (ext != nullptr) {
    if (DGifGetExtensionNext(gif, &ext) == GIF_ERROR) {
      throw Error(kDamaged);
    }
  }
  return transparent;
}

// Walks every record of the file, handing each frame to visitor. Returns the frame count and
// fills the logical screen size.
std::int32_t Walk(std::span<const std::uint8_t> bytes, std::int32_t& width, std::int32_t& height,
                  FrameVisitor& visitor) {
  MemorySource source{bytes};
  int error = 0;
  GifHandle gif(DGifOpen(&source, ReadFromMemory, &error));
  if (!gif) {
    throw Error(kNotGif);
  }
  width = gif->SWidth;
  height = gif->SHeight;
  visitor.Screen(width, height);
  FrameInfo frame;
  int transparent = -1;
  for (;;) {
    const std::size_t recordStart = source.pos;
    GifRecordType type = UNDEFINED_RECORD_TYPE;
    if (DGifGetRecordType(gif.get(), &type) == GIF_ERROR) {
      // Many files end after their last frame without a trailer.
      if (recordStart == bytes.size()) {
        break;
      }
      throw Error(kDamaged);
    }
    if (type == TERMINATE_RECORD_TYPE) {
      break;
    }
    if (type == EXTENSION_RECORD_TYPE) {
      transparent = ReadGraphicControl(gif.get(), transparent);
    } else if (type == IMAGE_DESC_RECORD_TYPE) {
      if (DGifGetImageDesc(gif.get()) == GIF_ERROR) {
        throw Error(kDamaged);
      }
      const GifImageDesc& desc = gif->Image;
      frame.left = desc.Left;
      frame.top = desc.Top;
      frame.width = desc.Width;
      frame.height = desc.Height;
      frame.interlaced = desc.Interlace;
      frame.colors = desc.ColorMap != nullptr ? desc.ColorMap : gif->SColorMap;
      frame.transparent = transparent;
      transparent = -1;
      const bool more = visitor.Frame(gif.get(), frame);
      ++frame.index;
      if (!more) {
        break;
      }
    } else {
      throw Error(kDamaged);
    }
  }
  return frame.index;
}

// The walk on opening: no pixel data is decoded; the pixel limit is checked frame by frame.
class CountingVisitor final : public FrameVisitor {
 public:
  explicit CountingVisitor(std::int64_t maxPixels) : m_maxPixels(maxPixels) {}

  void Screen(std::int32_t width, std::int32_t height) override {
    m_screenPixels = std::int64_t{width} * height;
    if (m_screenPixels > m_maxPixels) {
      throw Error(TooLarge(m_screenPixels, m_maxPixels));
    }
  }

  bool Frame(GifFileType* gif, const FrameInfo& frame) override {
    m_framePixels += std::int64_t{frame.width} * frame.height;
    m_encodedPixels += m_screenPixels;
    const std::int64_t pixels = std::max(m_framePixels, m_encodedPixels);
    if (pixels > m_maxPixels) {
      throw Error(TooLarge(pixels, m_maxPixels));
    }
    SkipCodeBlocks(gif, false);
    return true;
  }

 private:
  std::int64_t m_maxPixels;
  std::int64_t m_screenPixels = 0;
  std::int64_t m_framePixels = 0;
  std::int64_t m_encodedPixels = 0;
};

class DrawingVisitor final : public FrameVisitor {
 public:
  DrawingVisitor(const RgbTarget& target, const std::function<bool(std::int32_t)>& afterFrame)
      : m_target(target), m_afterFrame(afterFrame) {}

  bool Frame(GifFileType* gif, const FrameInfo& frame) override {
    Decode(gif, frame);
    return m_afterFrame(frame.index);
  }

 private:
  static constexpr std::array<int, 4> kInterlaceStart{0, 4, 2, 1};
  static constexpr std::array<int, 4> kInterlaceStep{8, 8, 4, 2};

  bool RowVisible(const FrameInfo& frame, std::int32_t y) const {
    const std::int64_t ty = std::int64_t{frame.top} + y;
    return ty >= 0 && ty < m_target.height;
  }

  // The frame's rows in the order the file holds them (interlaced frames in four passes).
  template <typename Fn>
  static void ForEachRow(const FrameInfo& frame, Fn&& fn) {
    const int passes = frame.interlaced ? 4 : 1;
    for (int pass = 0; pass < passes; ++pass) {
      const int start = frame.interlaced ? kInterlaceStart[static_cast<std::size_t>(pass)] : 0;
      const int step = frame.interlaced ? kInterlaceStep[static_cast<std::size_t>(pass)] : 1;
      for (std::int32_t y = start; y < frame.height; y += step) {
        if (!fn(y)) {
          return;
        }
      }
    }
  }

  void Decode(GifFileType* gif, const FrameInfo& frame) {
    const bool columnsVisible =
        std::int64_t{frame.left} < m_target.width && std::int64_t{frame.left} + frame.width > 0;
    // Rows after the last one that lands on the target are never decoded.
    std::int64_t rowsNeeded = 0;
    if (frame.width > 0 && columnsVisible) {
      std::int64_t seen = 0;
      ForEachRow(frame, [&](std::int32_t y) {
        ++seen;
        if (RowVisible(frame, y)) {
          rowsNeeded = seen;
        }
        return true;
      });
    }
    if (rowsNeeded == 0) {
      SkipCodeBlocks(gif, false);
      return;
    }
    m_row.resize(static_cast<std::size_t>(frame.width));
    std::int64_t decoded = 0;
    ForEachRow(frame, [&](std::int32_t y) {
      if (DGifGetLine(gif, m_row.data(), frame.width) == GIF_ERROR) {
        throw Error(kDamaged);
      }
      if (RowVisible(frame, y)) {
        DrawRow(frame, y);
      }
      return ++decoded < rowsNeeded;
    });
    const std::int64_t total = std::int64_t{frame.height};
    if (decoded < total) {
      SkipCodeBlocks(gif, true);
    }
  }

  void DrawRow(const FrameInfo& frame, std::int32_t y) {
    const std::int64_t ty = std::int64_t{frame.top} + y;
    const std::int64_t firstX = std::max<std::int64_t>(0, -std::int64_t{frame.left});
    const std::int64_t endX = std::min<std::int64_t>(frame.width, std::int64_t{m_target.width} - frame.left);
    std::uint8_t* out = m_target.rgb.data() + static_cast<std::size_t>(ty) * m_target.width * 3;
    std::uint8_t* drawn = m_target.drawn.empty()
                              ? nullptr
                              : m_target.drawn.data() + static_cast<std::size_t>(ty) * m_target.width;
    for (std::int64_t x = firstX; x < endX; ++x) {
      const int index = m_row[static_cast<std::size_t>(x)];
      if (index == frame.transparent) {
        continue;
      }
      if (drawn != nullptr) {
        drawn[frame.left + x] = 1;
      }
      std::uint8_t* px = out + (frame.left + x) * 3;
      if (frame.colors != nullptr && index < frame.colors->ColorCount) {
        const GifColorType& c = frame.colors->Colors[index];
        px[0] = c.Red;
        px[1] = c.Green;
        px[2] = c.Blue;
      } else {
        px[0] = px[1] = px[2] = 0;
      }
    }
  }

  const RgbTarget& m_target;
  const std::function<bool(std::int32_t)>& m_afterFrame;
  std::vector<GifByteType> m_row;
};

}  // namespace

GifReader::GifReader(std::vector<std::uint8_t> bytes, std::int64_t maxPixels) : m_bytes(std::move(bytes)) {
  CountingVisitor counter(maxPixels);
  m_frameCount = Walk(m_bytes, m_width, m_height, counter);
}

GifReader GifReader::FromFile(const std::filesystem::path& path, std::int64_t maxPixels) {
  return GifReader(ReadFileBytesUpTo(path, MaxGifFileBytes(maxPixels), "The file could not be opened."),
                   maxPixels);
}

void GifReader::DrawFrames(const RgbTarget& target,
                           const std::function<bool(std::int32_t)>& afterFrame) const {
  const std::size_t pixels = static_cast<std::size_t>(target.width) * static_cast<std::size_t>(target.height);
  if (target.width < 0 || target.height < 0 || target.rgb.size() < pixels * 3 ||
      (!target.drawn.empty() && target.drawn.size() < pixels)) {
    throw Error("The drawing target does not hold its pixels.");
  }
  DrawingVisitor visitor(target, afterFrame);
  std::int32_t width = 0;
  std::int32_t height = 0;
  Walk(m_bytes, width, height, visitor);
}

}  // namespace panelix::gif
