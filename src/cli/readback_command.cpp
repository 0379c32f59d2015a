// panelix inspect: reads a flash image or an info bin back, prints its tables, settings,
// bootloader and command list, and names every problem it finds.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <system_error>

#include "base/error.h"
#include "cli/options.h"
#include "cli/subcommand.h"
#include "cli/terminal.h"
#include "infoblock/info_block.h"
#include "output/output_names.h"
#include "readback/extract.h"
#include "readback/image_file.h"
#include "readback/report.h"

namespace panelix::cli {

namespace {

struct InspectState {
  std::string image;
  bool json = false;
  std::string blockSize;
  std::string bins;
  std::string extract;
  std::string format;
  int rate = 16000;
  int bits = 8;
  int channels = 1;
};

// The address list beside a converter bin, when there is one: such a bin is read through it.
std::optional<std::filesystem::path> AddressListBeside(const std::filesystem::path& bin) {
  const auto list = bin.parent_path() / output::AddressListName(bin.filename().string());
  std::error_code error;
  return std::filesystem::is_regular_file(list, error) ? std::optional(list) : std::nullopt;
}

void Extract(const InspectState& state, const inspect::ImageFile& file,
             const inspect::Inspection& inspection) {
  inspect::ExtractOptions options;
  options.folder = state.extract;
  std::string format = state.format;
  std::transform(format.begin(), format.end(), format.begin(),
                 [](unsigned char c) { return std::tolower(c); });
  if (format == "argb4444") {
    options.twoByte = inspect::StoredFormat::Argb4444;
  } else if (!state.format.empty()) {
    options.twoByte = inspect::StoredFormat::R5G6B5;
  }
  options.soundRate = state.rate;
  options.soundBits = state.bits;
  options.soundChannels = state.channels;
  const inspect::ExtractResult result =
      inspect::ExtractImage(file, inspection, options, PrintMessage, TerminalProgress("Extract"));
  FinishTerminalProgress();
  PrintMessage("Extracted " + std::to_string(result.files) + " files into " + state.extract);
}

int RunInspect(const InspectState& state) {
  std::size_t blockSize = 0;
  if (state.blockSize == "128K") {
    blockSize = infoblock::kLargeBlockSize;
  } else if (state.blockSize == "12K") {
    blockSize = infoblock::kSmallBlockSize;
  }
  const inspect::ImageFile file(state.image);
  const auto addressList = AddressListBeside(state.image);
  const inspect::Inspection inspection =
      addressList ? inspect::InspectConverterBin(file, *addressList)
                  : inspect::InspectFile(
                        file, blockSize,
                        state.bins.empty() ? std::nullopt : std::optional<std::filesystem::path>(state.bins));
  if (!state.extract.empty()) {
    Extract(state, file, inspection);
  }
  const std::string text =
      state.json ? inspect::InspectionJson(inspection) : inspect::InspectionText(inspection);
  if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() || std::fflush(stdout) != 0) {
    throw Error("Can't write the inspection to the standard output");
  }
  return inspection.problems.empty() ? 0 : 1;
}

SubcommandAction Setup(CLI::App& app) {
  auto state = std::make_shared<InspectState>();
  app.add_option("IMAGE", state->image, "flash image or info bin (either block size)")
      ->required()
      ->type_name("FILE");
  app.add_flag("--json", state->json, "print the inspection as one JSON document");
  AddChoice(app, "--block-size", state->blockSize, ChoiceWords<std::string>{{"12K", "12K"}, {"128K", "128K"}},
            "info block size (default decided from the file's size and its flash addresses)");
  app.add_option("--bins", state->bins,
                 "folder of the bins the image was made from: names the bin of every picture and reads the "
                 "real set tables")
      ->check(CLI::ExistingDirectory);
  app.add_option(
         "--extract", state->extract,
         "write what the image holds into this folder: picture-NNNN.png per picture entry, font-slotK.png "
         "proof sheets, cursor-N.png, sound-N.wav and bootloader.txt")
      ->type_name("DIR");
  AddChoice(app, "--format", state->format,
            ChoiceWords<std::string>{{"r5g6b5", "r5g6b5"}, {"rgb565", "rgb565"}, {"argb4444", "argb4444"}},
            "pixel format of pictures of two bytes a pixel, R5G6B5 or the 4-4-4-4 alpha encoding (default "
            "r5g6b5); three bytes a pixel is R8G8B8, one bit black and white");
  app.add_option("--rate", state->rate, "sample rate written into the extracted WAV files (default 16000)")
      ->type_name("N")
      ->check(CLI::Range(1, 1000000));
  AddChoice(app, "--bits", state->bits, ChoiceWords<int>{{"8", 8}, {"16", 16}},
            "bits a sample of the sound bins (default 8)");
  AddChoice(app, "--channels", state->channels, ChoiceWords<int>{{"1", 1}, {"2", 2}},
            "channels of the sound bins (default 1)");
  app.footer(
      "Prints the block size, build time, [INFO] settings, the bootloader as panelix bootloader flags, the "
      "picture, font, sound and cursor tables, the set tables and the command list, then \"OK\" or every "
      "problem found (exit status 1). A converter bin (such as Picture-main.bin) with its address list "
      "beside "
      "it is read through that list.");
  return [state] { return RunInspect(*state); };
}

const bool kRegistered =
    RegisterSubcommand({"inspect", "read a flash image or info bin back and check it", Setup});

}  // namespace

}  // namespace panelix::cli
