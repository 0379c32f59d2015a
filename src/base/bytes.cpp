#include "base/bytes.h"

#include <algorithm>
#include <stdexcept>

namespace panelix {

namespace {
std::uint8_t Byte(std::uint32_t value, int shift) {
  return static_cast<std::uint8_t>((value >> shift) & 0xFFU);
}
}  // namespace

void AppendBE16(std::vector<std::uint8_t>& out, std::uint32_t value) {
  out.insert(out.end(), {Byte(value, 8), Byte(value, 0)});
}
void AppendBE24(std::vector<std::uint8_t>& out, std::uint32_t value) {
  out.insert(out.end(), {Byte(value, 16), Byte(value, 8), Byte(value, 0)});
}
void AppendBE32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  out.insert(out.end(), {Byte(value, 24), Byte(value, 16), Byte(value, 8), Byte(value, 0)});
}
void AppendLE16(std::vector<std::uint8_t>& out, std::uint32_t value) {
  out.insert(out.end(), {Byte(value, 0), Byte(value, 8)});
}
void AppendLE32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  out.insert(out.end(), {Byte(value, 0), Byte(value, 8), Byte(value, 16), Byte(value, 24)});
}

std::uint32_t ReadBE16(std::span<const std::uint8_t> in, std::size_t offset) {
  return (std::uint32_t{in[offset]} << 8) | in[offset + 1];
}
std::uint32_t ReadBE24(std::span<const std::uint8_t> in, std::size_t offset) {
  return (std::uint32_t{in[offset]} << 16) | (std::uint32_t{in[offset + 1]} << 8) | in[offset + 2];
}
std::uint32_t ReadBE32(std::span<const std::uint8_t> in, std::size_t offset) {
  return (std::uint32_t{in[offset]} << 24) | (std::uint32_t{in[offset + 1]} << 16) |
         (std::uint32_t{in[offset + 2]} << 8) | in[offset + 3];
}
std::uint32_t ReadLE16(std::span<const std::uint8_t> in, std::size_t offset) {
  return (std::uint32_t{in[offset + 1]} << 8) | in[offset];
}
std::uint32_t ReadLE32(std::span<const std::uint8_t> in, std::size_t offset) {
  return (std::uint32_t{in[offset + 3]} << 24) | (std::uint32_t{in[offset + 2]} << 16) |
         (std::uint32_t{in[offset + 1]} << 8) | in[offset];
}

void RegionWriter::Check(std::size_t offset, std::size_t width) const {
  if (offset > m_region.size() || width > m_region.size() - offset) {
    throw std::out_of_range("write of " + std::to_string(width) + " bytes at offset " +
                            std::to_string(offset) + " passes the end of " + m_name + " (" +
                            std::to_string(m_region.size()) + " bytes)");
  }
}

void RegionWriter::PutU8(std::size_t offset, std::uint32_t value) {
  Check(offset, 1);
  m_region[offset] = Byte(value, 0);
}
void RegionWriter::PutBE16(std::size_t offset, std::uint32_t value) {
  Check(offset, 2);
  m_region[offset] = Byte(value, 8);
  m_region[offset + 1] = Byte(value, 0);
}
void RegionWriter::PutBE24(std::size_t offset, std::uint32_t value) {
  Check(offset, 3);
  m_region[offset] = Byte(value, 16);
  m_region[offset + 1] = Byte(value, 8);
  m_region[offset + 2] = Byte(value, 0);
}
void RegionWriter::PutBE32(std::size_t offset, std::uint32_t value) {
  Check(offset, 4);
  m_region[offset] = Byte(value, 24);
  m_region[offset + 1] = Byte(value, 16);
  m_region[offset + 2] = Byte(value, 8);
  m_region[offset + 3] = Byte(value, 0);
}
void RegionWriter::PutLE16(std::size_t offset, std::uint32_t value) {
  Check(offset, 2);
  m_region[offset] = Byte(value, 0);
  m_region[offset + 1] = Byte(value, 8);
}
void RegionWriter::PutBytes(std::size_t offset, std::span<const std::uint8_t> bytes) {
  Check(offset, bytes.size());
  std::copy(bytes.begin(), bytes.end(), m_region.begin() + static_cast<std::ptrdiff_t>(offset));
}
void RegionWriter::Fill(std::size_t offset, std::size_t count, std::uint8_t value) {
  Check(offset, count);
  std::fill_n(m_region.begin() + static_cast<std::ptrdiff_t>(offset), count, value);
}
RegionWriter RegionWriter::Sub(std::size_t offset, std::size_t size, std::string name) const {
  Check(offset, size);
  return RegionWriter(m_region.subspan(offset, size), std::move(name));
}

}  // namespace panelix
