// Picture converter benchmark and sample generator.
//   bench_picture --generate DIR   200 PNG pictures of 800 x 480, 50 JPEGs of 1024 x 600 and
//                                  50 BMPs of 800 x 480, and in DIR/gif 3 GIFs of 30 frames
//   bench_picture --libpng DIR     decodes the PNGs of DIR alone with libpng's simplified API on
//                                  one thread: the floor a one-core conversion is measured against
//   bench_picture --decode DIR [THREADS]
//                                  decodes every picture of DIR alone (no encoding, no writing)
//                                  on THREADS threads (default one per core) and prints the time
//   bench_picture --demo DIR       the demo project's pictures: background, icons, digits, keys
// bench/picture.sh compares --decode with `panelix picture` over the same files.
#include <gif_lib.h>
#include <png.h>
#include <spng.h>
#include <turbojpeg.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "picture/folder_scan.h"
#include "picture/loading.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;

// An RGBA canvas with a few drawing helpers for UI-like art.
struct Canvas {
  int w, h;
  Bytes rgba;
  Canvas(int width, int height)
      : w(width), h(height), rgba(static_cast<std::size_t>(width) * height * 4, 0) {}

  std::uint8_t* At(int x, int y) { return rgba.data() + 4 * (static_cast<std::size_t>(y) * w + x); }
  const std::uint8_t* At(int x, int y) const {
    return rgba.data() + 4 * (static_cast<std::size_t>(y) * w + x);
  }
  void Blend(int x, int y, std::uint32_t rgb, double a) {
    if (x < 0 || y < 0 || x >= w || y >= h || a <= 0) {
      return;
    }
    a = std::min(a, 1.0);
    std::uint8_t* p = At(x, y);
    const double src[3] = {double(rgb >> 16 & 0xFF), double(rgb >> 8 & 0xFF), double(rgb & 0xFF)};
    const double da = p[3] / 255.0;
    const double oa = a + da * (1 - a);
    for (int c = 0; c < 3; ++c) {
      p[c] = static_cast<std::uint8_t>(std::lround((src[c] * a + p[c] * da * (1 - a)) / std::max(oa, 1e-9)));
    }
    p[3] = static_cast<std::uint8_t>(std::lround(oa * 255));
  }
  void Gradient(std::uint32_t top, std::uint32_t bottom) {
    for (int y = 0; y < h; ++y) {
      const double t = h > 1 ? double(y) / (h - 1) : 0;
      std::uint32_t c = 0;
      for (int s = 16; s >= 0; s -= 8) {
        const double v = (top >> s & 0xFF) * (1 - t) + (bottom >> s & 0xFF) * t;
        c |= static_cast<std::uint32_t>(std::lround(v)) << s;
      }
      for (int x = 0; x < w; ++x) {
        Blend(x, y, c, 1);
      }
    }
  }
  // A rounded rectangle with soft edges.
  void Panel(int x0, int y0, int pw, int ph, int radius, std::uint32_t rgb, double alpha) {
    for (int y = y0; y < y0 + ph; ++y) {
      for (int x = x0; x < x0 + pw; ++x) {
        const double cx = std::clamp<double>(x + 0.5, x0 + radius, x0 + pw - radius);
        const double cy = std::clamp<double>(y + 0.5, y0 + radius, y0 + ph - radius);
        const double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
        Blend(x, y, rgb, alpha * std::clamp(radius + 0.5 - d, 0.0, 1.0));
      }
    }
  }
  void Disc(double cx, double cy, double r, std::uint32_t rgb, double alpha) {
    for (int y = int(cy - r - 1); y <= int(cy + r + 1); ++y) {
      for (int x = int(cx - r - 1); x <= int(cx + r + 1); ++x) {
        const double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
        Blend(x, y, rgb, alpha * std::clamp(r + 0.5 - d, 0.0, 1.0));
      }
    }
  }
  Bytes Rgb() const {
    Bytes out;
    out.reserve(static_cast<std::size_t>(w) * h * 3);
    for (std::size_t i = 0; i < rgba.size(); i += 4) {
      out.insert(out.end(), {rgba[i], rgba[i + 1], rgba[i + 2]});
    }
    return out;
  }
};

void WriteFile(const fs::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) {
    throw std::runtime_error("cannot write " + path.string());
  }
}

