#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "base/progress.h"
#include "wav/wav_reader.h"

namespace panelix::wav {

inline constexpr const char* k8BitsSource = "8bits wav files,Please didn't select 16bits bin data";
inline constexpr const char* kCantSupportBits = "Can't suport this bits";
inline constexpr const char* kUnsupportedFormat = "Don't support this format!";

enum class ChannelChoice { Left, Right, Two };
// "8bits", "16bits" and the "??bits" a load presets for a width it cannot convert.
enum class BitsChoice { Bits8, Bits16, Unknown };

struct WavOptions {
  ChannelChoice channel = ChannelChoice::Left;
  BitsChoice bits = BitsChoice::Bits8;
  int speed = 1;  // keep every speed-th frame: 1, 2, 4, 8 or 16
};

// The choices a load presets for a file: "Left Channel" for mono, "Two Channel" for stereo;
// "8bits", "16bits" or "??bits" after the sample width. The speed stays as it was.
WavOptions PresetOptions(const WavInfo& info, WavOptions current);

// The number of bytes the sample bin will hold. Sends "8bits wav files,Please didn't select
// 16bits bin data" when an 8-bit source is to become 16-bit samples (the size is doubled then).
std::uint64_t BinDataSize(const WavInfo& info, const WavOptions& options, const MessageFn& message);

// Converts the samples of file (the WAV file read again, laid out as info says) into the sample
// bin of exactly size bytes (size from BinDataSize). Every speed-th frame is visited from the data
// offset; from each it takes the left, right or both samples, 16-bit samples whole or their high
// bytes, 8-bit samples unchanged. Nothing past the data chunk or the file is read; bytes the
// samples do not fill (an 8-bit source declared 16-bit, a short last frame) hold silence: 0x80 for
// unsigned 8-bit samples, 0x00 for signed ones.
// Throws panelix::Error "Can't suport this bits" (a 16-bit source with "??bits"), "Don't support
// this format!" (a mono source with "Two Channel"), or the reader's "Can't support ..." text for a
// file the reader did not accept. progress is called every few thousand frames; when it returns
// false the conversion stops and nothing is returned.
std::optional<std::vector<std::uint8_t>> ConvertWav(std::span<const std::uint8_t> file, const WavInfo& info,
                                                    const WavOptions& options, std::uint64_t size,
                                                    const ProgressFn& progress = NoProgress);

// The six lines of the data text beside the bin (no line endings): the file name line, channel
// count, sample width, samples per second after the speed factor and the bin's byte count.
std::vector<std::string> DataTextLines(const std::string& fileNameText, const WavInfo& info,
                                       const WavOptions& options, std::uint64_t size);

// Writes the bin and its data text (lines, as an address list beside it) and puts both in place
// together. Each file that cannot be written gives message "The file might not be accessibl." (an
// empty name gives "The file does not exist."), and then both files stay as they were. Returns
// whether both were put in place.
bool WriteWavOutputs(const std::string& name, std::span<const std::uint8_t> bin,
                     const std::vector<std::string>& lines, const MessageFn& message);

}  // namespace panelix::wav
