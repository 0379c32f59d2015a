#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "picture/rgb_image.h"

namespace panelix::gif {

// Decodes the GIFs of a run on a thread of its own, frame by frame, while the run converts the
// frames already decoded. Each frame is kept as the pixels it draws (no canvas), so what lies under
// its transparent pixels is whatever the run's canvas holds when the frame is put on it, exactly as
// when it is decoded there. At most maxBytes of decoded frames wait at any time (at least one
// frame). Destroying it stops the thread after the frame it is decoding.
class GifLookAhead {
 public:
  explicit GifLookAhead(std::size_t depth = 1, std::size_t maxBytes = std::size_t{4} << 20);
  ~GifLookAhead();
  GifLookAhead(const GifLookAhead&) = delete;
  GifLookAhead& operator=(const GifLookAhead&) = delete;

  // The GIF files the run wants, in order: the one it converts next, then those after it (at most
  // depth of them). Files asked for before and not listed now are dropped.
  void Ahead(const std::vector<std::string>& paths, std::int64_t maxPixels);
  // DrawGifFile (gif/gif_run.h), from the frames decoded here when the file was asked for with the same
  // limit, otherwise decoded on the spot. A stop (afterFrame returns false or throws) drops the rest.
  void Draw(const std::string& path, std::int64_t maxPixels, picture::RgbImage& canvas,
            const std::function<bool(std::int32_t)>& afterFrame);
  // Drops every file asked for.
  void Drop();

 private:
  struct Item;
  struct Job;
  void Work();
  void Decode(Job& job);
  // Hands an item to the run, waiting while too much is held; false when the job was dropped.
  bool Push(Job& job, Item item);
  void Cancel(const std::shared_ptr<Job>& job);
  static void PutOn(picture::RgbImage& canvas, const Item& frame);
  // A buffer a frame the run is done with held, for the next frame decoded (empty when none).
  std::vector<std::uint8_t> Spare();
  void GiveBack(Item& item);

  const std::size_t m_depth;
  const std::size_t m_maxBytes;
  std::mutex m_mutex;
  std::condition_variable m_changed;
  std::deque<std::shared_ptr<Job>> m_jobs;
  std::vector<std::vector<std::uint8_t>> m_spare;
  std::size_t m_heldBytes = 0;
  bool m_stop = false;
  std::thread m_thread;
};

}  // namespace panelix::gif
