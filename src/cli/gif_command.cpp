// panelix gif: every frame of GIF animations into one bin with its address list, as the GIF
// window's "All Convert" writes them.
#include <filesystem>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "base/error.h"
#include "cli/options.h"
#include "cli/subcommand.h"
#include "cli/terminal.h"
#include "gif/gif_folder.h"
#include "gif/gif_run.h"
#include "output/output_names.h"

namespace panelix::cli {
namespace {

struct GifArgs {
  picture::PictureOptions options;
  std::int64_t maxPixels = gif::kDefaultMaxGifPixels;
  std::string output;
  std::vector<std::string> inputs;
};

class CliGifHost final : public gif::GifRunHost {
 public:
  CliGifHost(const picture::PictureOptions& options, std::int64_t maxPixels)
      : m_options(options), m_maxPixels(maxPixels), m_progress(TerminalProgress("gif")) {}

  picture::PictureOptions Options() override { return m_options; }
  void ShowMessage(const std::string& text) override {
    // The window's confirmations say nothing on a terminal; everything else is worth a line.
    if (text != picture::kStartMessage && text != picture::kConvertOk) {
      PrintMessage(text);
    }
  }
  void AppendMemoLine(const std::string& line) override { m_lines.push_back(line); }
  void ClearMemo() override { m_lines.clear(); }
  std::vector<std::string> MemoLines() override { return m_lines; }
  bool Progress(int percent) override { return m_progress(percent, 100); }
  void FailureReason(const std::string& reason) override { PrintMessage(reason); }
  std::int64_t MaxGifPixels() override { return m_maxPixels; }

  const std::vector<std::string>& Lines() const { return m_lines; }

 private:
  picture::PictureOptions m_options;
  std::int64_t m_maxPixels;
  ProgressFn m_progress;
  std::vector<std::string> m_lines;
};

// The GIFs to convert, in list order: files as given, folders expanded by the GIF list rule.
std::vector<gif::GifEntry> Entries(const std::vector<std::string>& inputs) {
  std::vector<gif::GifEntry> entries;
  for (const std::string& input : inputs) {
    const std::filesystem::path path(input);
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
      for (const std::string& name : gif::ListGifFolder(input)) {
        entries.push_back({(path / name).string(), name});
      }
    } else {
      entries.push_back({input, path.filename().string()});
    }
  }
  return entries;
}

int Run(const GifArgs& args) {
  CliGifHost host(args.options, args.maxPixels);
  const std::vector<gif::GifEntry> entries = Entries(args.inputs);
  gif::GifRun run;
  if (!run.CheckList(static_cast<std::int32_t>(entries.size()), host)) {
    return 1;
  }
  std::vector<std::string> paths;
  for (const gif::GifEntry& entry : entries) {
    paths.push_back(entry.path);
  }
  if (run.ChooseOutput(args.output, host, paths) != gif::ChooseResult::Proceed) {
    return 1;
  }
  run.BeginAll(static_cast<std::int32_t>(entries.size()));
  picture::RgbImage canvas;
  while (run.Step(entries.at(static_cast<std::size_t>(run.CurrentIndex())), canvas, host)) {
  }
  FinishTerminalProgress();
  if (run.Outcome() != picture::RunOutcome::Succeeded) {
    if (run.CurrentIndex() < run.EndIndex()) {
      // The failing GIF's reason was printed; the memo's last line says which one.
      PrintMessage(host.Lines().back());
    }
    return 1;
  }
  std::cout << "Wrote " << run.OutputName() << " (" << run.FramesWritten() << " frames of " << entries.size()
            << (entries.size() == 1 ? " GIF file, " : " GIF files, ") << run.Address() << " bytes) and "
            << output::AddressListName(run.OutputName()) << "\n";
  return 0;
}

const bool kRegistered = RegisterSubcommand(
    {"gif", "convert every frame of GIF animations into one bin with its address list",
     [](CLI::App& app) -> SubcommandAction {
       auto args = std::make_shared<GifArgs>();
       static const ChoiceWords<picture::PixelFormat> kFormats{{"r5g6b5", picture::PixelFormat::R5G6B5},
                                                               {"rgb565", picture::PixelFormat::R5G6B5},
                                                               {"r8g8b8", picture::PixelFormat::R8G8B8},
                                                               {"rgb888", picture::PixelFormat::R8G8B8}};
       AddChoice(app, "--format", args->options.format, kFormats,
                 "pixel format of the frames (default r5g6b5); rgb565 and rgb888 are other names of "
                 "r5g6b5 and r8g8b8");
       AddChoice(app, "--order", args->options.order, ChannelOrderWords(), "channel order (default rgb)");
       AddChoice(app, "--rotate", args->options.rotation, RotationWords(),
                 "quarter turn of every frame, r90 clockwise, l90 counter-clockwise (default 0)");
       app.add_flag("--reverse-x", args->options.mirrorX, "mirror every frame left to right");
       app.add_flag("--reverse-y", args->options.mirrorY, "mirror every frame top to bottom");
       app.add_flag("--nand-pad", args->options.rowPadding, "pad rows with 0xFF to 4 pixels");
       AddChoice(app, "--dither", args->options.dither, DitherWords(),
                 "dithering before colours are reduced: none (default, plain truncation), ordered, "
                 "floyd-steinberg (r5g6b5; r8g8b8 keeps every colour)");
       app.add_option(
              "--max-pixels", args->maxPixels,
              "most pixels one GIF may hold, its frame count times its screen size and the sum of its "
              "frame sizes each (default 33554432 = 2^25); GIF files of up to 2 bytes per pixel are read")
           ->type_name("N")
           ->check(CLI::Range(std::int64_t{1}, std::int64_t{1} << 31));
       AddOutput(app, args->output)->required();
       app.add_option("inputs", args->inputs, "GIF files, or folders whose GIF files are all taken")
           ->type_name("INPUT")
           ->required();
       app.footer("The address list NAME-Addr.txt is written beside the bin.");
       return [args] { return Run(*args); };
     }});

}  // namespace
}  // namespace panelix::cli