Bytes Png(const Canvas& c, bool alpha) {
  spng_ctx* ctx = spng_ctx_new(SPNG_CTX_ENCODER);
  spng_set_option(ctx, SPNG_ENCODE_TO_BUFFER, 1);
  spng_ihdr ihdr{};
  ihdr.width = static_cast<std::uint32_t>(c.w);
  ihdr.height = static_cast<std::uint32_t>(c.h);
  ihdr.bit_depth = 8;
  ihdr.color_type = alpha ? SPNG_COLOR_TYPE_TRUECOLOR_ALPHA : SPNG_COLOR_TYPE_TRUECOLOR;
  spng_set_ihdr(ctx, &ihdr);
  Bytes pixels = alpha ? c.rgba : c.Rgb();
  if (spng_encode_image(ctx, pixels.data(), pixels.size(), SPNG_FMT_PNG, SPNG_ENCODE_FINALIZE) != 0) {
    throw std::runtime_error("PNG encoding failed");
  }
  std::size_t size = 0;
  int error = 0;
  auto* buffer = static_cast<std::uint8_t*>(spng_get_png_buffer(ctx, &size, &error));
  Bytes png(buffer, buffer + size);
  std::free(buffer);
  spng_ctx_free(ctx);
  return png;
}

Bytes Jpeg(const Canvas& c, int quality) {
  tjhandle handle = tjInitCompress();
  Bytes rgb = c.Rgb();
  unsigned char* out = nullptr;
  unsigned long size = 0;
  if (tjCompress2(handle, rgb.data(), c.w, c.w * 3, c.h, TJPF_RGB, &out, &size, TJSAMP_420, quality, 0) !=
      0) {
    throw std::runtime_error("JPEG encoding failed");
  }
  Bytes jpeg(out, out + size);
  tjFree(out);
  tjDestroy(handle);
  return jpeg;
}

// A 24-bit bottom-up BMP with a 40-byte header.
Bytes Bmp(const Canvas& c) {
  const std::size_t stride = (static_cast<std::size_t>(c.w) * 3 + 3) / 4 * 4;
  Bytes b(54 + stride * c.h, 0);
  const auto put = [&b](std::size_t at, std::uint32_t v, int n) {
    for (int i = 0; i < n; ++i) {
      b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    }
  };
  b[0] = 'B';
  b[1] = 'M';
  put(2, static_cast<std::uint32_t>(b.size()), 4);
  put(10, 54, 4);
  put(14, 40, 4);
  put(18, static_cast<std::uint32_t>(c.w), 4);
  put(22, static_cast<std::uint32_t>(c.h), 4);
  put(26, 1, 2);
  put(28, 24, 2);
  put(34, static_cast<std::uint32_t>(stride * c.h), 4);
  for (int y = 0; y < c.h; ++y) {
    std::uint8_t* row = b.data() + 54 + stride * (c.h - 1 - y);
    for (int x = 0; x < c.w; ++x) {
      const std::uint8_t* p = c.At(x, y);
      row[3 * x] = p[2];
      row[3 * x + 1] = p[1];
      row[3 * x + 2] = p[0];
    }
  }
  return b;
}

// An animation of `frames` full frames: a gradient background with a moving disc, in a fixed
// 6 x 7 x 6 colour cube.
void WriteGif(const fs::path& path, int w, int h, int frames, int seed) {
  int error = 0;
  GifFileType* gif = EGifOpenFileName(path.c_str(), false, &error);
  if (gif == nullptr) {
    throw std::runtime_error("cannot write " + path.string());
  }
  std::vector<GifColorType> colours(256);
  for (int i = 0; i < 252; ++i) {
    colours[i] = {static_cast<GifByteType>(i / 42 * 51), static_cast<GifByteType>(i / 6 % 7 * 42),
                  static_cast<GifByteType>(i % 6 * 51)};
  }
  ColorMapObject* map = GifMakeMapObject(256, colours.data());
  EGifPutScreenDesc(gif, w, h, 8, 0, map);
  std::vector<GifByteType> row(static_cast<std::size_t>(w));
  for (int f = 0; f < frames; ++f) {
    Canvas c(w, h);
    c.Gradient(0x102040 + static_cast<std::uint32_t>(seed) * 0x100000, 0x60A0C0);
    c.Disc(40 + f * (w - 80) / frames, h / 2.0, 30, 0xF08020, 1.0);
    EGifPutImageDesc(gif, 0, 0, w, h, false, nullptr);
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        const std::uint8_t* p = c.At(x, y);
        row[static_cast<std::size_t>(x)] = static_cast<GifByteType>(
            (p[0] * 5 + 127) / 255 * 42 + (p[1] * 6 + 127) / 255 * 6 + (p[2] * 5 + 127) / 255);
      }
      EGifPutLine(gif, row.data(), w);
    }
  }
  GifFreeMapObject(map);
  EGifCloseFile(gif, &error);
}

