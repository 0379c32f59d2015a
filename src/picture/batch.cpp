#include "picture/batch.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>

#include "base/error.h"
#include "base/files.h"
#include "output/address_list.h"
#include "output/bin_writer.h"
#include "output/output_names.h"
#include "picture/encoders.h"
#include "picture/loading.h"

namespace panelix::picture {

ConvertedPicture ConvertPictureFile(const std::string& path, const ConvertOptions& options) {
  const PictureKind kind = ClassifyPicture(path);
  if (kind == PictureKind::None) {
    throw Error("The file is not a BMP, JPEG or PNG picture.");
  }
  const auto file = ReadPictureFile(path, options);
  const Rotation rotation = options.picture.rotation;
  ConvertedPicture result;
  const MessageFn collect = [&result](const std::string& text) { result.messages.push_back(text); };
  RgbImage image;
  if (kind == PictureKind::Png && options.argbPng) {
    // Decode once and use the file's pixels both for the picture and for the 4-4-4-4 encoding.
    const PngPicture png = DecodePng(file, options.limits);
    image = TreatPngAlpha(png, options.picture.format, ReadAlphaThreshold(options.alphaThreshold));
    image = RotatePicture(std::move(image), rotation);
    CheckedEncodedSize(image.width, image.height, PixelFormat::R5G6B5, options.picture.rowPadding);
    result.bytes = EncodeArgb4444(png, image, rotation, options.picture, collect);
  } else {
    image = RotatePicture(LoadPictureBytes(file, kind, options), rotation);
    CheckedEncodedSize(image.width, image.height, options.picture.format, options.picture.rowPadding);
    result.bytes = EncodePicture(image, options.picture);
  }
  result.width = image.width;
  result.height = image.height;
  return result;
}

namespace {

// A picture's outcome: converted, or the reason it failed.
struct Outcome {
  std::optional<ConvertedPicture> picture;
  std::string error;
};

Outcome Convert(const std::string& path, const ConvertOptions& options) {
  Outcome outcome;
  try {
    outcome.picture = ConvertPictureFile(path, options);
  } catch (const Error& e) {
    outcome.error = e.what();
  } catch (const std::bad_alloc&) {
    outcome.error = "Not enough memory for the picture.";
  }
  return outcome;
}

// Converts pictures on worker threads, at most `window` pictures ahead of the one being taken, so
// memory stays bounded whatever the list's length.
class Pipeline {
 public:
  Pipeline(const std::vector<std::string>& paths, const ConvertOptions& options, unsigned threads)
      : m_paths(paths), m_options(options), m_window(2 * static_cast<std::size_t>(threads)) {
    m_slots.resize(paths.size());
    for (unsigned i = 0; i < threads; ++i) {
      m_workers.emplace_back([this] { Work(); });
    }
  }
  ~Pipeline() {
    {
      std::lock_guard lock(m_mutex);
      m_stop = true;
    }
    m_changed.notify_all();
    for (auto& worker : m_workers) {
      worker.join();
    }
  }
  Pipeline(const Pipeline&) = delete;
  Pipeline& operator=(const Pipeline&) = delete;

  // Waits for picture index (taken in order) and hands it over.
  Outcome Take(std::size_t index) {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] { return m_slots[index].has_value(); });
    Outcome outcome = std::move(*m_slots[index]);
    m_slots[index].reset();
    m_taken = index + 1;
    lock.unlock();
    m_changed.notify_all();
    return outcome;
  }

 private:
  void Work() {
    for (;;) {
      std::size_t index = 0;
      {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock,
                       [&] { return m_stop || (m_next < m_paths.size() && m_next < m_taken + m_window); });
        if (m_stop) {
          return;
        }
        index = m_next++;
      }
      Outcome outcome = Convert(m_paths[index], m_options);
      {
        std::lock_guard lock(m_mutex);
        m_slots[index] = std::move(outcome);
      }
      m_changed.notify_all();
    }
  }

  const std::vector<std::string>& m_paths;
  const ConvertOptions m_options;
  const std::size_t m_window;
  std::vector<std::optional<Outcome>> m_slots;
  std::mutex m_mutex;
  std::condition_variable m_changed;
  std::size_t m_next = 0;
  std::size_t m_taken = 0;
  bool m_stop = false;
  std::vector<std::thread> m_workers;
};

}  // namespace

BatchResult ConvertPictures(const std::vector<std::string>& paths, const ConvertOptions& options,
                            const std::string& outputName, unsigned threads, const MessageFn& message,
                            const ProgressFn& progress) {
  if (threads == 0) {
    threads = std::max(1U, std::thread::hardware_concurrency());
  }
  threads = static_cast<unsigned>(std::min<std::size_t>(threads, std::max<std::size_t>(paths.size(), 1)));
  BatchResult result;
  bool allWritten = true;
  output::BinWriter bin(outputName);
  std::vector<std::string> rows;
  std::uint32_t address = 0;
  std::optional<Pipeline> pipeline;
  if (threads > 1) {
    pipeline.emplace(paths, options, threads);
  }
  for (std::size_t i = 0; i < paths.size(); ++i) {
    Outcome outcome = pipeline ? pipeline->Take(i) : Convert(paths[i], options);
    if (!outcome.picture) {
      result.failedPath = paths[i];
      result.failureReason = outcome.error;
      break;
    }
    ConvertedPicture& picture = *outcome.picture;
    for (const auto& text : picture.messages) {
      message(text);
    }
    const auto size = static_cast<std::uint32_t>(picture.bytes.size());
    if (bin.Append(picture.bytes, message) != output::WriteResult::Written) {
      allWritten = false;
    }
    rows.push_back(output::AddressRow(picture.width, picture.height, address, size, paths[i]));
    address += size;
    ++result.converted;
    progress(static_cast<std::int64_t>(i + 1), static_cast<std::int64_t>(paths.size()));
  }
  result.binBytes = bin.BytesWritten();
  if (bin.Begun()) {
    result.binName = outputName;
  }
  if (!result.failedPath.empty()) {
    return result;
  }
  if (output::WriteAddressList(outputName, rows, message) == output::WriteResult::Written) {
    result.addressListName = output::AddressListName(outputName);
  } else {
    allWritten = false;
  }
  result.ok = allWritten;
  return result;
}

}  // namespace panelix::picture
