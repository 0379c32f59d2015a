#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/progress.h"
#include "output/bin_writer.h"
#include "output/write_result.h"
#include "picture/loading.h"
#include "picture/options.h"

namespace panelix::picture {

// The run's confirmations, shown by the window in message boxes.
inline constexpr const char* kStartMessage = "Start to convert, please wait...";
inline constexpr const char* kConvertOk = "Convert ok";
// The run's failures: an empty picture list, and (followed by the entry) a picture that failed.
inline constexpr const char* kNoPictures = "Please input picture!";
inline constexpr const char* kFailToConvert = "Fail to convert ";

// One picture encoded for a run: its size as encoded (after rotation), its bytes, and the
// messages its encoding gave (such as "The png don't have Alpha"), shown by the run in order.
struct ConvertedPicture {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::vector<std::uint8_t> bytes;
  std::vector<std::string> messages;
  // What the decoder warned of while loading the picture (a JPEG that libjpeg decodes only with
  // warnings); the picture converts all the same.
  std::vector<std::string> warnings;
};

// True when a picture of this kind is encoded as 4-4-4-4 with alpha from its file's own pixels
// ("aRGB PNG  " ticked and the picture a PNG).
bool EncodesAsArgb4444(PictureKind kind, const ConvertOptions& options);

// Encodes a picture as loaded, treated and turned by loadRotation, the way every run does: the
// encoded size is checked first, then the picture is encoded in the chosen format, or, when png is
// given (the file's decoded PNG, see EncodesAsArgb4444), as 4-4-4-4 from it. progress gets rows
// done; returning false throws Stopped. Throws panelix::Error when the size cannot be stored.
ConvertedPicture EncodeLoadedPicture(const RgbImage& image, const PngPicture* png, Rotation loadRotation,
                                     const ConvertOptions& options, const ProgressFn& progress = NoProgress);

using panelix::RunOutcome;

// What a conversion run needs from the main window. The run calls these at the moments the window
// would act itself; the window answers from its controls and shows what it is told.
class RunHost {
 public:
  virtual ~RunHost() = default;

  // The options as the controls say now (read afresh for every picture).
  virtual ConvertOptions Options() = 0;
  // The window's current picture; the run reads it and loads the next list entry into it.
  virtual Preview& CurrentPreview() = 0;
  // The picture list.
  virtual int EntryCount() = 0;
  virtual std::string EntryText(int index) = 0;
  // Text of the selected list entry, empty when none is selected.
  virtual std::string SelectedEntryText() = 0;
  // Selects a list entry (the run loads it into the preview right after).
  virtual void SelectEntry(int index) = 0;
  // The preview was loaded anew; show it.
  virtual void PreviewChanged() = 0;
  // A message box with one OK button; returns after the user confirmed.
  virtual void ShowMessage(const std::string& text) = 0;
  // Adds a line at the end of the address-list text (Memo1).
  virtual void AppendMemoLine(const std::string& line) = 0;
  // Empties the address-list text.
  virtual void ClearMemo() = 0;
  // The address-list text as it stands (the user may have edited it).
  virtual std::string MemoText() = 0;
  // Progress bar, 0..100. The window also lets pending events run here. Returning false stops the
  // run: the picture in hand is abandoned, no row is added and no address list is written.
  virtual bool Progress(int percent) = 0;
  // Why a picture failed (the memo only gets "Fail to convert " + entry); optional.
  virtual void FailureReason(const std::string& /*reason*/) {}
  // The decoder's warnings for the picture just encoded (entry as listed). Returning false makes
  // them count as errors: the run fails with them as its reason.
  virtual bool PictureWarnings(const std::string& /*entry*/, const std::vector<std::string>& /*warnings*/) {
    return true;
  }

