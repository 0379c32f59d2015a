#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "gif/gif_reader.h"
#include "output/bin_writer.h"
#include "output/write_result.h"
#include "picture/conversion_run.h"
#include "picture/options.h"
#include "picture/rgb_image.h"

namespace panelix::gif {

// What a GIF run needs from its window (or the command line). The run calls these at the moments
// the window would act itself.
class GifRunHost {
 public:
  virtual ~GifRunHost() = default;

  // The options as the controls say now, read afresh for every frame. Only R5G6B5 and R8G8B8
  // exist here: any format other than R8G8B8 encodes as R5G6B5.
  virtual picture::PictureOptions Options() = 0;
  // A message box with one OK button; returns after the user confirmed.
  virtual void ShowMessage(const std::string& text) = 0;
  // Adds a line at the end of the address-list text. A frame row arrives with its own line feed
  // at the end ("...-Frames0\n"): the address list stores it as "\n\r\n", the comment lines
  // "//n" as plain CR LF lines.
  virtual void AppendMemoLine(const std::string& line) = 0;
  virtual void ClearMemo() = 0;
  // The address-list text as it stands, one string per line, frame rows with their line feed.
  virtual std::vector<std::string> MemoLines() = 0;
  // Progress bar, 0..100; the window lets pending events run here. Returning false stops the run:
  // the frame in hand is abandoned and no address list is written.
  virtual bool Progress(int percent) = 0;
  // Why a GIF failed (the memo only gets "Fail to convert " + name); optional.
  virtual void FailureReason(const std::string& /*reason*/) {}
  // The most pixels one GIF may hold (gif/gif_reader.h); the window keeps the default.
  virtual std::int64_t MaxGifPixels() { return kDefaultMaxGifPixels; }
  // Draws the GIF file at path onto canvas, calling afterFrame(i) once frame i is drawn:
  // DrawGifFile(path, MaxGifPixels(), ...). A host may hand over frames decoded ahead instead.
  virtual void DrawGif(const std::string& path, picture::RgbImage& canvas,
                       const std::function<bool(std::int32_t)>& afterFrame);
};

using picture::ChooseResult;

// A GIF in the list: the file and the name its frame rows carry (the file name without folder).
struct GifEntry {
  std::string path;
  std::string name;
};

// Sizes the work canvas to width x height. The pixels where old and new size overlap (at the top
// left) stay; area the new size adds is black. A canvas that never held a frame is black.
void SizeCanvas(picture::RgbImage& canvas, std::int32_t width, std::int32_t height);

// Opens the GIF file at path (GifReader::FromFile within maxPixels), sizes canvas to its logical
// screen (SizeCanvas) and draws its frames onto it (DrawFrames), calling afterFrame(i) once frame i
// is drawn. Errors propagate, with the canvas as far as it was drawn.
void DrawGifFile(const std::string& path, std::int64_t maxPixels, picture::RgbImage& canvas,
                 const std::function<bool(std::int32_t)>& afterFrame);

// The GIF window's preview: decodes the file, sizes the work canvas to its logical screen, draws
// frame 0 onto it (over what it held) and returns the canvas turned by rotation. Throws
// panelix::Error when the file cannot be read or decoded or has no frame.
picture::RgbImage PreviewGif(const std::string& path, picture::RgbImage& canvas, picture::Rotation rotation);

// One "Single Convert" or "All Convert" run of the GIF converter, as steps the window drives from
// one-shot timers:
//
//   if (!run.CheckList(count, host)) return;             // "Please input gif files!"
//   host.ClearMemo();
//   auto name = dialogs.Save("Gif-", "*.bin");           // nullopt when cancelled
//   if (run.ChooseOutput(name, host) != ChooseResult::Proceed) return;
//   run.BeginSingle(selected) / (preview entry 0; run.BeginAll(count));   // arm 500 ms
//   on each timeout: if (run.Step(run.CurrentIndex() entry, canvas, host)) arm 50 ms
//
// The bin holds every frame of every converted GIF back to back; the address list gets, per GIF,
// the line "//" + list index and one row per frame:
//   "{" W' ", " H' ", 0x" ADDRESS ", 0x" SIZE "},//" NAME "-Frames" i "\n"
// W', H' being the frame's size after rotation.
class GifRun {
 public:
  // False, with the message "Please input gif files!", when the list is empty.
  bool CheckList(std::int32_t entryCount, GifRunHost& host);

  // Takes the save dialog's answer as the output name, as picture::ChooseOutputName does. A name
  // whose bin or address list is one of inputs (the GIF files) is refused with a message naming both
  // (BadName).
  ChooseResult ChooseOutput(const std::optional<std::string>& chosen, GifRunHost& host,
                            const std::vector<std::string>& inputs = {});

  // "Single Convert": only the GIF at selectedIndex (the run ends after one step).
  void BeginSingle(std::int32_t selectedIndex);
  // "All Convert": list entries 0 to entryCount - 1.
  void BeginAll(std::int32_t entryCount);

  // Converts the GIF at CurrentIndex() (entry is that list entry; nullopt when the index is not in
  // the list): adds "//" + index to the memo, decodes the file, then for every frame draws it onto
  // the canvas, turns the canvas, encodes it, appends it to the bin ("The file does not exist." /
  // "The file might not be accessibl." are shown and the address moves on all the same) and adds its
  // row. Returns true when another GIF follows (arm 50 ms); after the last one writes the address
  // list from the memo and puts bin and list in place together, shows "Convert ok" and returns
  // false. A GIF that cannot be decoded adds "Fail to convert " + its name to the memo and ends the
  // run as Failed (false); a Progress that returns false ends it as Stopped. A run that does not
  // succeed leaves the old bin and list exactly as they were.
  bool Step(const std::optional<GifEntry>& entry, picture::RgbImage& canvas, GifRunHost& host);

  bool Running() const { return m_running; }
  std::int32_t CurrentIndex() const { return m_current; }
  std::int32_t EndIndex() const { return m_end; }
  const std::string& OutputName() const { return m_outputName; }
  // Offset of the next frame in the output bin.
  std::uint32_t Address() const { return m_address; }
  std::int64_t FramesWritten() const { return m_frames; }
  // How the last run ended (Stopped while it runs); the bin and list are in place only when it
  // Succeeded, else the old ones stay as they were.
  picture::RunOutcome Outcome() const { return m_outcome; }
  output::WriteResult LastAppend() const { return m_lastAppend; }
  output::WriteResult LastAddressList() const { return m_lastAddressList; }

 private:
  void Begin(std::int32_t current, std::int32_t end);
  void End(picture::RunOutcome outcome);
  void ConvertFrame(const GifEntry& entry, std::int32_t frame, const picture::RgbImage& canvas,
                    GifRunHost& host);

  std::string m_outputName;
  std::optional<output::BinWriter> m_bin;
  bool m_running = false;
  std::int32_t m_current = 0;
  std::int32_t m_end = 0;
  std::uint32_t m_address = 0;
  std::int64_t m_frames = 0;
  picture::RunOutcome m_outcome = picture::RunOutcome::Stopped;
  output::WriteResult m_lastAppend = output::WriteResult::Written;
  output::WriteResult m_lastAddressList = output::WriteResult::Written;
};

}  // namespace panelix::gif
