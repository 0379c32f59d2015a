#include "gif/gif_look_ahead.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <utility>

#include "gif/gif_reader.h"
#include "gif/gif_run.h"

namespace panelix::gif {

// What the decoding hands to the run, in order: the screen's size, then the frames, then the end
// or the failure. A frame is kept as the rows it drew in: their pixels and which of them it drew.
struct GifLookAhead::Item {
  enum class Kind { Screen, Frame, Fail, End };
  Kind kind = Kind::End;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t index = -1;  // the frame's index; -1 for the part of a frame drawn before it failed
  std::int32_t firstRow = 0;
  std::vector<std::uint8_t> rgb;
  std::vector<std::uint8_t> drawn;
  std::exception_ptr error;

  std::size_t Bytes() const { return rgb.size() + drawn.size(); }
};

struct GifLookAhead::Job {
  enum class State { Waiting, Decoding, Done };
  std::string path;
  std::int64_t maxPixels = 0;
  State state = State::Waiting;
  bool taken = false;
  bool cancelled = false;
  std::deque<Item> items;
};

namespace {

// Moves the rows of canvas that frame drew in (flags set in drawn) into a frame item and clears
// their flags.
void TakeDrawnRows(const picture::RgbImage& canvas, std::vector<std::uint8_t>& drawn, std::int32_t& firstRow,
                   std::vector<std::uint8_t>& rgbOut, std::vector<std::uint8_t>& drawnOut) {
  const auto width = static_cast<std::size_t>(canvas.width);
  std::int32_t first = -1;
  std::int32_t last = -1;
  for (std::int32_t y = 0; y < canvas.height && width > 0; ++y) {
    const auto* row = drawn.data() + static_cast<std::size_t>(y) * width;
    if (std::find(row, row + width, std::uint8_t{1}) != row + width) {
      if (first < 0) {
        first = y;
      }
      last = y;
    }
  }
  firstRow = std::max(first, 0);
  rgbOut.clear();
  drawnOut.clear();
  if (first < 0) {
    return;
  }
  const std::size_t rows = static_cast<std::size_t>(last - first + 1);
  const std::size_t from = static_cast<std::size_t>(first) * width;
  rgbOut.assign(canvas.rgb.begin() + static_cast<std::ptrdiff_t>(3 * from),
                canvas.rgb.begin() + static_cast<std::ptrdiff_t>(3 * (from + rows * width)));
  drawnOut.assign(drawn.begin() + static_cast<std::ptrdiff_t>(from),
                  drawn.begin() + static_cast<std::ptrdiff_t>(from + rows * width));
  std::fill(drawn.begin() + static_cast<std::ptrdiff_t>(from),
            drawn.begin() + static_cast<std::ptrdiff_t>(from + rows * width), std::uint8_t{0});
}

}  // namespace

void GifLookAhead::PutOn(picture::RgbImage& canvas, const Item& frame) {
  // Runs of drawn pixels are copied whole: an opaque frame is one copy per row.
  const auto width = static_cast<std::size_t>(canvas.width);
  std::uint8_t* out = canvas.rgb.data() + 3 * static_cast<std::size_t>(frame.firstRow) * width;
  const std::uint8_t* drawn = frame.drawn.data();
  const std::size_t pixels = frame.drawn.size();
  for (std::size_t row = 0; row < pixels; row += width) {
    const std::uint8_t* end = drawn + row + width;
    const std::uint8_t* run = std::find(drawn + row, end, std::uint8_t{1});
    while (run != end) {
      const std::uint8_t* stop = std::find(run, end, std::uint8_t{0});
      const auto from = static_cast<std::size_t>(run - drawn);
      std::memcpy(out + 3 * from, frame.rgb.data() + 3 * from, 3 * static_cast<std::size_t>(stop - run));
      run = std::find(stop, end, std::uint8_t{1});
    }
  }
}

GifLookAhead::GifLookAhead(std::size_t depth, std::size_t maxBytes) : m_depth(depth), m_maxBytes(maxBytes) {}

GifLookAhead::~GifLookAhead() {
  {
    std::lock_guard lock(m_mutex);
    m_stop = true;
    for (const auto& job : m_jobs) {
      job->cancelled = true;
    }
    m_jobs.clear();
  }
  m_changed.notify_all();
  if (m_thread.joinable()) {
    m_thread.join();
  }
}

void GifLookAhead::Cancel(const std::shared_ptr<Job>& job) {
  // Called with the lock held.
  job->cancelled = true;
  for (const Item& item : job->items) {
    m_heldBytes -= item.Bytes();
  }
  job->items.clear();
}

void GifLookAhead::Ahead(const std::vector<std::string>& paths, std::int64_t maxPixels) {
  {
    std::lock_guard lock(m_mutex);
    const auto same = [&](const std::shared_ptr<Job>& job, const std::string& path) {
      return !job->taken && job->path == path && job->maxPixels == maxPixels;
    };
    // Files asked for before are kept only as a run of the old order from the first one wanted on:
    // the thread decodes in order, so a file it has begun never waits behind one it has not.
    std::size_t kept = 0;
    auto from = m_jobs.end();
    if (!paths.empty()) {
      from = std::find_if(m_jobs.begin(), m_jobs.end(), [&](const auto& job) { return same(job, paths[0]); });
    }
    std::deque<std::shared_ptr<Job>> jobs;
    for (auto it = from;
         it != m_jobs.end() && kept < paths.size() && kept <= m_depth && same(*it, paths[kept]);
         ++it, ++kept) {
      jobs.push_back(*it);
    }
    for (const auto& job : m_jobs) {
      if (std::find(jobs.begin(), jobs.end(), job) == jobs.end()) {
        Cancel(job);
      }
    }
    for (std::size_t i = kept; i < paths.size() && i <= m_depth; ++i) {
      auto job = std::make_shared<Job>();
      job->path = paths[i];
      job->maxPixels = maxPixels;
      jobs.push_back(std::move(job));
    }
    m_jobs = std::move(jobs);
    if (!m_jobs.empty() && !m_thread.joinable()) {
      m_thread = std::thread([this] { Work(); });
    }
  }
  m_changed.notify_all();
}

void GifLookAhead::Drop() {
  {
    std::lock_guard lock(m_mutex);
    for (const auto& job : m_jobs) {
      Cancel(job);
    }
    m_jobs.clear();
  }
  m_changed.notify_all();
}

void GifLookAhead::Draw(const std::string& path, std::int64_t maxPixels, picture::RgbImage& canvas,
                        const std::function<bool(std::int32_t)>& afterFrame) {
  std::shared_ptr<Job> job;
  {
    std::lock_guard lock(m_mutex);
    const auto found = std::find_if(m_jobs.begin(), m_jobs.end(), [&](const std::shared_ptr<Job>& j) {
      return !j->taken && j->path == path && j->maxPixels == maxPixels;
    });
    if (found != m_jobs.end()) {
      job = *found;
      job->taken = true;
      // Files before it are skipped by the run: no longer wanted.
      for (auto it = m_jobs.begin(); it != found; ++it) {
        Cancel(*it);
      }
      m_jobs.erase(m_jobs.begin(), found);
    }
  }
  m_changed.notify_all();
  if (!job) {
    DrawGifFile(path, maxPixels, canvas, afterFrame);
    return;
  }
  // However the drawing ends, the rest of the file is no longer wanted.
  struct Release {
    GifLookAhead& ahead;
    const std::shared_ptr<Job>& job;
    ~Release() {
      {
        std::lock_guard lock(ahead.m_mutex);
        ahead.Cancel(job);
        std::erase(ahead.m_jobs, job);
      }
      ahead.m_changed.notify_all();
    }
  } release{*this, job};
  for (;;) {
    Item item;
    {
      std::unique_lock lock(m_mutex);
      m_changed.wait(lock, [&] { return !job->items.empty(); });
      item = std::move(job->items.front());
      job->items.pop_front();
      m_heldBytes -= item.Bytes();
    }
    m_changed.notify_all();
    switch (item.kind) {
      case Item::Kind::Screen:
        SizeCanvas(canvas, item.width, item.height);
        break;
      case Item::Kind::Frame: {
        PutOn(canvas, item);
        GiveBack(item);
        if (item.index >= 0 && !afterFrame(item.index)) {
          return;
        }
        break;
      }
      case Item::Kind::Fail:
        std::rethrow_exception(item.error);
      case Item::Kind::End:
        return;
    }
  }
}

std::vector<std::uint8_t> GifLookAhead::Spare() {
  std::lock_guard lock(m_mutex);
  if (m_spare.empty()) {
    return {};
  }
  std::vector<std::uint8_t> spare = std::move(m_spare.back());
  m_spare.pop_back();
  return spare;
}

void GifLookAhead::GiveBack(Item& item) {
  // Enough for the frames in flight; fresh memory for each frame would cost page faults.
  constexpr std::size_t kMostSpare = 8;
  std::lock_guard lock(m_mutex);
  for (std::vector<std::uint8_t>* buffer : {&item.rgb, &item.drawn}) {
    if (m_spare.size() < kMostSpare && buffer->capacity() > 0) {
      m_spare.push_back(std::move(*buffer));
    }
  }
}

bool GifLookAhead::Push(Job& job, Item item) {
  std::unique_lock lock(m_mutex);
  const std::size_t bytes = item.Bytes();
  m_changed.wait(
      lock, [&] { return m_stop || job.cancelled || m_heldBytes == 0 || m_heldBytes + bytes <= m_maxBytes; });
  if (m_stop || job.cancelled) {
    return false;
  }
  m_heldBytes += bytes;
  job.items.push_back(std::move(item));
  lock.unlock();
  m_changed.notify_all();
  return true;
}

void GifLookAhead::Decode(Job& job) {
  picture::RgbImage canvas;
  std::vector<std::uint8_t> drawn;
  try {
    const GifReader reader = GifReader::FromFile(job.path, job.maxPixels);
    Item screen;
    screen.kind = Item::Kind::Screen;
    screen.width = reader.ScreenWidth();
    screen.height = reader.ScreenHeight();
    if (!Push(job, std::move(screen))) {
      return;
    }
    canvas = picture::MakeRgbImage(reader.ScreenWidth(), reader.ScreenHeight());
    drawn.assign(static_cast<std::size_t>(canvas.width) * static_cast<std::size_t>(canvas.height), 0);
    bool wanted = true;
    reader.DrawFrames({canvas.width, canvas.height, canvas.rgb, drawn}, [&](std::int32_t index) {
      Item frame;
      frame.kind = Item::Kind::Frame;
      frame.index = index;
      // Given back as rgb then drawn: taken in the other order.
      frame.drawn = Spare();
      frame.rgb = Spare();
      TakeDrawnRows(canvas, drawn, frame.firstRow, frame.rgb, frame.drawn);
      wanted = Push(job, std::move(frame));
      return wanted;
    });
    if (!wanted) {
      return;
    }
  } catch (...) {
    Item failure;
    failure.kind = Item::Kind::Fail;
    failure.error = std::current_exception();
    if (!drawn.empty()) {
      // What the failing frame drew before its data broke off stays on the canvas.
      Item part;
      part.kind = Item::Kind::Frame;
      TakeDrawnRows(canvas, drawn, part.firstRow, part.rgb, part.drawn);
      if (!Push(job, std::move(part))) {
        return;
      }
    }
    Push(job, std::move(failure));
    return;
  }
  Push(job, Item{});
}

void GifLookAhead::Work() {
  for (;;) {
    std::shared_ptr<Job> job;
    {
      std::unique_lock lock(m_mutex);
      const auto waiting = [&] {
        return std::find_if(m_jobs.begin(), m_jobs.end(),
                            [](const std::shared_ptr<Job>& j) { return j->state == Job::State::Waiting; });
      };
      m_changed.wait(lock, [&] { return m_stop || waiting() != m_jobs.end(); });
      if (m_stop) {
        return;
      }
      job = *waiting();
      job->state = Job::State::Decoding;
    }
    Decode(*job);
    {
      std::lock_guard lock(m_mutex);
      job->state = Job::State::Done;
    }
    m_changed.notify_all();
  }
}

}  // namespace panelix::gif
