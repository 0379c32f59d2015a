#include "cursor/cursor.h"

#include "base/files.h"

namespace panelix::cursor {

void Cursor::Set(int column, int row, std::uint8_t code) {
  if (Inside(column, row)) {
    m_cells[Index(column, row)] = code & 3U;
  }
}

CursorBytes PackCursor(const Cursor& cursor) {
  CursorBytes bytes{};
  for (int row = 0; row < kCursorSize; ++row) {
    for (int k = 0; k < kCursorSize / 4; ++k) {
      unsigned value = 0;
      for (int i = 0; i < 4; ++i) {
        value = (value << 2) | cursor.At(4 * k + i, row);
      }
      bytes[static_cast<std::size_t>(8 * row + k)] = static_cast<std::uint8_t>(value);
    }
  }
  return bytes;
}

Cursor UnpackCursor(const CursorBytes& bytes) {
  Cursor cursor;
  for (int row = 0; row < kCursorSize; ++row) {
    for (int k = 0; k < kCursorSize / 4; ++k) {
      const unsigned value = bytes[static_cast<std::size_t>(8 * row + k)];
      for (int i = 0; i < 4; ++i) {
        cursor.Set(4 * k + i, row, static_cast<std::uint8_t>((value >> (6 - 2 * i)) & 3U));
      }
    }
  }
  return cursor;
}

void WriteCursorFile(const std::string& path, const CursorBytes& bytes) {
  WriteFileReplacing(path, std::span<const std::uint8_t>(bytes), CantOpenMessage(path));
}

}  // namespace panelix::cursor
