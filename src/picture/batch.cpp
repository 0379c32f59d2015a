#include "picture/batch.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <limits>
#include <mutex>
#include <optional>
#include <thread>

#include "base/error.h"
#include "base/files.h"
#include "output/address_list.h"
#include "output/bin_writer.h"
#include "output/output_names.h"
#include "picture/decode_checks.h"
#include "picture/encoders.h"
#include "picture/loading.h"

namespace panelix::picture {

namespace {

// A picture the row path hands back to the usual way, which then reports what is wrong in its own
// order.
struct Declined {};

// The common case without a whole picture in memory: a picture neither turned nor dithered nor
// encoded as 4-4-4-4 is encoded row by row while each row is in cache (PNG rows alpha-treated
// first). PNGs the one-call path reads, JPEGs whose data could fill their declared size and
// uncompressed BMPs go this way. The bytes, warnings and errors are those of the usual way; false
// (nothing done) for any other file, which then goes the usual way.
bool ConvertByRow(PictureKind kind, std::span<const std::uint8_t> file, const ConvertOptions& options,
                  ConvertedPicture& result) {
  std::int32_t threshold = 0;
  if (kind == PictureKind::Png) {
    try {
      threshold = ReadAlphaThreshold(options.alphaThreshold);
    } catch (const Error&) {
      // The usual way reports it in its own order.
      return false;
    }
  }
  std::optional<RowEncoder> encoder;
  const PixelFormat format = options.picture.format;
  const detail::RowStartFn start = [&](std::int32_t width, std::int32_t height) {
    if (EncodedSize(width, height, format, options.picture.rowPadding) >
        std::numeric_limits<std::int32_t>::max()) {
      throw Declined{};
    }
    result.width = width;
    result.height = height;
    encoder.emplace(width, height, options.picture);
  };
  const detail::RowFn row = [&](std::int32_t y, std::uint8_t* rgb, const std::uint8_t* alpha) {
    if (alpha != nullptr) {
      // A copy of the decoder's row; treating it in place is what the usual way does to the whole
      // picture.
      TreatAlphaPixels(rgb, alpha, static_cast<std::size_t>(result.width), format, threshold);
    }
    encoder->Row(y, rgb);
  };
  std::vector<std::string> warnings;
  bool decoded = false;
  try {
    switch (kind) {
      case PictureKind::Png:
        decoded = detail::DecodePngByRow(file, options.limits, start, row);
        break;
      case PictureKind::Jpeg:
        decoded = detail::DecodeJpegByRow(file, options.limits, &warnings, start, row);
        break;
      case PictureKind::Bmp:
        decoded = detail::DecodeBmpByRow(file, options.limits, start, row);
        break;
      case PictureKind::None:
        break;
    }
  } catch (const Declined&) {
    return false;
  }
  if (decoded) {
    result.bytes = encoder->Take();
    result.warnings = std::move(warnings);
  }
  return decoded;
}

}  // namespace

ConvertedPicture ConvertPictureFile(const std::string& path, const ConvertOptions& options) {
  const PictureKind kind = ClassifyPicture(path);
  if (kind == PictureKind::None) {
    throw Error(kNotAPicture);
  }
  const auto file = ReadPictureFile(path, options);
  const Rotation rotation = options.picture.rotation;
  if (rotation == Rotation::None && options.picture.dither == Dither::None &&
      !EncodesAsArgb4444(kind, options)) {
    ConvertedPicture result;
    if (ConvertByRow(kind, file, options, result)) {
      return result;
    }
  }
  if (EncodesAsArgb4444(kind, options)) {
    // Decode once and use the file's pixels both for the picture and for the 4-4-4-4 encoding.
    const PngPicture png = DecodePng(file, options.limits);
    RgbImage image = TreatPngAlpha(png, options.picture.format, ReadAlphaThreshold(options.alphaThreshold));
    image = RotatePicture(std::move(image), rotation);
    return EncodeLoadedPicture(image, &png, rotation, options);
  }
  std::vector<std::string> warnings;
  const RgbImage image = RotatePicture(LoadPictureBytes(file, kind, options, &warnings), rotation);
  ConvertedPicture result = EncodeLoadedPicture(image, nullptr, rotation, options);
  result.warnings = std::move(warnings);
  return result;
}

namespace {

// A picture's outcome: converted, or the reason it failed.
struct PictureOutcome {
  std::optional<ConvertedPicture> picture;
  std::string error;
};

PictureOutcome Convert(const std::string& path, const ConvertOptions& options) {
  PictureOutcome outcome;
  try {
    outcome.picture = ConvertPictureFile(path, options);
  } catch (const Error& e) {
    outcome.error = e.what();
  } catch (const std::bad_alloc&) {
    outcome.error = kNoMemoryForPicture;
  }
  return outcome;
}

// Pictures converted ahead of the one being written, whatever the thread count: with the one in
// the writer's hands, memory holds at most this many plus one pictures, at any --jobs.
constexpr std::size_t kPicturesInFlight = 4;

// Converts pictures on worker threads, at most kPicturesInFlight pictures ahead of the one being
// taken, so memory stays bounded whatever the list's length and the thread count.
class Pipeline {
 public:
  Pipeline(const std::vector<std::string>& paths, const ConvertOptions& options, unsigned threads)
      : m_paths(paths), m_options(options), m_window(kPicturesInFlight) {
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
  PictureOutcome Take(std::size_t index) {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] { return m_slots[index].has_value(); });
    PictureOutcome outcome = std::move(*m_slots[index]);
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
      PictureOutcome outcome = Convert(m_paths[index], m_options);
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
  std::vector<std::optional<PictureOutcome>> m_slots;
  std::mutex m_mutex;
  std::condition_variable m_changed;
  std::size_t m_next = 0;
  std::size_t m_taken = 0;
  bool m_stop = false;
  std::vector<std::thread> m_workers;
};

// The conversion run's view of a batch: a fixed list and options, pictures taken from the
// pipeline instead of a preview, rows kept as lines.
class BatchHost final : public RunHost {
 public:
  BatchHost(const std::vector<std::string>& paths, const ConvertOptions& options, unsigned threads,
            const MessageFn& message, const ProgressFn& progress, const PictureWarningFn& warn)
      : m_paths(paths), m_options(options), m_message(message), m_progress(progress), m_warn(warn) {
    if (threads > 1) {
      m_pipeline.emplace(paths, options, threads);
    }
  }

