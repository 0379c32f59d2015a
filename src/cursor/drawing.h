#pragma once

#include <cstdint>

#include "cursor/cursor.h"

namespace panelix::cursor {

enum class Tool { Dot, Line, Circle, Rectangle };

struct Cell {
  int column = 0;
  int row = 0;
  friend bool operator==(const Cell&, const Cell&) = default;
};

// Grid display: 32 cells of 8 x 8 pixels with one-pixel grid lines between and around them.
inline constexpr int kCellPitch = 9;
inline constexpr int kGridPixels = kCursorSize * kCellPitch + 1;  // 289

// The cell under a mouse position on the grid: (X div 9, Y div 9), truncating toward zero, so a
// position on a grid line belongs to the cell to its right or below. Positions off the grid give
// cells outside 0..31.
Cell CellAt(int x, int y);

// Draws one figure from start to end in the pen code; cells outside 0..31 are clipped.
//   Dot       - the start cell.
//   Line      - the cells of the straight line from start to end, the end cell itself excluded
//               (a line from a cell to itself paints nothing). Bresenham's integer rule: the
//               major axis steps every cell; the minor axis steps when the accumulated error
//               passes one half, so an exact half keeps the minor coordinate.
//   Rectangle - the box of columns min..max-1 and rows min..max-1: its border in the pen code,
//               its inside cleared to code 2. An empty box paints nothing.
//   Circle    - the ellipse inscribed in the same box, drawn with the integer midpoint rule for an
//               ellipse in a box of any even or odd size: its outline in the pen code, its inside
//               cleared to code 2. Every cell lies inside the box.
void DrawFigure(Cursor& cursor, Tool tool, Cell start, Cell end, std::uint8_t pen);

}  // namespace panelix::cursor
