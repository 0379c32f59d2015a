#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "base/progress.h"

namespace panelix::wav {

// Message texts of the WAV reader, spelt exactly so: users and their scripts match on them.
inline constexpr const char* kOpenFailed = "打开文件失败!";
inline constexpr const char* kErrorChunk = "Error Chunk!";
inline constexpr const char* kTruncated = "The wav file is truncated!";
// "Can't support N channels wav files" and "Can't support N BitsPerSample wav files".
std::string UnsupportedChannelsMessage(int channels);
std::string UnsupportedBitsMessage(int bitsPerSample);

// What a load found in a WAV file.
struct WavInfo {
  std::string fileName;
  std::uint32_t fileSize = 0;
  std::uint16_t formatTag = 0;  // shown only; any value is accepted
  std::uint16_t channels = 0;   // 1 or 2 accepted
  std::uint32_t sampleRate = 0;
  std::uint32_t byteRate = 0;       // shown only
  std::uint16_t blockAlign = 0;     // not used
  std::uint16_t bitsPerSample = 0;  // 8 or 16 accepted
  std::uint32_t dataOffset = 0;     // file offset of the first sample byte
  std::uint32_t dataSize = 0;       // bytes of sample data, 0 when there is no data chunk
  // Channels and bits per sample are both accepted (and the format fields are all there).
  bool valid = false;
  // The file ends before its format fields or before a chunk it announces: only what is in the
  // file was taken, and the data size counts the sample bytes actually present.
  bool truncated = false;
};

// Reads the RIFF chunks of a WAV file held whole in memory. The format fields sit at offsets
// 20..35 whatever the first chunks say; the chunk walk starts at 20 + the format chunk's size and
// takes "fact" and "LIST" (skipped) and "data" (its body is the sample data); chunks follow each
// other without pad bytes. Any other id sends "Error Chunk!" and ends the walk, keeping what was
// found. Unsupported channel counts or sample widths send
//   "Can't support <n> channels wav files" / "Can't support <n> BitsPerSample wav files"
// and leave valid false. Nothing is ever read beyond the file: a file cut short sends
// "The wav file is truncated!" and its data size covers only the bytes present.
WavInfo ParseWav(std::span<const std::uint8_t> file, const MessageFn& message);

// Reads the file and parses it. Throws panelix::Error "打开文件失败!" when it cannot be read.
WavInfo LoadWav(const std::string& path, const MessageFn& message);

// The largest WAV file the converter reads: 64 MiB, over six minutes of 16-bit stereo at 44.1 kHz.
inline constexpr std::uint64_t kMaxWavFileBytes = std::uint64_t{64} << 20;
// Reads a whole WAV file. Throws panelix::Error kOpenFailed when it cannot be read, and the
// too-large message (base/bounded_read.h) for a file above kMaxWavFileBytes, before reading it.
std::vector<std::uint8_t> ReadWavFile(const std::string& path);

}  // namespace panelix::wav
