// panelix picture: pictures (BMP, JPEG, PNG) into one bin with its address list, as the main
// window's "All Convert" writes them, decoded and encoded on every core.
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/error.h"
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
    throw Error("Please input picture!");
  }
  const std::string outputName = output::OutputBinName(args.output);
  const MessageFn message = [](const std::string& text) { PrintMessage(text); };
  const picture::BatchResult result = picture::ConvertPictures(list, args.options, outputName, args.jobs,
                                                               message, TerminalProgress("picture"));
  FinishTerminalProgress();
  if (!result.failedPath.empty()) {
    PrintMessage("Fail to convert " + result.failedPath);
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

const bool kRegistered = RegisterSubcommand(
    {"picture", "Convert BMP, JPEG and PNG pictures into one bin with its address list",
     [](CLI::App& app) -> SubcommandAction {
       auto args = std::make_shared<PictureArgs>();
       static const std::map<std::string, picture::PixelFormat> kFormats{
           {"r5g6b5", picture::PixelFormat::R5G6B5},
           {"r8g8b8", picture::PixelFormat::R8G8B8},
           {"bw", picture::PixelFormat::BlackWhite}};
       static const std::map<std::string, picture::ChannelOrder> kOrders{{"rgb", picture::ChannelOrder::Rgb},
                                                                         {"bgr", picture::ChannelOrder::Bgr}};
       static const std::map<std::string, picture::Rotation> kRotations{{"0", picture::Rotation::None},
                                                                        {"r90", picture::Rotation::Right90},
                                                                        {"l90", picture::Rotation::Left90}};
       auto& o = args->options;
       app.add_option("--format", o.picture.format,
                      "Pixel format: r5g6b5 (default), r8g8b8, bw (black and white)")
           ->transform(CLI::CheckedTransformer(kFormats, CLI::ignore_case));
       app.add_option("--order", o.picture.order, "Channel order (default rgb)")
           ->transform(CLI::CheckedTransformer(kOrders, CLI::ignore_case));
       app.add_option("--rotate", o.picture.rotation, "Quarter turn at loading: 0, r90 (clockwise), l90")
           ->transform(CLI::CheckedTransformer(kRotations, CLI::ignore_case));
       app.add_flag("--reverse-x", o.picture.mirrorX, "Mirror every picture left to right");
       app.add_flag("--reverse-y", o.picture.mirrorY, "Mirror every picture top to bottom");
       app.add_flag("--nand-pad", o.picture.rowPadding,
                    "Pad rows with 0xFF (to 4 pixels, or 4 bytes for bw)");
       app.add_flag("--argb-png", o.argbPng, "Encode PNG pictures with their alpha as 4-4-4-4 (16 bits)");
       app.add_option("--alpha", o.alphaThreshold,
                      "PNG alpha threshold: pixels with alpha up to it become black (default 150)");
       app.add_option("--max-pixels", o.limits.maxPixels,
                      "Largest picture in pixels (default 8388608 = 2^23; each side at most 65535); picture "
                      "files of up to 8 bytes per pixel are read")
           ->check(CLI::Range(std::int64_t{1}, std::int64_t{1} << 31));
       static const std::map<std::string, picture::Dither> kDithers{
           {"none", picture::Dither::None},
           {"ordered", picture::Dither::Ordered},
           {"floyd-steinberg", picture::Dither::FloydSteinberg}};
       app.add_option("--dither", o.picture.dither,
                      "Dithering before colours are reduced: none (default, plain truncation), ordered, "
                      "floyd-steinberg (r5g6b5, bw and the colour of --argb-png)")
           ->transform(CLI::CheckedTransformer(kDithers, CLI::ignore_case));
       app.add_option("--jobs", args->jobs, "Pictures decoded at once (default: one per core)");
       app.add_option("-o,--output", args->output,
                      "Output bin name (\".bin\" is added unless the name has it)")
           ->required();
       app.add_option("inputs", args->inputs, "Picture files and folders, in conversion order")->required();
       return [args] { return Run(*args); };
     }});

}  // namespace
}  // namespace panelix::cli
