#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace panelix::cursor {

// The module's graphic cursor: 32 x 32 cells of a 2-bit code each. Cell (column, row) with
// (0, 0) at the top left.
//   0 - colour 0, 1 - colour 1, 2 - "black" (transparent on the module), 3 - inverted black.
inline constexpr int kCursorSize = 32;
inline constexpr std::size_t kCursorFileSize = 256;
inline constexpr std::uint8_t kClearCode = 2;

using CursorBytes = std::array<std::uint8_t, kCursorFileSize>;

class Cursor {
 public:
  // A cleared cursor: every cell code 2.
  Cursor() { m_cells.fill(kClearCode); }

  std::uint8_t At(int column, int row) const { return m_cells[Index(column, row)]; }
  // Sets one cell to code & 3. Cells outside 0..31 are clipped: the call does nothing.
  void Set(int column, int row, std::uint8_t code);
  void Clear() { m_cells.fill(kClearCode); }

  static bool Inside(int column, int row) {
    return column >= 0 && column < kCursorSize && row >= 0 && row < kCursorSize;
  }

  friend bool operator==(const Cursor&, const Cursor&) = default;

 private:
  static std::size_t Index(int column, int row) {
    return static_cast<std::size_t>(row) * kCursorSize + static_cast<std::size_t>(column);
  }
  std::array<std::uint8_t, kCursorSize * kCursorSize> m_cells{};
};

// The cursor file: byte 8r + k holds the cells of row r at columns 4k..4k+3, the leftmost in
// bits 7-6 down to the rightmost in bits 1-0. No header.
CursorBytes PackCursor(const Cursor& cursor);
Cursor UnpackCursor(const CursorBytes& bytes);

// Writes the 256-byte cursor file, replacing any file of that name whole. Throws panelix::Error
// "Can't open " + path when the file cannot be written.
void WriteCursorFile(const std::string& path, const CursorBytes& bytes);

}  // namespace panelix::cursor
