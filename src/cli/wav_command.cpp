// panelix wav: the WAV converter. Converts the samples of a WAV file into a raw sample bin with its
// data text beside it, or (--info) shows what the converter reads from the file.
#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include "base/error.h"
#include "base/files.h"
#include "cli/options.h"
#include "cli/subcommand.h"
#include "cli/terminal.h"
#include "output/address_list.h"
#include "output/messages.h"
#include "output/output_names.h"
#include "wav/wav_convert.h"
#include "wav/wav_reader.h"

namespace panelix::cli {

namespace {

struct WavArgs {
  std::string input;
  std::string output;
  std::string channel;  // empty: as a load presets it
  int bits = 0;         // 0: as a load presets it
  int speed = 1;
  bool info = false;
  bool outputGiven = false;
};

void PrintInfo(const wav::WavInfo& info) {
  const std::pair<const char*, std::uint32_t> rows[] = {
      {"Wav file size:   ", info.fileSize}, {"PCM Format Tag:  ", info.formatTag},
      {"Sound Channels:  ", info.channels}, {"SmaplesPerSec:  ", info.sampleRate},
      {"AvgBytesPerSec:  ", info.byteRate}, {"BitsPerSample:   ", info.bitsPerSample},
      {"Data Size:   ", info.dataSize},     {"Data offset:   ", info.dataOffset},
  };
  for (const auto& [label, value] : rows) {
    std::printf("%s%u\n", label, static_cast<unsigned>(value));
  }
}

wav::WavOptions OptionsFor(const WavArgs& args, const wav::WavInfo& info) {
  wav::WavOptions options = wav::PresetOptions(info, {});
  options.speed = args.speed;
  static const std::map<std::string, wav::ChannelChoice> kChannels{{"left", wav::ChannelChoice::Left},
                                                                   {"right", wav::ChannelChoice::Right},
                                                                   {"two", wav::ChannelChoice::Two}};
  if (!args.channel.empty()) {
    options.channel = kChannels.at(args.channel);
  }
  if (args.bits != 0) {
    options.bits = args.bits == 8 ? wav::BitsChoice::Bits8 : wav::BitsChoice::Bits16;
  }
  return options;
}

int RunWav(const WavArgs& args) {
  const MessageFn print = [](const std::string& text) { PrintMessage(text); };
  const std::vector<std::uint8_t> file = wav::ReadWavFile(args.input);
  wav::WavInfo info = wav::ParseWav(file, print);
  info.fileName = args.input;
  if (args.info) {
    PrintInfo(info);
    return info.valid ? 0 : 1;
  }
  if (!info.valid) {
    return 1;  // the reader has said why
  }
  if (!args.outputGiven) {
    throw Error("Give the output name with -o NAME");
  }
  const wav::WavOptions options = OptionsFor(args, info);
  const std::uint64_t size = wav::BinDataSize(info, options, print);
  const auto bin = wav::ConvertWav(file, info, options, size, TerminalProgress("wav"));
  FinishTerminalProgress();
  const std::string name = output::OutputBinName(args.output);
  const auto lines = wav::DataTextLines(args.input, info, options, size);
  return wav::WriteWavOutputs(name, *bin, lines, print) ? 0 : 1;
}

SubcommandAction Setup(CLI::App& app) {
  auto args = std::make_shared<WavArgs>();
  app.add_option("input", args->input, "WAV file (PCM, mono or stereo, 8 or 16 bits per sample)")
      ->required()
      ->check(CLI::ExistingFile);
  auto* output = AddOutput(app, args->output);
  AddChoice(app, "--channel", args->channel,
            ChoiceWords<std::string>{{"left", "left"}, {"right", "right"}, {"two", "two"}},
            "channels to keep (default left for mono, two for stereo)");
  AddChoice(app, "--bits", args->bits, ChoiceWords<int>{{"8", 8}, {"16", 16}},
            "bits per output sample (default as in the file)");
  AddChoice(app, "--speed", args->speed, ChoiceWords<int>{{"1", 1}, {"2", 2}, {"4", 4}, {"8", 8}, {"16", 16}},
            "keep every first, second, fourth, eighth or sixteenth frame (default 1)");
  auto* info = app.add_flag("--info", args->info, "show the format fields and the data chunk, write nothing");
  info->excludes("--output")->excludes("--channel")->excludes("--bits")->excludes("--speed");
  app.footer(
      "The data text NAME-Addr.txt is written beside the bin.\nExamples:\n  panelix wav --channel left "
      "--bits 8 --speed 2 -o Wav-chime chime.wav\n"
      "  panelix wav --info chime.wav");
  return [args, output] {
    args->outputGiven = output->count() > 0;
    return RunWav(*args);
  };
}

const bool kRegistered =
    RegisterSubcommand({"wav", "raw sample bin and data text from a WAV file, or its format fields", Setup});

}  // namespace

}  // namespace panelix::cli
