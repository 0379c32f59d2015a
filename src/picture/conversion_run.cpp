#include "picture/conversion_run.h"

#include "base/error.h"
#include "base/files.h"
#include "base/progress.h"
#include "base/text_lines.h"
#include "output/address_list.h"
#include "output/output_names.h"
#include "picture/encoders.h"
#include "picture/loading.h"

namespace panelix::picture {

bool EncodesAsArgb4444(PictureKind kind, const ConvertOptions& options) {
  return kind == PictureKind::Png && options.argbPng;
}

ConvertedPicture EncodeLoadedPicture(const RgbImage& image, const PngPicture* png, Rotation loadRotation,
                                     const ConvertOptions& options, const ProgressFn& progress) {
  ConvertedPicture result;
  result.width = image.width;
  result.height = image.height;
  if (png != nullptr) {
    CheckedEncodedSize(image.width, image.height, PixelFormat::R5G6B5, options.picture.rowPadding);
    const MessageFn collect = [&result](const std::string& text) { result.messages.push_back(text); };
    result.bytes = EncodeArgb4444(*png, image, loadRotation, options.picture, collect, progress);
  } else {
    CheckedEncodedSize(image.width, image.height, options.picture.format, options.picture.rowPadding);
    result.bytes = EncodePicture(image, options.picture, progress);
  }
  return result;
}

void RunHost::LoadEntry(int index) {
  SelectEntry(index);
  if (LoadPreview(CurrentPreview(), EntryText(index), Options())) {
    PreviewChanged();
  }
}

ConvertedPicture RunHost::EncodeCurrent(const ConvertOptions& options) {
  const Preview& preview = CurrentPreview();
  const ProgressFn progress = [this](std::int64_t done, std::int64_t total) {
    return Progress(WorkPercent(done, total));
  };
  if (EncodesAsArgb4444(preview.kind, options)) {
    // The 4-4-4-4 encoding reads the file's own colours and alpha, so the file is decoded anew.
    const PngPicture png = DecodePng(ReadPictureFile(preview.path, options), options.limits);
    return EncodeLoadedPicture(preview.image, &png, preview.rotation, options, progress);
  }
  ConvertedPicture result = EncodeLoadedPicture(preview.image, nullptr, preview.rotation, options, progress);
  result.warnings = preview.warnings;
  return result;
}

std::vector<std::string> RunHost::AddressLines() {
  return SplitLines(MemoText());
}

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
  showMessage(kStartMessage);
  return ChooseResult::Proceed;
}

bool ConversionRun::CheckList(RunHost& host) {
  if (host.EntryCount() == 0) {
    host.ShowMessage(kNoPictures);
    return false;
  }
  return true;
}

ChooseResult ConversionRun::ChooseOutput(const std::optional<std::string>& chosen, RunHost& host) {
  const MessageFn show = [&host](const std::string& text) { host.ShowMessage(text); };
  if (chosen && !chosen->empty()) {
    std::vector<std::filesystem::path> inputs;
    for (int i = 0; i < host.EntryCount(); ++i) {
      inputs.emplace_back(host.EntryText(i));
    }
    const std::string bin = output::OutputBinName(*chosen);
    try {
      CheckOutputsApart(inputs, {bin, output::AddressListName(bin)});
    } catch (const Error& e) {
      show(e.what());
      return ChooseResult::BadName;
    }
  }
  return ChooseOutputName(chosen, m_outputName, show);
}

void ConversionRun::Begin(RunHost& host, std::int32_t toDo) {
  m_done = 0;
  m_toDo = toDo;
  m_address = 0;
  m_bin.emplace(m_outputName);
  m_outcome = RunOutcome::Stopped;
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
  host.LoadEntry(0);
  m_running = true;
}

bool ConversionRun::Fail(RunHost& host, const std::string& reason) {
  m_running = false;
  m_outcome = RunOutcome::Failed;
  m_bin.reset();
  host.AppendMemoLine(kFailToConvert + host.SelectedEntryText());
  host.FailureReason(reason);
  return false;
}

bool ConversionRun::Finish(RunHost& host) {
  m_running = false;
  const MessageFn show = [&host](const std::string& text) { host.ShowMessage(text); };
  m_lastAddressList = m_bin->Commit(host.AddressLines(), show);
  m_outcome = m_bin->Committed() ? RunOutcome::Succeeded : RunOutcome::Failed;
  m_bin.reset();
  host.ShowMessage(kConvertOk);
  return false;
}

bool ConversionRun::Step(RunHost& host) {
  if (!m_running || !m_bin) {
    return false;
  }
  try {
    const std::uint32_t address = m_address;
    ConvertedPicture picture = host.EncodeCurrent(host.Options());
    if (!picture.warnings.empty() && !host.PictureWarnings(host.SelectedEntryText(), picture.warnings)) {
      return Fail(host, "The picture decodes only with warnings: " + picture.warnings.front());
    }
    for (const std::string& text : picture.messages) {
      host.ShowMessage(text);
    }
    const auto size = static_cast<std::uint32_t>(picture.bytes.size());
    m_lastAppend = m_bin->Append(picture.bytes, [&host](const std::string& text) { host.ShowMessage(text); });
    // The address moves on even when the bytes were lost, so later rows keep their places.
    m_address = address + size;
    host.AppendMemoLine(
        output::AddressRow(picture.width, picture.height, address, size, host.SelectedEntryText()));
    picture = {};
    if (!host.Progress(100)) {
      throw Stopped();
    }
    ++m_done;
    if (m_done < m_toDo) {
      if (m_done >= host.EntryCount()) {
        return Fail(host, "The picture list has changed during the run.");
      }
      host.LoadEntry(m_done);
      return true;
    }
    return Finish(host);
  } catch (const Stopped&) {
    m_running = false;
    m_outcome = RunOutcome::Stopped;
    m_bin.reset();
    return false;
  } catch (const Error& e) {
    return Fail(host, e.what());
  } catch (const std::bad_alloc&) {
    return Fail(host, kNoMemoryForPicture);
  }
}

}  // namespace panelix::picture
