// Writes spinner.gif, the demo's busy indicator: eight dots on a ring, the bright one moving on
// by one dot per frame with a fading trail. Frame 0 is the whole 32 x 32 picture; every later
// frame is only the rectangle that changes, with its unchanged pixels transparent, so the frames
// build on one another as the module shows them.
// Build: g++ -std=c++20 make_spinner.cpp -lgif -o make_spinner && ./make_spinner spinner.gif
#include <gif_lib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

constexpr int kSize = 32;
constexpr int kDots = 8;
constexpr int kTransparent = 7;
enum : GifPixelType { kBackground = 0, kDim = 1, kTrail = 2, kBright = 3, kFaint = 4 };

std::vector<GifPixelType> Picture(int step) {
  std::vector<GifPixelType> px(kSize * kSize, kBackground);
  for (int d = 0; d < kDots; ++d) {
    const double angle = 2 * M_PI * d / kDots - M_PI / 2;
    const double cx = 15.5 + 11 * std::cos(angle);
    const double cy = 15.5 + 11 * std::sin(angle);
    const int age = (step - d + kDots) % kDots;
    const GifPixelType colour = age == 0 ? kBright : age == 1 ? kTrail : age == 2 ? kFaint : kDim;
    for (int y = 0; y < kSize; ++y) {
      for (int x = 0; x < kSize; ++x) {
        if ((x - cx) * (x - cx) + (y - cy) * (y - cy) <= 6.5) {
          px[y * kSize + x] = colour;
        }
      }
    }
  }
  return px;
}

}  // namespace

int main(int argc, char** argv) {
  const char* path = argc > 1 ? argv[1] : "spinner.gif";
  int error = 0;
  GifFileType* gif = EGifOpenFileName(path, false, &error);
  if (gif == nullptr) {
    std::fprintf(stderr, "cannot create %s\n", path);
    return 1;
  }
  const GifColorType colours[8] = {{16, 20, 36},  {60, 70, 100}, {0, 130, 180}, {0, 210, 255},
                                   {30, 90, 130}, {0, 0, 0},     {0, 0, 0},     {255, 0, 255}};
  ColorMapObject* map = GifMakeMapObject(8, colours);
  EGifSetGifVersion(gif, true);
  bool ok = EGifPutScreenDesc(gif, kSize, kSize, 3, 0, map) == GIF_OK;
  std::vector<GifPixelType> shown;
  for (int step = 0; step < kDots && ok; ++step) {
    const std::vector<GifPixelType> next = Picture(step);
    int left = 0, top = 0, right = kSize - 1, bottom = kSize - 1;
    if (!shown.empty()) {
      left = kSize, top = kSize, right = -1, bottom = -1;
      for (int i = 0; i < kSize * kSize; ++i) {
        if (next[i] != shown[i]) {
          left = std::min(left, i % kSize), right = std::max(right, i % kSize);
          top = std::min(top, i / kSize), bottom = std::max(bottom, i / kSize);
        }
      }
    }
    GraphicsControlBlock gcb{};
    gcb.DisposalMode = DISPOSE_DO_NOT;
    gcb.DelayTime = 10;
    gcb.TransparentColor = shown.empty() ? NO_TRANSPARENT_COLOR : kTransparent;
    GifByteType ext[4];
    const size_t n = EGifGCBToExtension(&gcb, ext);
    ok = EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(n), ext) == GIF_OK;
    const int w = right - left + 1, h = bottom - top + 1;
    ok = ok && EGifPutImageDesc(gif, left, top, w, h, false, nullptr) == GIF_OK;
    std::vector<GifPixelType> row(w);
    for (int y = top; y <= bottom && ok; ++y) {
      for (int x = left; x <= right; ++x) {
        const int i = y * kSize + x;
        row[x - left] = (!shown.empty() && next[i] == shown[i]) ? kTransparent : next[i];
      }
      ok = EGifPutLine(gif, row.data(), w) == GIF_OK;
    }
    shown = next;
  }
  GifFreeMapObject(map);
  ok = EGifCloseFile(gif, &error) == GIF_OK && ok;
  if (!ok) {
    std::fprintf(stderr, "writing %s failed\n", path);
    return 1;
  }
  return 0;
}