  // Makes list entry index the current picture: selects it and loads it into the preview (shown
  // when the load gave a picture). A load that fails throws.
  virtual void LoadEntry(int index);
  // Encodes the current picture: the preview, or for a PNG with "aRGB PNG  " ticked the file it
  // was loaded from (EncodeLoadedPicture). Progress goes to Progress(0..98).
  virtual ConvertedPicture EncodeCurrent(const ConvertOptions& options);
  // The address list's lines: the memo's text (SplitLines).
  virtual std::vector<std::string> AddressLines();
};

// Result of choosing the output, with the codes the windows have always used.
enum class ChooseResult { Proceed = 0, BadName = 1, Cancelled = -1 };

// Takes the save dialog's answer (nullopt when cancelled) as a run's output name. Empty name:
// "Error file's name" is shown, BadName. Otherwise outputName becomes the name with ".bin"
// appended unless it contains ".bin", "Start to convert, please wait..." is shown and Proceed
// returned. outputName is left alone unless a name is taken.
ChooseResult ChooseOutputName(const std::optional<std::string>& chosen, std::string& outputName,
                              const MessageFn& showMessage);

// One "Single Convert" or "All Convert" run, as a sequence of steps the window drives from one-shot
// timers:
//
//   if (!run.CheckList(host)) return;                     // "Please input picture!"
//   auto name = dialogs.Save("Picture-", "*.bin");        // nullopt when cancelled
//   if (run.ChooseOutput(name, host) != ChooseResult::Proceed) return;
//   run.BeginAll(host) / run.BeginSingle(host);           // then arm the timer for 500 ms
//   on each timeout: if (run.Step(host)) arm the timer for 50 ms
//
// The run keeps its counters, output name and address after it ends, until the next start.
class ConversionRun {
 public:
  // False, with the message "Please input picture!", when the picture list is empty.
  bool CheckList(RunHost& host);

  // Takes the save dialog's answer as the output name, as ChooseOutputName does. A name whose bin
  // or address list is one of the listed pictures is refused with a message naming both
  // (BadName).
  ChooseResult ChooseOutput(const std::optional<std::string>& chosen, RunHost& host);

  // "Single Convert": one picture, the preview as it stands. Clears the memo, resets the counters.
  void BeginSingle(RunHost& host);
  // "All Convert": every list entry. Clears the memo, resets the counters, selects entry 0 and
  // loads it into the preview. When that load fails the error propagates (the window shows it with
  // its own text) and the run does not start: Step must not be called.
  void BeginAll(RunHost& host);

  // Converts the current picture (host.EncodeCurrent), shows its messages, appends its bytes to the
  // run's temporary bin, adds the row "{W, H, 0xADDRESS, 0xSIZE},//" + selected entry to the memo
  // and moves the address on (also when the bytes could not be written: "The file does not exist."
  // / "The file might not be accessibl." are shown and the run goes on, but can no longer commit).
  // Then it loads the next entry (host.LoadEntry) and returns true (arm 50 ms), or, after the last
  // picture, writes the address list from host.AddressLines() and puts bin and list in place
  // together, shows "Convert ok" and returns false.
  // A picture that cannot be loaded or encoded adds "Fail to convert " + selected entry to the memo
  // and ends the run as Failed (returns false; no "Convert ok"), as does a picture whose decoder
  // warnings the host refuses (PictureWarnings returns false). A Progress that returns false ends
  // it as Stopped. A run that fails, is stopped or is abandoned (Exit) leaves the old bin and list
  // exactly as they were.
  bool Step(RunHost& host);

  // True between a start and the step that ends the run.
  bool Running() const { return m_running; }
  const std::string& OutputName() const { return m_outputName; }
  std::int32_t PicturesDone() const { return m_done; }
  std::int32_t PicturesToDo() const { return m_toDo; }
  // Offset of the current picture in the output bin (sum of the sizes finished so far).
  std::uint32_t Address() const { return m_address; }
  // How the last run ended (Stopped while it runs).
  RunOutcome Outcome() const { return m_outcome; }
  // Result of the last append and of the address list write (Written until one fails).
  output::WriteResult LastAppend() const { return m_lastAppend; }
  output::WriteResult LastAddressList() const { return m_lastAddressList; }

 private:
  void Begin(RunHost& host, std::int32_t toDo);
  bool Fail(RunHost& host, const std::string& reason);
  bool Finish(RunHost& host);

  std::string m_outputName;
  std::optional<output::BinWriter> m_bin;
  bool m_running = false;
  std::int32_t m_done = 0;
  std::int32_t m_toDo = 1;
  std::uint32_t m_address = 0;
  RunOutcome m_outcome = RunOutcome::Stopped;
  output::WriteResult m_lastAppend = output::WriteResult::Written;
  output::WriteResult m_lastAddressList = output::WriteResult::Written;
};

}  // namespace panelix::picture
