#pragma once

// Writes small GIF files with giflib's encoder, so the tests state their pictures inline.
#include <gif_lib.h>

#include <array>
#include <cstdint>
#include <stdexcept>
#include <vector>

namespace panelix::test {

using Palette = std::vector<std::array<std::uint8_t, 3>>;

struct TestFrame {
  TestFrame(int l, int t, int w, int h, std::vector<std::uint8_t> idx, Palette local = {}, int transp = -1,
            bool interlaced = false)
      : left(l),
        top(t),
        width(w),
        height(h),
        indices(std::move(idx)),
        localColors(std::move(local)),
        transparent(transp),
        interlace(interlaced) {}
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> indices;  // width x height, rows from the top
  Palette localColors;                // empty: the global colour table applies
  int transparent = -1;
  bool interlace = false;
};

// The palette's size rounded up to a power of two, as GIF colour tables need.
inline ColorMapObject* MakeColorMap(const Palette& palette) {
  int count = 2;
  while (count < static_cast<int>(palette.size())) {
    count *= 2;
  }
  std::vector<GifColorType> colors(static_cast<std::size_t>(count), GifColorType{0, 0, 0});
  for (std::size_t i = 0; i < palette.size(); ++i) {
    colors[i] = GifColorType{palette[i][0], palette[i][1], palette[i][2]};
  }
  return GifMakeMapObject(count, colors.data());
}

inline int WriteToVector(GifFileType* gif, const GifByteType* data, int length) {
  auto* out = static_cast<std::vector<std::uint8_t>*>(gif->UserData);
  out->insert(out->end(), data, data + length);
  return length;
}

inline std::vector<std::uint8_t> MakeGif(int screenWidth, int screenHeight, const Palette& globalColors,
                                         const std::vector<TestFrame>& frames) {
  std::vector<std::uint8_t> out;
  int error = 0;
  GifFileType* gif = EGifOpen(&out, WriteToVector, &error);
  if (gif == nullptr) {
    throw std::runtime_error("EGifOpen failed");
  }
  EGifSetGifVersion(gif, true);
  ColorMapObject* global = globalColors.empty() ? nullptr : MakeColorMap(globalColors);
  bool ok = EGifPutScreenDesc(gif, screenWidth, screenHeight, 8, 0, global) == GIF_OK;
  GifFreeMapObject(global);
  for (const TestFrame& f : frames) {
    if (f.transparent >= 0) {
      GraphicsControlBlock gcb{};
      gcb.DisposalMode = DISPOSE_DO_NOT;
      gcb.TransparentColor = f.transparent;
      GifByteType ext[4];
      const std::size_t n = EGifGCBToExtension(&gcb, ext);
      ok = ok && EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(n), ext) == GIF_OK;
    }
    ColorMapObject* local = f.localColors.empty() ? nullptr : MakeColorMap(f.localColors);
    ok = ok && EGifPutImageDesc(gif, f.left, f.top, f.width, f.height, f.interlace, local) == GIF_OK;
    GifFreeMapObject(local);
    std::vector<int> rowOrder;
    if (f.interlace) {
      for (auto [start, step] : {std::pair{0, 8}, {4, 8}, {2, 4}, {1, 2}}) {
        for (int y = start; y < f.height; y += step) {
          rowOrder.push_back(y);
        }
      }
    } else {
      for (int y = 0; y < f.height; ++y) {
        rowOrder.push_back(y);
      }
    }
    for (int y : rowOrder) {
      std::vector<GifPixelType> row(f.indices.begin() + y * f.width, f.indices.begin() + (y + 1) * f.width);
      ok = ok && EGifPutLine(gif, row.data(), f.width) == GIF_OK;
    }
  }
  ok = EGifCloseFile(gif, &error) == GIF_OK && ok;
  if (!ok) {
    throw std::runtime_error("writing the test GIF failed");
  }
  return out;
}

}  // namespace panelix::test
