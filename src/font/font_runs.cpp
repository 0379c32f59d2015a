#include "font/font_runs.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <exception>
#include <functional>
#include <memory>
#include <thread>

#include "base/bounded_read.h"
#include "base/bytes.h"
#include "base/codepage.h"
#include "base/error.h"
#include "base/files.h"
#include "base/numbers.h"
#include "base/text_lines.h"
#include "font/code_sets.h"
#include "font/glyph_renderer.h"
#include "font/messages.h"
#include "output/output_names.h"

namespace panelix::font {

namespace {

// Glyphs a renderer takes at a time from the shared queue of a run.
constexpr std::size_t kChunk = 16;
constexpr int kMaxThreads = 64;

// Items handed out in chunks to several threads. The calling thread works too and is the only one
// that reports progress, so a window's callback runs on its own thread.
class ParallelRun {
 public:
  ParallelRun(std::size_t count, const ParallelWork& work) : m_count(count), m_work(work) {}

  // Returns false when progress asked to stop. The first failure of any thread stops the others
  // and is rethrown once every thread has ended.
  bool Run(int threads, const ProgressFn& progress) {
    m_busyWorkers = threads - 1;
    std::vector<std::thread> workers;
    std::vector<std::exception_ptr> failures(static_cast<std::size_t>(threads));
    for (int i = 1; i < threads; ++i) {
      workers.emplace_back([this, &failures, i] {
        try {
          Work(i, nullptr);
        } catch (...) {
          failures[static_cast<std::size_t>(i)] = std::current_exception();
          m_stop = true;
        }
        // Also after a failure, or the calling thread would wait for this one for ever.
        --m_busyWorkers;
      });
    }
    try {
      Work(0, &progress);
      while (m_busyWorkers.load() > 0) {
        ReportProgress(progress);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      }
    } catch (...) {
      failures[0] = std::current_exception();
      m_stop = true;
    }
    for (auto& worker : workers) {
      worker.join();
    }
    for (const auto& failure : failures) {
      if (failure) {
        std::rethrow_exception(failure);
      }
    }
    return !m_stop;
  }

 private:
  void ReportProgress(const ProgressFn& progress) {
    const std::size_t done = m_done.load();
    if (!m_stop && done < m_count &&
        !progress(static_cast<std::int64_t>(done), static_cast<std::int64_t>(m_count))) {
      m_stop = true;
    }
  }

  void Work(int thread, const ProgressFn* progress) {
    for (;;) {
      const std::size_t begin = m_next.fetch_add(kChunk);
      if (begin >= m_count || m_stop) {
        break;
      }
      const std::size_t end = std::min(begin + kChunk, m_count);
      for (std::size_t i = begin; i < end && !m_stop; ++i) {
        m_work(thread, i);
        const std::size_t done = ++m_done;
        if (progress != nullptr && done < m_count &&
            !(*progress)(static_cast<std::int64_t>(done), static_cast<std::int64_t>(m_count))) {
          m_stop = true;
        }
      }
    }
  }

  std::size_t m_count;
  const ParallelWork& m_work;
  std::atomic<std::size_t> m_next{0};
  std::atomic<std::size_t> m_done{0};
  std::atomic<bool> m_stop{false};
  std::atomic<int> m_busyWorkers{0};
};

}  // namespace

bool RunInParallel(std::size_t count, int threads, const ParallelWork& work, const ProgressFn& progress) {
  ParallelRun run(count, work);
  return run.Run(std::max(threads, 1), progress);
}

void CheckCellSize(const RenderSettings& settings) {
  if (settings.width < 0 || settings.height < 0 || settings.width > kMaxCellSide ||
      settings.height > kMaxCellSide) {
    throw Error("Font Width and Font Height must be between 0 and " + std::to_string(kMaxCellSide) + ".");
  }
  // A row of a glyph is packed in whole bytes: a cell narrower than 8 pixels would hold nothing.
  if (settings.width < 8 || settings.height < 1) {
    throw Error("A font cell must be at least 8 pixels wide and 1 pixel high (Font Width " +
                std::to_string(settings.width) + ", Font Height " + std::to_string(settings.height) + ").");
  }
}

int RotatedWidth(const RenderSettings& settings) {
  return settings.rotation == Rotation::None ? settings.width : settings.height;
}

int RotatedHeight(const RenderSettings& settings) {
  return settings.rotation == Rotation::None ? settings.height : settings.width;
}

std::size_t RunGlyphBytes(const RenderSettings& settings) {
  return GlyphBytes(RotatedWidth(settings), RotatedHeight(settings));
}

std::optional<std::vector<std::uint8_t>> RenderGlyphs(const GlyphJob& job,
                                                      const std::vector<std::u16string>& texts,
                                                      const ProgressFn& progress) {
  CheckCellSize(job.settings);
  std::vector<std::uint8_t> out(texts.size() * RunGlyphBytes(job.settings));
  if (texts.empty()) {
    return out;
  }
  const FontSource source = ResolveFont(job.font);
  const std::size_t chunks = (texts.size() + kChunk - 1) / kChunk;
  const int threads =
      static_cast<int>(std::min<std::size_t>(std::clamp(job.threads, 1, kMaxThreads), chunks));
  std::vector<std::unique_ptr<GlyphRenderer>> renderers;
  for (int i = 0; i < threads; ++i) {
    renderers.push_back(std::make_unique<GlyphRenderer>(source, job.font.pixelHeight));
  }
  const std::size_t glyphBytes = RunGlyphBytes(job.settings);
  const ParallelWork work = [&](int thread, std::size_t i) {
    const GlyphCell cell = renderers[static_cast<std::size_t>(thread)]->RenderGlyph(texts[i], job.settings);
    PackGlyphTo(cell, job.limit, out.data() + i * glyphBytes);
  };
  if (!RunInParallel(texts.size(), threads, work, progress)) {
    return std::nullopt;
  }
  return out;
}

std::vector<std::u16string> AsciiTexts() {
  std::vector<std::u16string> texts;
  for (char16_t c = 0x21; c <= 0x7E; ++c) {
    texts.emplace_back(1, c);
  }
  return texts;
}

std::vector<std::u16string> StringBinLines(std::u16string_view text) {
  return SplitLines(text, FinalCr::Keep);
}

std::u16string LoadTextFile(const std::filesystem::path& path, int encoding, const MessageFn& warn) {
  const std::vector<std::uint8_t> bytes = ReadFileBytesUpTo(path, kMaxTextFileBytes, kFailToOpen);
  const MessageFn ignore = [](const std::string&) {};
  return Utf8ToUtf16(
      DecodeTextFile(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), encoding,
                     path.string(), warn ? warn : ignore));
}

