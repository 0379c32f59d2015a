#include "picture/conversion_run.h"

#include "base/error.h"
#include "base/files.h"
#include "output/address_list.h"
#include "output/output_names.h"
#include "picture/encoders.h"
#include "picture/loading.h"

namespace panelix::picture {

namespace {

std::vector<std::uint8_t> EncodePreview(const Preview& preview, const ConvertOptions& options,
                                        RunHost& host) {
  const RgbImage& image = preview.image;
  const ProgressFn progress = [&host](std::int64_t done, std::int64_t total) {
    return host.Progress(total > 0 ? static_cast<int>(98 * done / total) : 0);
  };
  if (preview.kind == PictureKind::Png && options.argbPng) {
    CheckedEncodedSize(image.width, image.height, PixelFormat::R5G6B5, options.picture.rowPadding);
    // The 4-4-4-4 encoding reads the file's own colours and alpha, so the file is decoded anew.
    const PngPicture png = DecodePng(ReadPictureFile(preview.path, options), options.limits);
    return EncodeArgb4444(
        png, image, preview.rotation, options.picture,
        [&host](const std::string& text) { host.ShowMessage(text); }, progress);
  }
  CheckedEncodedSize(image.width, image.height, options.picture.format, options.picture.rowPadding);
  return EncodePicture(image, options.picture, progress);
}

}  // namespace

ChooseResult ChooseOutputName(const std::optional<std::string>& chosen, std::string& outputName,
                              const MessageFn& showMessage) {
  if (!chosen) {
    return ChooseResult::Cancelled;
  }
  try {
    outputName = output::OutputBinName(*chosen);
  } catch (const Error& e) {
    showMessage(e.what());
    return ChooseResult::BadName;
  }
  showMessage("Start to convert, please wait...");
  return ChooseResult::Proceed;
}

bool ConversionRun::CheckList(RunHost& host) {
  if (host.EntryCount() == 0) {
    host.ShowMessage("Please input picture!");
    return false;
  }
  return true;
}

ChooseResult ConversionRun::ChooseOutput(const std::optional<std::string>& chosen, RunHost& host) {
  return ChooseOutputName(chosen, m_outputName, [&host](const std::string& text) { host.ShowMessage(text); });
}

void ConversionRun::Begin(RunHost& host, std::int32_t toDo) {
  m_done = 0;
  m_toDo = toDo;
  m_address = 0;
  m_bin.emplace(m_outputName);
  m_lastAppend = output::WriteResult::Written;
  m_lastAddressList = output::WriteResult::Written;
  host.ClearMemo();
}

void ConversionRun::BeginSingle(RunHost& host) {
  Begin(host, 1);
  m_running = true;
}

void ConversionRun::BeginAll(RunHost& host) {
  Begin(host, host.EntryCount());
  host.SelectEntry(0);
  const bool loaded = LoadPreview(host.CurrentPreview(), host.EntryText(0), host.Options());
  if (loaded) {
    host.PreviewChanged();
  }
  m_running = true;
}

bool ConversionRun::Fail(RunHost& host, const std::string& reason) {
  m_running = false;
  host.AppendMemoLine("Fail to convert " + host.SelectedEntryText());
  host.FailureReason(reason);
  return false;
}

bool ConversionRun::Step(RunHost& host) {
  if (!m_running || !m_bin) {
    return false;
  }
  try {
    const Preview& preview = host.CurrentPreview();
    const std::int32_t width = preview.image.width;
    const std::int32_t height = preview.image.height;
    const std::uint32_t address = m_address;
    std::vector<std::uint8_t> bytes = EncodePreview(preview, host.Options(), host);
    const auto size = static_cast<std::uint32_t>(bytes.size());
    m_lastAppend = m_bin->Append(bytes, [&host](const std::string& text) { host.ShowMessage(text); });
    // The address moves on even when the bytes were lost, so later rows keep their places.
    m_address = address + size;
    host.AppendMemoLine(output::AddressRow(width, height, address, size, host.SelectedEntryText()));
    bytes = {};
    host.Progress(100);
    ++m_done;
    if (m_done < m_toDo) {
      if (m_done >= host.EntryCount()) {
        return Fail(host, "The picture list has changed during the run.");
      }
      host.SelectEntry(m_done);
      if (LoadPreview(host.CurrentPreview(), host.EntryText(m_done), host.Options())) {
        host.PreviewChanged();
      }
      return true;
    }
    m_running = false;
    m_lastAddressList =
        output::WriteAddressList(m_outputName, output::SplitLines(host.MemoText()),
                                 [&host](const std::string& text) { host.ShowMessage(text); });
    host.ShowMessage("Convert ok");
    return false;
  } catch (const Stopped&) {
    m_running = false;
    return false;
  } catch (const Error& e) {
    return Fail(host, e.what());
  } catch (const std::bad_alloc&) {
    return Fail(host, "Not enough memory for the picture.");
  }
}

}  // namespace panelix::picture
