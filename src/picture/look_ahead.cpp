#include "picture/look_ahead.h"

#include <algorithm>
#include <utility>

#include "picture/decoders.h"
#include "picture/encoders.h"
#include "picture/picture_kind.h"

namespace panelix::picture {

namespace {

bool SameLimits(const DecodeLimits& a, const DecodeLimits& b) {
  return a.maxSide == b.maxSide && a.maxPixels == b.maxPixels;
}

}  // namespace

DecodedFile DecodeFile(const std::string& path, const DecodeLimits& limits) {
  DecodedFile file;
  file.path = path;
  file.limits = limits;
  file.kind = ClassifyPicture(path);
  if (file.kind == PictureKind::None) {
    return file;
  }
  try {
    ConvertOptions options;
    options.limits = limits;
    const std::vector<std::uint8_t> bytes = ReadPictureFile(path, options);
    file.read = true;
    switch (file.kind) {
      case PictureKind::Png:
        file.png = DecodePng(bytes, limits);
        break;
      case PictureKind::Jpeg:
        file.image = DecodeJpeg(bytes, limits, &file.warnings);
        break;
      case PictureKind::Bmp:
        file.image = DecodeBmp(bytes, limits);
        break;
      case PictureKind::None:
        break;
    }
  } catch (...) {
    file.error = std::current_exception();
    file.png = {};
    file.image = {};
    file.warnings.clear();
  }
  return file;
}

bool LoadDecodedPreview(Preview& preview, DecodedFile file, const ConvertOptions& options) {
  preview.path = file.path;
  preview.kind = file.kind;
  if (file.kind == PictureKind::None) {
    return false;
  }
  if (file.error && !file.read) {
    std::rethrow_exception(file.error);
  }
  RgbImage image;
  if (file.kind == PictureKind::Png) {
    // A load reads the threshold after the file and before decoding it.
    const std::int32_t threshold = ReadAlphaThreshold(options.alphaThreshold);
    if (file.error) {
      std::rethrow_exception(file.error);
    }
    image = TreatPngAlpha(std::move(file.png), options.picture.format, threshold);
  } else {
    if (file.error) {
      std::rethrow_exception(file.error);
    }
    image = std::move(file.image);
  }
  // The sizes as encoded, after the rotation.
  const Rotation rotation = options.picture.rotation;
  const bool turned = rotation != Rotation::None;
  const std::int32_t w = turned ? image.height : image.width;
  const std::int32_t h = turned ? image.width : image.height;
  CheckedEncodedSize(w, h, options.picture.format, options.picture.rowPadding);
  if (file.kind == PictureKind::Png && options.argbPng) {
    CheckedEncodedSize(w, h, PixelFormat::R5G6B5, options.picture.rowPadding);
  }
  preview.image = RotatePicture(std::move(image), rotation);
  preview.rotation = rotation;
  preview.warnings = std::move(file.warnings);
  return true;
}

struct LookAhead::Job {
  enum class State { Waiting, Decoding, Done };
  std::string path;
  DecodeLimits limits;
  State state = State::Waiting;
  DecodedFile result;
};

LookAhead::LookAhead(std::size_t depth) : m_depth(std::max<std::size_t>(depth, 1)) {}

LookAhead::~LookAhead() {
  {
    std::lock_guard lock(m_mutex);
    m_stop = true;
    m_jobs.clear();
  }
  m_changed.notify_all();
  if (m_thread.joinable()) {
    m_thread.join();
  }
}

void LookAhead::StartThread() {
  if (!m_thread.joinable()) {
    m_thread = std::thread([this] { Work(); });
  }
}

void LookAhead::Ahead(const std::vector<std::string>& paths, const DecodeLimits& limits) {
  {
    std::lock_guard lock(m_mutex);
    std::deque<std::shared_ptr<Job>> jobs;
    for (std::size_t i = 0; i < paths.size() && i <= m_depth; ++i) {
      const auto found = std::find_if(m_jobs.begin(), m_jobs.end(), [&](const std::shared_ptr<Job>& job) {
        return job && job->path == paths[i] && SameLimits(job->limits, limits);
      });
      if (found != m_jobs.end()) {
        jobs.push_back(std::move(*found));
      } else {
        auto job = std::make_shared<Job>();
        job->path = paths[i];
        job->limits = limits;
        jobs.push_back(std::move(job));
      }
    }
    // A file being decoded and no longer wanted is left to the thread, which drops it when done.
    m_jobs = std::move(jobs);
    if (!m_jobs.empty()) {
      StartThread();
    }
  }
  m_changed.notify_all();
}

DecodedFile LookAhead::Take(const std::string& path, const DecodeLimits& limits) {
  {
    std::unique_lock lock(m_mutex);
    const auto found = std::find_if(m_jobs.begin(), m_jobs.end(), [&](const std::shared_ptr<Job>& job) {
      return job->path == path && SameLimits(job->limits, limits);
    });
    if (found != m_jobs.end()) {
      const std::shared_ptr<Job> job = *found;
      m_jobs.erase(found);
      if (job->state != Job::State::Waiting) {
        m_changed.wait(lock, [&] { return job->state == Job::State::Done; });
        return std::move(job->result);
      }
    }
  }
  return DecodeFile(path, limits);
}

void LookAhead::Drop() {
  std::lock_guard lock(m_mutex);
  m_jobs.clear();
}

void LookAhead::Work() {
  for (;;) {
    std::shared_ptr<Job> job;
    {
      std::unique_lock lock(m_mutex);
      m_changed.wait(lock, [&] {
        return m_stop || std::any_of(m_jobs.begin(), m_jobs.end(), [](const std::shared_ptr<Job>& j) {
                 return j->state == Job::State::Waiting;
               });
      });
      if (m_stop) {
        return;
      }
      job = *std::find_if(m_jobs.begin(), m_jobs.end(),
                          [](const std::shared_ptr<Job>& j) { return j->state == Job::State::Waiting; });
      job->state = Job::State::Decoding;
    }
    DecodedFile result = DecodeFile(job->path, job->limits);
    {
      std::lock_guard lock(m_mutex);
      job->result = std::move(result);
      job->state = Job::State::Done;
    }
    m_changed.notify_all();
  }
}

}  // namespace panelix::picture
