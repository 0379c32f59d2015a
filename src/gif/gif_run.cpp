#include "gif/gif_run.h"

#include <algorithm>
#include <cstring>

#include "base/error.h"
#include "base/files.h"
#include "base/progress.h"
#include "gif/gif_reader.h"
#include "output/address_list.h"
#include "output/output_names.h"
#include "picture/encoders.h"
#include "picture/loading.h"

namespace panelix::gif {

namespace {

struct StoppedRun {};

RgbTarget TargetOf(picture::RgbImage& canvas) {
  return {canvas.width, canvas.height, canvas.rgb};
}

}  // namespace

void SizeCanvas(picture::RgbImage& canvas, std::int32_t width, std::int32_t height) {
  if (canvas.width == width && canvas.height == height &&
      canvas.rgb.size() == std::size_t{3} * width * height) {
    return;
  }
  picture::RgbImage sized = picture::MakeRgbImage(width, height);
  const std::int32_t keepW = std::min(width, canvas.width);
  const std::int32_t keepH = std::min(height, canvas.height);
  if (canvas.rgb.size() >= std::size_t{3} * canvas.width * canvas.height) {
    for (std::int32_t y = 0; y < keepH; ++y) {
      std::memcpy(sized.Pixel(0, y), canvas.Pixel(0, y), std::size_t{3} * keepW);
    }
  }
  canvas = std::move(sized);
}

void DrawGifFile(const std::string& path, std::int64_t maxPixels, picture::RgbImage& canvas,
                 const std::function<bool(std::int32_t)>& afterFrame) {
  const GifReader reader = GifReader::FromFile(path, maxPixels);
  SizeCanvas(canvas, reader.ScreenWidth(), reader.ScreenHeight());
  reader.DrawFrames(TargetOf(canvas), afterFrame);
}

void GifRunHost::DrawGif(const std::string& path, picture::RgbImage& canvas,
                         const std::function<bool(std::int32_t)>& afterFrame) {
  DrawGifFile(path, MaxGifPixels(), canvas, afterFrame);
}

picture::RgbImage PreviewGif(const std::string& path, picture::RgbImage& canvas, picture::Rotation rotation) {
  const GifReader reader = GifReader::FromFile(path);
  if (reader.FrameCount() == 0) {
    throw Error("The GIF picture has no frames.");
  }
  SizeCanvas(canvas, reader.ScreenWidth(), reader.ScreenHeight());
  reader.DrawFrames(TargetOf(canvas), [](std::int32_t) { return false; });
  return picture::RotatePicture(canvas, rotation);
}

bool GifRun::CheckList(std::int32_t entryCount, GifRunHost& host) {
  if (entryCount <= 0) {
    host.ShowMessage("Please input gif files!");
    return false;
  }
  return true;
}

ChooseResult GifRun::ChooseOutput(const std::optional<std::string>& chosen, GifRunHost& host,
                                  const std::vector<std::string>& inputs) {
  const MessageFn show = [&host](const std::string& text) { host.ShowMessage(text); };
  if (chosen && !chosen->empty()) {
    const std::string bin = output::OutputBinName(*chosen);
    try {
      CheckOutputsApart({inputs.begin(), inputs.end()}, {bin, output::AddressListName(bin)});
    } catch (const Error& e) {
      show(e.what());
      return ChooseResult::BadName;
    }
  }
  return picture::ChooseOutputName(chosen, m_outputName, show);
}

void GifRun::BeginSingle(std::int32_t selectedIndex) {
  Begin(selectedIndex, 1);
}

void GifRun::BeginAll(std::int32_t entryCount) {
  Begin(0, entryCount);
}

void GifRun::Begin(std::int32_t current, std::int32_t end) {
  m_bin.emplace(m_outputName);
  m_running = true;
  m_current = current;
  m_end = end;
  m_address = 0;
  m_frames = 0;
  m_outcome = picture::RunOutcome::Stopped;
  m_lastAppend = output::WriteResult::Written;
  m_lastAddressList = output::WriteResult::Written;
}

bool GifRun::Step(const std::optional<GifEntry>& entry, picture::RgbImage& canvas, GifRunHost& host) {
  if (!m_running) {
    return false;
  }
  const std::string name = entry ? entry->name : std::string();
  host.AppendMemoLine("//" + std::to_string(m_current));
  try {
    if (!entry) {
      throw Error("There is no GIF at index " + std::to_string(m_current) + " of the list.");
    }
    host.DrawGif(entry->path, canvas, [&](std::int32_t frame) {
      ConvertFrame(*entry, frame, canvas, host);
      return true;
    });
  } catch (const Error& e) {
    host.FailureReason(e.what());
    host.AppendMemoLine("Fail to convert " + name);
    End(picture::RunOutcome::Failed);
    return false;
  } catch (const StoppedRun&) {
    End(picture::RunOutcome::Stopped);
    return false;
  } catch (const picture::Stopped&) {
    End(picture::RunOutcome::Stopped);
    return false;
  }
  ++m_current;
  if (m_current < m_end) {
    return true;
  }
  m_lastAddressList =
      m_bin->Commit(host.MemoLines(), [&](const std::string& text) { host.ShowMessage(text); });
  End(m_bin->Committed() ? picture::RunOutcome::Succeeded : picture::RunOutcome::Failed);
  host.ShowMessage(picture::kConvertOk);
  return false;
}

void GifRun::End(picture::RunOutcome outcome) {
  m_running = false;
  m_outcome = outcome;
  m_bin.reset();
}

void GifRun::ConvertFrame(const GifEntry& entry, std::int32_t frame, const picture::RgbImage& canvas,
                          GifRunHost& host) {
  if (!host.Progress(0)) {
    throw StoppedRun{};
  }
  picture::PictureOptions options = host.Options();
  const picture::RgbImage turned = picture::RotatePicture(canvas, options.rotation);
  if (options.format != picture::PixelFormat::R8G8B8) {
    options.format = picture::PixelFormat::R5G6B5;
  }
  picture::CheckedEncodedSize(turned.width, turned.height, options.format, options.rowPadding);
  const std::vector<std::uint8_t> bytes = picture::EncodePicture(
      turned, options,
      [&](std::int64_t done, std::int64_t total) { return host.Progress(WorkPercent(done, total)); });
  m_lastAppend = m_bin->Append(bytes, [&](const std::string& text) { host.ShowMessage(text); });
  const auto size = static_cast<std::uint32_t>(bytes.size());
  std::string row = output::AddressRow(turned.width, turned.height, m_address, size,
                                       entry.name + "-Frames" + std::to_string(frame));
  row += '\n';
  m_address += size;
  ++m_frames;
  host.AppendMemoLine(row);
  if (!host.Progress(100)) {
    throw StoppedRun{};
  }
}

}  // namespace panelix::gif
