#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace panelix {

// Appends a value to a growing buffer in the given byte order.
void AppendBE16(std::vector<std::uint8_t>& out, std::uint32_t value);
void AppendBE24(std::vector<std::uint8_t>& out, std::uint32_t value);
void AppendBE32(std::vector<std::uint8_t>& out, std::uint32_t value);
void AppendLE16(std::vector<std::uint8_t>& out, std::uint32_t value);
void AppendLE32(std::vector<std::uint8_t>& out, std::uint32_t value);

// Reads a value from a buffer; the caller guarantees offset + width <= size.
std::uint32_t ReadBE16(std::span<const std::uint8_t> in, std::size_t offset);
std::uint32_t ReadBE24(std::span<const std::uint8_t> in, std::size_t offset);
std::uint32_t ReadBE32(std::span<const std::uint8_t> in, std::size_t offset);
std::uint32_t ReadLE16(std::span<const std::uint8_t> in, std::size_t offset);
std::uint32_t ReadLE32(std::span<const std::uint8_t> in, std::size_t offset);

// Writes into one fixed region of a larger buffer (a table of the info block, a register script).
// Offsets are relative to the region's start. Every write checks that it stays inside the region
// and throws std::out_of_range naming the region otherwise, so no table can spill into its
// neighbour. Values wider than the field are cut to the field's width.
class RegionWriter {
 public:
  RegionWriter(std::span<std::uint8_t> region, std::string name)
      : m_region(region), m_name(std::move(name)) {}

  void PutU8(std::size_t offset, std::uint32_t value);
  void PutBE16(std::size_t offset, std::uint32_t value);
  void PutBE24(std::size_t offset, std::uint32_t value);
  void PutBE32(std::size_t offset, std::uint32_t value);
  void PutLE16(std::size_t offset, std::uint32_t value);
  void PutBytes(std::size_t offset, std::span<const std::uint8_t> bytes);
  void Fill(std::size_t offset, std::size_t count, std::uint8_t value);

  std::size_t Size() const { return m_region.size(); }
  std::span<std::uint8_t> Bytes() const { return m_region; }
  // A writer over [offset, offset + size) of this region, checked the same way.
  RegionWriter Sub(std::size_t offset, std::size_t size, std::string name) const;

 private:
  void Check(std::size_t offset, std::size_t width) const;

  std::span<std::uint8_t> m_region;
  std::string m_name;
};

}  // namespace panelix
