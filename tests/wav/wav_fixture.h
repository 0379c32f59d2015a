#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace panelix::wav::test {

inline void PutLE(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) {
    out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
  }
}

inline void PutChunk(std::vector<std::uint8_t>& out, const std::string& id,
                     const std::vector<std::uint8_t>& body, std::uint32_t declaredSize) {
  for (char c : id) {
    out.push_back(static_cast<std::uint8_t>(c));
  }
  PutLE(out, declaredSize, 4);
  out.insert(out.end(), body.begin(), body.end());
}

struct WavSpec {
  std::uint16_t channels = 2;
  std::uint16_t bits = 16;
  std::uint32_t rate = 44100;
  std::uint32_t formatSize = 16;  // bytes of the format chunk's body (extension bytes are zero)
};

// A RIFF/WAVE file: header, format chunk, then the given chunks as they stand.
inline std::vector<std::uint8_t> MakeWav(const WavSpec& spec, const std::vector<std::uint8_t>& chunks) {
  std::vector<std::uint8_t> out{'R', 'I', 'F', 'F'};
  PutLE(out, static_cast<std::uint32_t>(4 + 8 + spec.formatSize + chunks.size()), 4);
  for (char c : std::string("WAVEfmt ")) {
    out.push_back(static_cast<std::uint8_t>(c));
  }
  PutLE(out, spec.formatSize, 4);
  const std::size_t bodyStart = out.size();
  PutLE(out, 1, 2);
  PutLE(out, spec.channels, 2);
  PutLE(out, spec.rate, 4);
  PutLE(out, spec.rate * spec.channels * spec.bits / 8, 4);
  PutLE(out, static_cast<std::uint32_t>(spec.channels * spec.bits / 8), 2);
  PutLE(out, spec.bits, 2);
  out.resize(bodyStart + spec.formatSize, 0);
  out.insert(out.end(), chunks.begin(), chunks.end());
  return out;
}

inline std::vector<std::uint8_t> DataChunk(const std::vector<std::uint8_t>& samples) {
  std::vector<std::uint8_t> chunk;
  PutChunk(chunk, "data", samples, static_cast<std::uint32_t>(samples.size()));
  return chunk;
}

// Sample bytes that tell their position apart: byte i holds i * 7 + 3 (mod 256).
inline std::vector<std::uint8_t> Ramp(std::size_t size) {
  std::vector<std::uint8_t> bytes(size);
  for (std::size_t i = 0; i < size; ++i) {
    bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
  }
  return bytes;
}

}  // namespace panelix::wav::test
