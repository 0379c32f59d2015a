#include "gif/gif_reader.h"

#include <gif_lib.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <string>

#include "base/error.h"
#include "base/files.h"

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

std::string TooLarge(std::int64_t w, std::int64_t h) {
  return "The GIF picture is too large (" + std::to_string(w) + " x " + std::to_string(h) + ").";
}

// One frame as the decoder meets it: its place in the logical screen, its colours and its
// transparent index (-1 for none).
struct FrameInfo {
  std::int32_t index = 0;
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  const ColorMapObject* colors = nullptr;
  int transparent = -1;
};

// Receives each decoded row of a frame: y is the row within the frame, top first.
class FrameSink {
 public:
  virtual ~FrameSink() = default;
  virtual void Begin(const FrameInfo& frame) = 0;
  virtual void Row(const FrameInfo& frame, std::int32_t y, std::span<const GifByteType> indices) = 0;
  // Returns false to stop decoding.
  virtual bool End(const FrameInfo& frame) = 0;
};

// Skips the data sub-blocks of a frame that has no pixels.
void SkipCodeBlocks(GifFileType* gif) {
  int codeSize = 0;
  GifByteType* block = nullptr;
  if (DGifGetCode(gif, &codeSize, &block) == GIF_ERROR) {
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

void DecodeFrame(GifFileType* gif, FrameInfo& frame, std::vector<GifByteType>& row, FrameSink& sink) {
  const GifImageDesc& desc = gif->Image;
  frame.left = desc.Left;
  frame.top = desc.Top;
  frame.width = desc.Width;
  frame.height = desc.Height;
  if (std::int64_t{desc.Width} * desc.Height > kMaxPixels) {
    throw Error(TooLarge(desc.Width, desc.Height));
  }
  frame.colors = desc.ColorMap != nullptr ? desc.ColorMap : gif->SColorMap;
  sink.Begin(frame);
  if (desc.Width <= 0 || desc.Height <= 0) {
    SkipCodeBlocks(gif);
    return;
  }
  row.resize(static_cast<std::size_t>(desc.Width));
  static constexpr std::array<int, 4> kInterlaceStart{0, 4, 2, 1};
  static constexpr std::array<int, 4> kInterlaceStep{8, 8, 4, 2};
  const int passes = desc.Interlace ? 4 : 1;
  for (int pass = 0; pass < passes; ++pass) {
    const int start = desc.Interlace ? kInterlaceStart[pass] : 0;
    const int step = desc.Interlace ? kInterlaceStep[pass] : 1;
    for (int y = start; y < desc.Height; y += step) {
      if (DGifGetLine(gif, row.data(), desc.Width) == GIF_ERROR) {
        throw Error(kDamaged);
      }
      sink.Row(frame, y, row);
    }
  }
}

// Walks every record of the file, handing each frame's rows to sink. Returns the frame count
// and fills the logical screen size.
std::int32_t Decode(std::span<const std::uint8_t> bytes, std::int32_t& width, std::int32_t& height,
                    FrameSink& sink) {
  MemorySource source{bytes};
  int error = 0;
  GifHandle gif(DGifOpen(&source, ReadFromMemory, &error));
  if (!gif) {
    throw Error(kNotGif);
  }
  width = gif->SWidth;
  height = gif->SHeight;
  if (std::int64_t{width} * height > kMaxPixels) {
    throw Error(TooLarge(width, height));
  }
  std::vector<GifByteType> row;
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
      frame.transparent = transparent;
      DecodeFrame(gif.get(), frame, row, sink);
      transparent = -1;
      const bool more = sink.End(frame);
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

class CountingSink final : public FrameSink {
 public:
  void Begin(const FrameInfo&) override {}
  void Row(const FrameInfo&, std::int32_t, std::span<const GifByteType>) override {}
  bool End(const FrameInfo&) override { return true; }
};

class DrawingSink final : public FrameSink {
 public:
  DrawingSink(const RgbTarget& target, const std::function<bool(std::int32_t)>& afterFrame)
      : m_target(target), m_afterFrame(afterFrame) {}

  void Begin(const FrameInfo&) override {}

  void Row(const FrameInfo& frame, std::int32_t y, std::span<const GifByteType> indices) override {
    const std::int64_t ty = std::int64_t{frame.top} + y;
    if (ty < 0 || ty >= m_target.height) {
      return;
    }
    const std::int64_t firstX = std::max<std::int64_t>(0, -std::int64_t{frame.left});
    const std::int64_t endX = std::min<std::int64_t>(frame.width, std::int64_t{m_target.width} - frame.left);
    std::uint8_t* out = m_target.rgb.data() + static_cast<std::size_t>(ty) * m_target.width * 3;
    for (std::int64_t x = firstX; x < endX; ++x) {
      const int index = indices[static_cast<std::size_t>(x)];
      if (index == frame.transparent) {
        continue;
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

  bool End(const FrameInfo& frame) override { return m_afterFrame(frame.index); }

 private:
  const RgbTarget& m_target;
  const std::function<bool(std::int32_t)>& m_afterFrame;
};

}  // namespace

GifReader::GifReader(std::vector<std::uint8_t> bytes) : m_bytes(std::move(bytes)) {
  CountingSink sink;
  m_frameCount = Decode(m_bytes, m_width, m_height, sink);
}

GifReader GifReader::FromFile(const std::filesystem::path& path) {
  return GifReader(ReadFileBytes(path, "The file could not be opened."));
}

void GifReader::DrawFrames(const RgbTarget& target,
                           const std::function<bool(std::int32_t)>& afterFrame) const {
  if (target.width < 0 || target.height < 0 ||
      target.rgb.size() <
          static_cast<std::size_t>(target.width) * static_cast<std::size_t>(target.height) * 3) {
    throw Error("The drawing target does not hold its pixels.");
  }
  DrawingSink sink(target, afterFrame);
  std::int32_t width = 0;
  std::int32_t height = 0;
  Decode(m_bytes, width, height, sink);
}

}  // namespace panelix::gif
