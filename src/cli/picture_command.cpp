// panelix picture: pictures (BMP, JPEG, PNG) into one bin with its address list, as the main
// window's "All Convert" writes them, decoded and encoded on every core.
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/error.h"
#include "cli/options.h"
#include "cli/subcommand.h"
#include "cli/terminal.h"
#include "output/output_names.h"
#include "picture/batch.h"
#include "picture/folder_scan.h"

namespace panelix::cli {
namespace {

struct PictureArgs {
  picture::ConvertOptions options;
  std::string output;
  std::vector<std::string> inputs;
  unsigned jobs = 0;
  bool strict = false;
};

// The pictures to convert, in list order: files as given, folders expanded by the folder scan of
// "Input Picture" (the folder's pictures and those of its direct subfolders).
std::vector<std::string> Pictures(const std::vector<std::string>& inputs) {
  std::vector<std::string> list;
  for (const std::string& input : inputs) {
    std::error_code ec;
    if (std::filesystem::is_directory(input, ec)) {
      std::string folder = input;
      if (folder.back() != '/') {
        folder += '/';
      }
      const auto found = picture::ScanPictureFolder(folder);
      list.insert(list.end(), found.begin(), found.end());
    } else {
      list.push_back(input);
    }
  }
  return list;
}

int Run(const PictureArgs& args) {
  const std::vector<std::string> list = Pictures(args.inputs);
  if (list.empty()) {
    throw Error(picture::kNoPictures);
  }
  const std::string outputName = output::OutputBinName(args.output);
  const MessageFn message = [](const std::string& text) { PrintMessage(text); };
  const bool strict = args.strict;
  const picture::PictureWarningFn warn = [strict](const std::string& path,
                                                  const std::vector<std::string>& texts) {
    for (const std::string& text : texts) {
      PrintMessage("warning: " + path + ": " + text);
    }
    return !strict;
  };
  const picture::BatchResult result = picture::ConvertPictures(list, args.options, outputName, args.jobs,
                                                               message, TerminalProgress("picture"), warn);
  FinishTerminalProgress();
  if (!result.failedPath.empty()) {
    PrintMessage(picture::kFailToConvert + result.failedPath);
    PrintMessage(result.failureReason);
  }
  if (result.outcome != picture::RunOutcome::Succeeded) {
    PrintMessage("Left " + outputName + " and " + output::AddressListName(outputName) + " as they were");
    return 1;
  }
  std::cout << "Wrote " << result.binName << " (" << result.converted << " pictures, " << result.binBytes
            << " bytes)\n";
  std::cout << "Wrote " << result.addressListName << " (" << result.converted << " rows)\n";
  return 0;
}

// The pixel formats by name, with the names people type for them. "argb4444" is R5G6B5 with
// "aRGB PNG" ticked: PNG pictures take their alpha as 4-4-4-4, the others stay R5G6B5.
enum class FormatWord { R5G6B5, R8G8B8, BlackWhite, Argb4444 };

const ChoiceWords<FormatWord>& FormatWords() {
  static const ChoiceWords<FormatWord> words{
      {"r5g6b5", FormatWord::R5G6B5},    {"rgb565", FormatWord::R5G6B5}, {"r8g8b8", FormatWord::R8G8B8},
      {"rgb888", FormatWord::R8G8B8},    {"bw", FormatWord::BlackWhite}, {"mono", FormatWord::BlackWhite},
      {"argb4444", FormatWord::Argb4444}};
  return words;
}

void ApplyFormat(FormatWord word, picture::ConvertOptions& options) {
  options.picture.format = word == FormatWord::R8G8B8       ? picture::PixelFormat::R8G8B8
                           : word == FormatWord::BlackWhite ? picture::PixelFormat::BlackWhite
                                                            : picture::PixelFormat::R5G6B5;
  options.argbPng = options.argbPng || word == FormatWord::Argb4444;
}

const bool kRegistered = RegisterSubcommand(
    {"picture", "convert BMP, JPEG and PNG pictures into one bin with its address list",
     [](CLI::App& app) -> SubcommandAction {
       auto args = std::make_shared<PictureArgs>();
       auto format = std::make_shared<FormatWord>(FormatWord::R5G6B5);
       auto& o = args->options;
       AddChoice(app, "--format", *format, FormatWords(),
                 "pixel format (default r5g6b5); rgb565, rgb888 and mono are other names of r5g6b5, "
                 "r8g8b8 and bw; argb4444 is r5g6b5 with --argb-png");
       AddChoice(app, "--order", o.picture.order, ChannelOrderWords(), "channel order (default rgb)");
       AddChoice(app, "--rotate", o.picture.rotation, RotationWords(),
                 "quarter turn at loading, r90 clockwise, l90 counter-clockwise (default 0)");
       app.add_flag("--reverse-x", o.picture.mirrorX, "mirror every picture left to right");
       app.add_flag("--reverse-y", o.picture.mirrorY, "mirror every picture top to bottom");
       app.add_flag("--nand-pad", o.picture.rowPadding, "pad rows with 0xFF to 4 pixels (to 4 bytes for bw)");
       app.add_flag("--argb-png", o.argbPng, "encode PNG pictures with their alpha as 4-4-4-4 (16 bits)");
       app.add_option("--alpha", o.alphaThreshold,
                      "PNG alpha threshold: pixels with alpha up to it become black (default 150)")
           ->type_name("N");
       app.add_option("--max-pixels", o.limits.maxPixels,
                      "largest picture in pixels (default 8388608 = 2^23; each side at most 65535); picture "
                      "files of up to 8 bytes per pixel are read")
           ->type_name("N")
           ->check(CLI::Range(std::int64_t{1}, std::int64_t{1} << 31));
       AddChoice(app, "--dither", o.picture.dither, DitherWords(),
                 "dithering before colours are reduced: none (default, plain truncation), ordered, "
                 "floyd-steinberg (r5g6b5, bw and the colour of --argb-png)");
       app.add_flag("--strict", args->strict,
                    "fail when a picture decodes only with warnings (a damaged JPEG); nothing is written");
       app.add_option("--jobs", args->jobs,
                      "pictures decoded at once (default one per core; at most the cores and 4)")
           ->type_name("N");
       AddOutput(app, args->output)->required();
       app.add_option("inputs", args->inputs, "picture files and folders, in conversion order")
           ->type_name("INPUT")
           ->required();
       app.footer("The address list NAME-Addr.txt is written beside the bin.");
       return [args, format] {
         ApplyFormat(*format, args->options);
         return Run(*args);
       };
     }});

}  // namespace
}  // namespace panelix::cli