  ConvertOptions Options() override { return m_options; }
  Preview& CurrentPreview() override { return m_preview; }
  int EntryCount() override { return static_cast<int>(m_paths.size()); }
  std::string EntryText(int index) override { return m_paths.at(static_cast<std::size_t>(index)); }
  std::string SelectedEntryText() override { return EntryText(m_selected); }
  void SelectEntry(int index) override { m_selected = index; }
  void PreviewChanged() override {}
  void ShowMessage(const std::string& text) override {
    // The window's confirmations say nothing here.
    if (text != kStartMessage && text != kConvertOk) {
      m_lastMessage = text;
      m_message(text);
    }
  }
  void AppendMemoLine(const std::string& line) override { m_lines.push_back(line); }
  void ClearMemo() override { m_lines.clear(); }
  std::string MemoText() override {
    std::string text;
    for (const auto& line : m_lines) {
      text += line + "\n";
    }
    return text;
  }
  std::vector<std::string> AddressLines() override { return m_lines; }
  bool Progress(int /*percent*/) override {
    // Called once per picture, when it is written.
    ++m_done;
    return m_progress(m_done, static_cast<std::int64_t>(m_paths.size()));
  }
  void FailureReason(const std::string& reason) override { m_failureReason = reason; }
  bool PictureWarnings(const std::string& entry, const std::vector<std::string>& warnings) override {
    return !m_warn || m_warn(entry, warnings);
  }
  void LoadEntry(int index) override { SelectEntry(index); }
  ConvertedPicture EncodeCurrent(const ConvertOptions& options) override {
    const auto index = static_cast<std::size_t>(m_selected);
    PictureOutcome outcome = m_pipeline ? m_pipeline->Take(index) : Convert(m_paths[index], options);
    if (!outcome.picture) {
      throw Error(outcome.error);
    }
    return std::move(*outcome.picture);
  }

  const std::string& LastMessage() const { return m_lastMessage; }
  const std::string& FailureReasonText() const { return m_failureReason; }

 private:
  const std::vector<std::string>& m_paths;
  const ConvertOptions m_options;
  const MessageFn& m_message;
  const ProgressFn& m_progress;
  const PictureWarningFn& m_warn;
  std::optional<Pipeline> m_pipeline;
  Preview m_preview;
  int m_selected = 0;
  std::int64_t m_done = 0;
  std::vector<std::string> m_lines;
  std::string m_lastMessage;
  std::string m_failureReason;
};

}  // namespace

BatchResult ConvertPictures(const std::vector<std::string>& paths, const ConvertOptions& options,
                            const std::string& outputName, unsigned threads, const MessageFn& message,
                            const ProgressFn& progress, const PictureWarningFn& warn) {
  if (threads == 0) {
    threads = std::max(1U, std::thread::hardware_concurrency());
  }
  // More threads than pictures in flight, or than cores, would only wait.
  const std::size_t cores = std::max(1U, std::thread::hardware_concurrency());
  threads = static_cast<unsigned>(std::min(
      {static_cast<std::size_t>(threads), std::max<std::size_t>(paths.size(), 1), kPicturesInFlight, cores}));
  BatchHost host(paths, options, threads, message, progress, warn);
  ConversionRun run;
  if (!run.CheckList(host) || run.ChooseOutput(outputName, host) != ChooseResult::Proceed) {
    throw Error(host.LastMessage());
  }
  run.BeginAll(host);
  while (run.Step(host)) {
  }
  BatchResult result;
  result.outcome = run.Outcome();
  result.ok = result.outcome == RunOutcome::Succeeded;
  result.converted = run.PicturesDone();
  result.binBytes = run.Address();
  if (result.ok) {
    result.binName = run.OutputName();
    result.addressListName = output::AddressListName(run.OutputName());
  }
  if (result.outcome == RunOutcome::Failed && !host.FailureReasonText().empty()) {
    result.failedPath = paths.at(static_cast<std::size_t>(run.PicturesDone()));
    result.failureReason = host.FailureReasonText();
  }
  return result;
}

}  // namespace panelix::picture
