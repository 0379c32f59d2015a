#include "cursor/drawing.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace panelix::cursor {

namespace {

void DrawLine(Cursor& cursor, Cell s, Cell e, std::uint8_t pen) {
  const int dx = std::abs(e.column - s.column);
  const int dy = std::abs(e.row - s.row);
  const int sx = e.column >= s.column ? 1 : -1;
  const int sy = e.row >= s.row ? 1 : -1;
  const bool xMajor = dx >= dy;
  const int major = xMajor ? dx : dy;
  const int minor = xMajor ? dy : dx;
  int x = s.column;
  int y = s.row;
  // Error in units of 1 / (2 * major): the minor coordinate moves once it is more than half a
  // cell off the ideal line.
  int error = 2 * minor - major;
  for (int i = 0; i < major; ++i) {
    cursor.Set(x, y, pen);
    if (error > 0) {
      (xMajor ? y : x) += xMajor ? sy : sx;
      error -= 2 * major;
    }
    error += 2 * minor;
    (xMajor ? x : y) += xMajor ? sx : sy;
  }
}

struct Box {
  int left;
  int top;
  int right;   // inclusive
  int bottom;  // inclusive
};

// Which cells of the box belong to the outline. It covers the whole box, which may reach past the
// grid; only what lies on the grid gets painted.
class Mask {
 public:
  explicit Mask(const Box& box) : m_box(box), m_width(box.right - box.left + 1) {
    m_bits.assign(static_cast<std::size_t>(m_width) * static_cast<std::size_t>(box.bottom - box.top + 1), 0);
  }
  void Mark(int x, int y) {
    if (x >= m_box.left && x <= m_box.right && y >= m_box.top && y <= m_box.bottom) {
      m_bits[Index(x, y)] = 1;
    }
  }
  bool Marked(int x, int y) const { return m_bits[Index(x, y)] != 0; }

 private:
  std::size_t Index(int x, int y) const {
    return static_cast<std::size_t>(y - m_box.top) * static_cast<std::size_t>(m_width) +
           static_cast<std::size_t>(x - m_box.left);
  }
  Box m_box;
  int m_width;
  std::vector<std::uint8_t> m_bits;
};

// The outline of the ellipse inscribed in the inclusive box, by the integer midpoint rule for a
// box of any size (the error terms track the ellipse equation scaled to whole numbers, so even
// and odd diameters both come out symmetric).
void EllipseOutline(const Box& box, Mask& mask) {
  long long x0 = box.left;
  long long x1 = box.right;
  long long y0 = box.top;
  long long y1 = box.bottom;
  long long a = x1 - x0;
  const long long b = y1 - y0;
  long long b1 = b & 1;
  long long dx = 4 * (1 - a) * b * b;
  long long dy = 4 * (b1 + 1) * a * a;
  long long err = dx + dy + b1 * a * a;
  y0 += (b + 1) / 2;
  y1 = y0 - b1;
  a *= 8 * a;
  b1 = 8 * b * b;
  auto mark = [&mask](long long x, long long y) { mask.Mark(static_cast<int>(x), static_cast<int>(y)); };
  do {
    mark(x1, y0);
    mark(x0, y0);
    mark(x0, y1);
    mark(x1, y1);
    const long long e2 = 2 * err;
    if (e2 <= dy) {
      ++y0;
      --y1;
      err += dy += a;
    }
    if (e2 >= dx || 2 * err > dy) {
      ++x0;
      --x1;
      err += dx += b1;
    }
  } while (x0 <= x1);
  // A very flat ellipse stops early; finish its tips.
  while (y0 - y1 <= b) {
    mark(x0 - 1, y0);
    mark(x1 + 1, y0++);
    mark(x0 - 1, y1);
    mark(x1 + 1, y1--);
  }
}

void RectangleOutline(const Box& box, Mask& mask) {
  for (int x = box.left; x <= box.right; ++x) {
    mask.Mark(x, box.top);
    mask.Mark(x, box.bottom);
  }
  for (int y = box.top; y <= box.bottom; ++y) {
    mask.Mark(box.left, y);
    mask.Mark(box.right, y);
  }
}

// Paints the outline in the pen code and clears the cells it encloses (those between the first and
// last outline cell of each row) to code 2.
void PaintClosedFigure(Cursor& cursor, const Box& box, const Mask& mask, std::uint8_t pen) {
  for (int y = box.top; y <= box.bottom; ++y) {
    int first = box.right + 1;
    int last = box.left - 1;
    for (int x = box.left; x <= box.right; ++x) {
      if (mask.Marked(x, y)) {
        first = std::min(first, x);
        last = std::max(last, x);
      }
    }
    for (int x = first; x <= last; ++x) {
      cursor.Set(x, y, mask.Marked(x, y) ? pen : kClearCode);
    }
  }
}

constexpr int kFarthestCell = 1024;

Cell Bounded(Cell cell) {
  return {std::clamp(cell.column, -kFarthestCell, kFarthestCell),
          std::clamp(cell.row, -kFarthestCell, kFarthestCell)};
}

}  // namespace

Cell CellAt(int x, int y) {
  return {x / kCellPitch, y / kCellPitch};
}

void DrawFigure(Cursor& cursor, Tool tool, Cell start, Cell end, std::uint8_t pen) {
  // A drag can leave the window by a screen's width at most; cells beyond this bound cannot come
  // from the mouse, and bounding them keeps the arithmetic and the figure's mask small.
  start = Bounded(start);
  end = Bounded(end);
  switch (tool) {
    case Tool::Dot:
      cursor.Set(start.column, start.row, pen);
      return;
    case Tool::Line:
      DrawLine(cursor, start, end, pen);
      return;
    case Tool::Circle:
    case Tool::Rectangle:
      break;
  }
  const Box box{std::min(start.column, end.column), std::min(start.row, end.row),
                std::max(start.column, end.column) - 1, std::max(start.row, end.row) - 1};
  if (box.right < box.left || box.bottom < box.top) {
    return;
  }
  Mask mask(box);
  if (tool == Tool::Rectangle) {
    RectangleOutline(box, mask);
  } else {
    EllipseOutline(box, mask);
  }
  PaintClosedFigure(cursor, box, mask, pen);
}

}  // namespace panelix::cursor
