#include "wav/wav_reader.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "base/bounded_read.h"
#include "base/bytes.h"
#include "base/files.h"

namespace panelix::wav {

std::string UnsupportedChannelsMessage(int channels) {
  return "Can't support " + std::to_string(channels) + " channels wav files";
}

std::string UnsupportedBitsMessage(int bitsPerSample) {
  return "Can't support " + std::to_string(bitsPerSample) + " BitsPerSample wav files";
}

namespace {

constexpr std::size_t kFormatStart = 20;
constexpr std::size_t kFormatEnd = 36;  // format tag .. bits per sample
constexpr std::size_t kChunkHeader = 8;

// Little-endian field of width bytes at offset; bytes past the end of the file count as 0.
std::uint32_t FieldLE(std::span<const std::uint8_t> file, std::size_t offset, std::size_t width) {
  std::uint32_t value = 0;
  for (std::size_t i = width; i-- > 0;) {
    const std::size_t at = offset + i;
    value = (value << 8) | (at < file.size() ? file[at] : 0U);
  }
  return value;
}

void ReadFormat(std::span<const std::uint8_t> file, WavInfo& info) {
  info.formatTag = static_cast<std::uint16_t>(FieldLE(file, 20, 2));
  info.channels = static_cast<std::uint16_t>(FieldLE(file, 22, 2));
  info.sampleRate = FieldLE(file, 24, 4);
  info.byteRate = FieldLE(file, 28, 4);
  info.blockAlign = static_cast<std::uint16_t>(FieldLE(file, 32, 2));
  info.bitsPerSample = static_cast<std::uint16_t>(FieldLE(file, 34, 2));
}

void CheckFormat(WavInfo& info, const MessageFn& message) {
  info.valid = true;
  if (info.channels != 1 && info.channels != 2) {
    message(UnsupportedChannelsMessage(info.channels));
    info.valid = false;
  }
  if (info.bitsPerSample != 8 && info.bitsPerSample != 16) {
    message(UnsupportedBitsMessage(info.bitsPerSample));
    info.valid = false;
  }
}

// Walks the chunks after the format chunk. Positions are 64-bit so that no size in the file can
// wrap them around.
void WalkChunks(std::span<const std::uint8_t> file, WavInfo& info, const MessageFn& message) {
  const std::uint64_t size = file.size();
  std::uint64_t position = kFormatStart + std::uint64_t{FieldLE(file, 16, 4)};
  if (position > size) {
    info.truncated = true;
  }
  while (position < size) {
    if (position + kChunkHeader > size) {
      info.truncated = true;
      break;
    }
    const auto at = static_cast<std::size_t>(position);
    const std::string_view id(reinterpret_cast<const char*>(file.data() + at), 4);
    const std::uint64_t body = ReadLE32(file, at + 4);
    const std::uint64_t next = position + kChunkHeader + body;
    if (id == "data") {
      info.dataOffset = static_cast<std::uint32_t>(position + kChunkHeader);
      info.dataSize = static_cast<std::uint32_t>(std::min(body, size - (position + kChunkHeader)));
    } else if (id != "fact" && id != "LIST") {
      message(kErrorChunk);
      return;
    }
    if (next > size) {
      info.truncated = true;
    }
    position = next;
  }
}

}  // namespace

WavInfo ParseWav(std::span<const std::uint8_t> file, const MessageFn& message) {
  // Sizes and offsets of a WAV file are 32-bit; nothing past the first 4 GiB can be addressed.
  file = file.first(static_cast<std::size_t>(std::min<std::uint64_t>(file.size(), UINT32_MAX)));
  WavInfo info;
  info.fileSize = static_cast<std::uint32_t>(file.size());
  ReadFormat(file, info);
  if (file.size() < kFormatEnd) {
    info.truncated = true;
    message(kTruncated);
    return info;
  }
  CheckFormat(info, message);
  WalkChunks(file, info, message);
  if (info.truncated) {
    message(kTruncated);
  }
  return info;
}

std::vector<std::uint8_t> ReadWavFile(const std::string& path) {
  return ReadFileBytesUpTo(path, kMaxWavFileBytes, kOpenFailed);
}

WavInfo LoadWav(const std::string& path, const MessageFn& message) {
  const std::vector<std::uint8_t> file = ReadWavFile(path);
  WavInfo info = ParseWav(file, message);
  info.fileName = path;
  return info;
}

}  // namespace panelix::wav