std::vector<std::uint8_t> StringBinHead(const std::vector<std::u16string>& lines, int width, int height,
                                        int codePage, TextConverter& converter) {
  std::size_t units = 0;
  for (const auto& line : lines) {
    units += line.size();
  }
  if (units > 0xFFFF) {
    throw Error(kTooManyCharacters);
  }
  std::vector<std::uint8_t> head{'C', 'X', '9', 'x', 'F', 'o', 'n', 't'};
  head.reserve(12 + 2 * units);
  AppendBE16(head, static_cast<std::uint32_t>(units));
  head.push_back(static_cast<std::uint8_t>(width & 0xFF));
  head.push_back(static_cast<std::uint8_t>(height & 0xFF));
  for (const auto& line : lines) {
    const std::string bytes = converter.Encode(line, codePage);
    // The converted line is read as a zero-terminated string: a byte past its end counts as 0.
    auto byteAt = [&bytes](std::size_t i) -> std::uint8_t {
      return i < bytes.size() ? static_cast<std::uint8_t>(bytes[i]) : 0;
    };
    std::size_t pos = 0;
    for (std::size_t unit = 0; unit < line.size(); ++unit) {
      const std::uint8_t lead = byteAt(pos);
      if ((lead & 0x80u) != 0) {
        head.push_back(lead);
        head.push_back(byteAt(pos + 1));
        pos += 2;
      } else {
        head.push_back(0x00);
        head.push_back(lead);
        pos += 1;
      }
    }
  }
  return head;
}

std::vector<std::u16string> StringBinTexts(const std::vector<std::u16string>& lines) {
  std::vector<std::u16string> texts;
  for (const auto& line : lines) {
    for (const char16_t unit : line) {
      texts.emplace_back(1, unit);
    }
  }
  return texts;
}

std::optional<std::vector<std::uint8_t>> MakeStringBin(const GlyphJob& job,
                                                       const std::vector<std::u16string>& lines, int codePage,
                                                       TextConverter& converter, const ProgressFn& progress) {
  std::vector<std::uint8_t> bytes =
      StringBinHead(lines, RotatedWidth(job.settings), RotatedHeight(job.settings), codePage, converter);
  const std::optional<std::vector<std::uint8_t>> glyphs = RenderGlyphs(job, StringBinTexts(lines), progress);
  if (!glyphs) {
    return std::nullopt;
  }
  bytes.insert(bytes.end(), glyphs->begin(), glyphs->end());
  return bytes;
}

std::string HexDump(std::span<const std::uint8_t> bytes) {
  std::string text;
  text.reserve(bytes.size() * 6 + bytes.size() / 4);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    text += "0x" + HexUpper(bytes[i], 2) + ", ";
    if (i % 8 == 7) {
      text += "\r\n";
    }
  }
  return text;
}

std::string SaveLibrary(std::string_view chosenName, std::span<const std::uint8_t> bytes,
                        const std::vector<std::filesystem::path>& inputs) {
  const std::string name = output::OutputBinName(chosenName);
  CheckOutputsApart(inputs, {name});
  WriteFileReplacing(name, bytes, kOpenCreateError);
  return name;
}

}  // namespace panelix::font
