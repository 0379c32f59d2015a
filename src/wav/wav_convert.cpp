#include "wav/wav_convert.h"

#include <algorithm>
#include <array>

#include "base/error.h"
#include "base/files.h"
#include "output/address_list.h"
#include "output/messages.h"
#include "output/output_names.h"

namespace panelix::wav {

namespace {

// Which bytes of a frame go to the bin, in order.
struct FramePick {
  std::array<std::uint8_t, 4> at{};
  std::size_t count = 0;
};

enum class SampleOp { Copy16, HighBytes, Copy8 };

FramePick PickFor(SampleOp op, bool stereo, ChannelChoice channel) {
  const bool right = stereo && channel == ChannelChoice::Right;
  const bool both = stereo && channel == ChannelChoice::Two;
  switch (op) {
    case SampleOp::Copy16:
      return both ? FramePick{{0, 1, 2, 3}, 4} : right ? FramePick{{2, 3}, 2} : FramePick{{0, 1}, 2};
    case SampleOp::HighBytes:
      return both ? FramePick{{1, 3}, 2} : right ? FramePick{{3}, 1} : FramePick{{1}, 1};
    case SampleOp::Copy8:
      return both ? FramePick{{0, 1}, 2} : right ? FramePick{{1}, 1} : FramePick{{0}, 1};
  }
  return {};
}

SampleOp ChooseOp(const WavInfo& info, const WavOptions& options) {
  if (info.channels != 1 && info.channels != 2) {
    throw Error(UnsupportedChannelsMessage(info.channels));
  }
  if (info.bitsPerSample == 8) {
    return SampleOp::Copy8;
  }
  if (info.bitsPerSample != 16) {
    throw Error(UnsupportedBitsMessage(info.bitsPerSample));
  }
  switch (options.bits) {
    case BitsChoice::Bits16:
      return SampleOp::Copy16;
    case BitsChoice::Bits8:
      return SampleOp::HighBytes;
    case BitsChoice::Unknown:
      break;
  }
  throw Error(kCantSupportBits);
}

std::uint64_t SpeedFactor(int speed) {
  if (speed != 1 && speed != 2 && speed != 4 && speed != 8 && speed != 16) {
    throw Error("The speed must be 1, 2, 4, 8 or 16");
  }
  return static_cast<std::uint64_t>(speed);
}

constexpr std::uint64_t kFramesPerProgress = 4096;

}  // namespace

WavOptions PresetOptions(const WavInfo& info, WavOptions current) {
  if (info.channels == 1) {
    current.channel = ChannelChoice::Left;
  } else if (info.channels == 2) {
    current.channel = ChannelChoice::Two;
  }
  current.bits = info.bitsPerSample == 8    ? BitsChoice::Bits8
                 : info.bitsPerSample == 16 ? BitsChoice::Bits16
                                            : BitsChoice::Unknown;
  return current;
}

std::uint64_t BinDataSize(const WavInfo& info, const WavOptions& options, const MessageFn& message) {
  const bool oneOfTwo = info.channels == 2 && options.channel != ChannelChoice::Two;
  std::uint64_t size = oneOfTwo ? info.dataSize / 2 : info.dataSize;
  if (info.bitsPerSample == 16) {
    if (options.bits == BitsChoice::Bits8) {
      size /= 2;
    }
  } else if (options.bits != BitsChoice::Bits8) {
    message(k8BitsSource);
    size *= 2;
  }
  return size / SpeedFactor(options.speed);
}

std::optional<std::vector<std::uint8_t>> ConvertWav(std::span<const std::uint8_t> file, const WavInfo& info,
                                                    const WavOptions& options, std::uint64_t size,
                                                    const ProgressFn& progress) {
  const SampleOp op = ChooseOp(info, options);
  const bool stereo = info.channels == 2;
  if (!stereo && options.channel == ChannelChoice::Two) {
    throw Error(kUnsupportedFormat);
  }
  const FramePick pick = PickFor(op, stereo, options.channel);
  const std::uint64_t frameBytes = std::uint64_t{info.channels} * info.bitsPerSample / 8;
  const std::uint64_t step = frameBytes * SpeedFactor(options.speed);
  // Frames start below the end of the data chunk; their bytes are read only up to the end of the
  // data chunk or of the file, whichever comes first.
  const std::uint64_t dataEnd =
      std::min<std::uint64_t>(std::uint64_t{info.dataOffset} + info.dataSize, file.size());
  const std::uint8_t silence = op == SampleOp::Copy8 && options.bits == BitsChoice::Bits8 ? 0x80 : 0x00;

  std::vector<std::uint8_t> bin(static_cast<std::size_t>(size), silence);
  const std::uint64_t frames = dataEnd > info.dataOffset ? (dataEnd - info.dataOffset + step - 1) / step : 0;
  if (step == pick.count) {
    // Every byte of every frame, in order: the bin starts as a copy of the data.
    const std::uint64_t count =
        std::min<std::uint64_t>(bin.size(), dataEnd > info.dataOffset ? dataEnd - info.dataOffset : 0);
    std::copy_n(file.begin() + info.dataOffset, static_cast<std::size_t>(count), bin.begin());
    if (!progress(static_cast<std::int64_t>(frames), static_cast<std::int64_t>(frames))) {
      return std::nullopt;
    }
    return bin;
  }
  std::size_t filled = 0;
  std::uint64_t frame = 0;
  for (std::uint64_t start = info.dataOffset; start < dataEnd && filled < bin.size(); start += step) {
    for (std::size_t i = 0; i < pick.count && filled < bin.size(); ++i, ++filled) {
      const std::uint64_t at = start + pick.at[i];
      if (at < dataEnd) {
        bin[filled] = file[static_cast<std::size_t>(at)];
      }
    }
    if (++frame % kFramesPerProgress == 0 &&
        !progress(static_cast<std::int64_t>(frame), static_cast<std::int64_t>(frames))) {
      return std::nullopt;
    }
  }
  if (!progress(static_cast<std::int64_t>(frames), static_cast<std::int64_t>(frames))) {
    return std::nullopt;
  }
  return bin;
}

std::vector<std::string> DataTextLines(const std::string& fileNameText, const WavInfo& info,
                                       const WavOptions& options, std::uint64_t size) {
  const std::uint64_t speed = SpeedFactor(options.speed);
  return {
      "{    //" + fileNameText,
      options.channel == ChannelChoice::Two ? "2,   //Sound channel number" : "1,   //Sound channel number",
      options.bits == BitsChoice::Bits8 ? "8,   //8bits every sample" : "16,  //16bits every sample",
      std::to_string(info.sampleRate / speed) + ",//Samples number per-second",
      std::to_string(size) + "//The bytes of Bin_File_Data_Size ",
      "};",
  };
}

bool WriteWavOutputs(const std::string& name, std::span<const std::uint8_t> bin,
                     const std::vector<std::string>& lines, const MessageFn& message) {
  if (name.empty()) {
    message(output::kFileDoesNotExist);
    return false;
  }
  // Each output that cannot be written is reported, as the two files were before; then nothing
  // is put in place.
  OutputFiles outputs;
  bool written = true;
  const auto write = [&](const std::string& target, std::string_view bytes) {
    try {
      outputs.Add(target, output::kFileNotAccessible).Write(bytes);
    } catch (const Error& e) {
      message(e.what());
      written = false;
    }
  };
  write(name, std::string_view(reinterpret_cast<const char*>(bin.data()), bin.size()));
  write(output::AddressListName(name), output::AddressListBytes(lines));
  if (!written) {
    return false;
  }
  try {
    outputs.Commit();
  } catch (const Error& e) {
    message(e.what());
    return false;
  }
  return true;
}

}  // namespace panelix::wav