// A screen-like picture: gradient, panels and discs that change with the seed.
Canvas Screen(int w, int h, int seed) {
  Canvas c(w, h);
  c.Gradient(0x102040 + static_cast<std::uint32_t>(seed % 7) * 0x080400, 0x406080);
  for (int i = 0; i < 6; ++i) {
    const int px = (seed * 37 + i * 131) % (w - 200);
    const int py = (seed * 53 + i * 71) % (h - 120);
    c.Panel(px, py, 180, 100, 12, 0xE0E8F0 - static_cast<std::uint32_t>(i) * 0x101008, 0.8);
    c.Disc(px + 40, py + 50, 24, 0xF08020 + static_cast<std::uint32_t>(i) * 0x001010, 1.0);
  }
  // Grain in every channel, as in rendered or photographed art, so the files compress like real
  // pictures (a few hundred kilobytes) rather than flat fills.
  std::uint32_t state = 0x9E3779B9U * static_cast<std::uint32_t>(seed + 1);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      std::uint8_t* p = c.At(x, y);
      for (int ch = 0; ch < 3; ++ch) {
        state = state * 1664525U + 1013904223U;
        const int n = static_cast<int>(state >> 29) - 4;
        p[ch] = static_cast<std::uint8_t>(std::clamp(p[ch] + n, 0, 255));
      }
    }
  }
  return c;
}

int Generate(const fs::path& dir) {
  fs::create_directories(dir);
  for (int i = 0; i < 200; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "screen%03d.png", i);
    WriteFile(dir / name, Png(Screen(800, 480, i), false));
  }
  for (int i = 0; i < 50; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "photo%03d.jpg", i);
    WriteFile(dir / name, Jpeg(Screen(1024, 600, 1000 + i), 90));
  }
  for (int i = 0; i < 50; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "panel%03d.bmp", i);
    WriteFile(dir / name, Bmp(Screen(800, 480, 2000 + i)));
  }
  fs::create_directories(dir / "gif");
  for (int i = 0; i < 3; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "anim%d.gif", i);
    WriteGif(dir / "gif" / name, 480, 272, 30, i);
  }
  std::printf("Wrote 200 PNG, 50 JPEG and 50 BMP pictures and 3 GIFs to %s\n", dir.c_str());
  return 0;
}

int LibpngFloor(const fs::path& dir) {
  std::vector<fs::path> list;
  for (const auto& entry : fs::directory_iterator(dir)) {
    if (entry.path().extension() == ".png") {
      list.push_back(entry.path());
    }
  }
  std::sort(list.begin(), list.end());
  std::uint64_t pixels = 0;
  const auto start = std::chrono::steady_clock::now();
  // One file at a time into buffers that are reused, as a careful decoder of its own would.
  Bytes file;
  Bytes rgb;
  for (const auto& path : list) {
    std::ifstream in(path, std::ios::binary);
    file.resize(static_cast<std::size_t>(fs::file_size(path)));
    in.read(reinterpret_cast<char*>(file.data()), static_cast<std::streamsize>(file.size()));
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_memory(&image, file.data(), file.size()) == 0) {
      throw std::runtime_error(image.message);
    }
    image.format = PNG_FORMAT_RGB;
    rgb.resize(PNG_IMAGE_SIZE(image));
    if (png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr) == 0) {
      throw std::runtime_error(image.message);
    }
    pixels += std::uint64_t{image.width} * image.height;
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("libpng decoded %zu pictures, %llu pixels in %.3f s\n", list.size(),
              static_cast<unsigned long long>(pixels), seconds);
  return 0;
}

int Decode(const fs::path& dir, unsigned threads) {
  std::string chosen = dir.string();
  if (chosen.back() != '/') {
    chosen += '/';
  }
  const auto list = panelix::picture::ScanPictureFolder(chosen);
  if (threads == 0) {
    threads = std::max(1U, std::thread::hardware_concurrency());
  }
  std::atomic<std::size_t> next{0};
  std::atomic<std::uint64_t> pixels{0};
  const auto start = std::chrono::steady_clock::now();
  std::vector<std::thread> pool;
  for (unsigned t = 0; t < threads; ++t) {
    pool.emplace_back([&] {
      const panelix::picture::ConvertOptions options;
      for (std::size_t i = next++; i < list.size(); i = next++) {
        const auto image = panelix::picture::LoadPicture(list[i], options);
        pixels += static_cast<std::uint64_t>(image.width) * static_cast<std::uint64_t>(image.height);
      }
    });
  }
  for (auto& thread : pool) {
    thread.join();
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("decoded %zu pictures, %llu pixels on %u threads in %.3f s\n", list.size(),
              static_cast<unsigned long long>(pixels.load()), threads, seconds);
  return 0;
}

// A seven-segment digit on a dark tile.
Canvas Digit(int d) {
  static const int kSegments[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};
  Canvas c(24, 40);
  c.Gradient(0x101418, 0x202830);
  const struct {
    int x, y, w, h;
  } seg[7] = {{5, 3, 14, 4},  {17, 5, 4, 14}, {17, 21, 4, 14}, {5, 33, 14, 4},
              {3, 21, 4, 14}, {3, 5, 4, 14},  {5, 18, 14, 4}};
  for (int s = 0; s < 7; ++s) {
    const bool on = (kSegments[d] >> s & 1) != 0;
    c.Panel(seg[s].x, seg[s].y, seg[s].w, seg[s].h, 2, on ? 0x40F0A0 : 0x283038, 1.0);
  }
  return c;
}

Canvas Key(int index, bool pressed) {
  Canvas c(80, 48);
  c.Gradient(0x1C2430, 0x1C2430);
  c.Panel(2, pressed ? 4 : 2, 76, 42, 8, pressed ? 0x2060C0 : 0x4080E0, 1.0);
  c.Panel(6, pressed ? 8 : 6, 68, 14, 6, 0xFFFFFF, pressed ? 0.15 : 0.3);
  for (int i = 0; i <= index; ++i) {
    c.Disc(20 + i * 14, 30, 4, 0xFFFFFF, 0.9);
  }
  return c;
}

int Demo(const fs::path& dir) {
  fs::create_directories(dir);
  Canvas bg(480, 272);
  bg.Gradient(0x0B1A33, 0x2B5C8A);
  bg.Panel(0, 0, 480, 36, 0, 0x06101E, 0.85);
  bg.Panel(16, 52, 216, 200, 14, 0xDDE6F0, 0.92);
  bg.Panel(248, 52, 216, 96, 14, 0xDDE6F0, 0.92);
  bg.Panel(248, 156, 216, 96, 14, 0xF0A040, 0.95);
  WriteFile(dir / "background.png", Png(bg, false));

  const std::uint32_t iconColours[3] = {0x30C060, 0xE04040, 0xF0C020};
  const char* iconNames[3] = {"icon-ok.png", "icon-alarm.png", "icon-warn.png"};
  for (int i = 0; i < 3; ++i) {
    Canvas icon(48, 48);
    icon.Disc(24, 24, 21, iconColours[i], 1.0);
    icon.Disc(24, 24, 12, 0xFFFFFF, 0.85);
    icon.Disc(24, 24, 6, iconColours[i], 1.0);
    WriteFile(dir / iconNames[i], Png(icon, true));
  }
  fs::create_directories(dir / "digits");
  for (int d = 0; d < 10; ++d) {
    WriteFile(dir / "digits" / ("digit-" + std::to_string(d) + ".png"), Png(Digit(d), false));
  }
  fs::create_directories(dir / "keys");
  for (int k = 0; k < 3; ++k) {
    WriteFile(dir / "keys" / ("key" + std::to_string(k) + "-up.png"), Png(Key(k, false), false));
    WriteFile(dir / "keys" / ("key" + std::to_string(k) + "-down.png"), Png(Key(k, true), false));
  }
  Canvas photo = Screen(320, 180, 7);
  WriteFile(dir / "splash.jpg", Jpeg(photo, 85));
  Canvas button(96, 40);
  button.Gradient(0x1C2430, 0x1C2430);
  button.Panel(2, 2, 92, 36, 10, 0x3A9A5A, 1.0);
  button.Panel(8, 6, 80, 12, 6, 0xFFFFFF, 0.25);
  WriteFile(dir / "button.bmp", Bmp(button));
  std::printf("Wrote the demo pictures to %s\n", dir.c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    if (argc >= 3 && std::strcmp(argv[1], "--generate") == 0) {
      return Generate(argv[2]);
    }
    if (argc >= 3 && std::strcmp(argv[1], "--decode") == 0) {
      return Decode(argv[2], argc >= 4 ? static_cast<unsigned>(std::atoi(argv[3])) : 0);
    }
    if (argc >= 3 && std::strcmp(argv[1], "--libpng") == 0) {
      return LibpngFloor(argv[2]);
    }
    if (argc >= 3 && std::strcmp(argv[1], "--demo") == 0) {
      return Demo(argv[2]);
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  std::fprintf(stderr,
               "usage: bench_picture --generate DIR | --decode DIR [THREADS] | --libpng DIR | --demo DIR\n");
  return 2;
}
