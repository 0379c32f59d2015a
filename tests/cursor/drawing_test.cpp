#include "cursor/drawing.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace panelix::cursor {
namespace {

// The cursor as rows of digits, one per cell, for the part of the grid a test looks at.
std::vector<std::string> Rows(const Cursor& cursor, int columns, int rows) {
  std::vector<std::string> out;
  for (int r = 0; r < rows; ++r) {
    std::string line;
    for (int c = 0; c < columns; ++c) {
      line += static_cast<char>('0' + cursor.At(c, r));
    }
    out.push_back(line);
  }
  return out;
}

Cursor Filled(std::uint8_t code) {
  Cursor cursor;
  for (int r = 0; r < kCursorSize; ++r) {
    for (int c = 0; c < kCursorSize; ++c) {
      cursor.Set(c, r, code);
    }
  }
  return cursor;
}

std::set<std::pair<int, int>> CellsWith(const Cursor& cursor, std::uint8_t code) {
  std::set<std::pair<int, int>> cells;
  for (int r = 0; r < kCursorSize; ++r) {
    for (int c = 0; c < kCursorSize; ++c) {
      if (cursor.At(c, r) == code) {
        cells.insert({c, r});
      }
    }
  }
  return cells;
}

TEST(CursorGrid, MousePositionsAddressCellsRightAndBelowOfGridLines) {
  EXPECT_EQ(CellAt(0, 0), (Cell{0, 0}));
  EXPECT_EQ(CellAt(8, 17), (Cell{0, 1}));
  EXPECT_EQ(CellAt(9, 18), (Cell{1, 2}));
  EXPECT_EQ(CellAt(288, 288), (Cell{32, 32}));
  EXPECT_EQ(CellAt(-8, -9), (Cell{0, -1}));  // truncation toward zero
}

TEST(CursorDrawing, RectangleBorderTakesThePenAndItsInsideIsCleared) {
  Cursor cursor = Filled(1);
  DrawFigure(cursor, Tool::Rectangle, {2, 2}, {5, 5}, 0);
  const std::vector<std::string> expected{"1111111",  //
                                          "1111111",  //
                                          "1100011",  //
                                          "1102011",  //
                                          "1100011",  //
                                          "1111111"};
  EXPECT_EQ(Rows(cursor, 7, 6), expected);
  // Dragged the other way round, the same box.
  Cursor reverse = Filled(1);
  DrawFigure(reverse, Tool::Rectangle, {5, 5}, {2, 2}, 0);
  EXPECT_EQ(reverse, cursor);
  // A box of no width paints nothing.
  Cursor flat = Filled(1);
  DrawFigure(flat, Tool::Rectangle, {3, 1}, {3, 9}, 0);
  EXPECT_EQ(flat, Filled(1));
}

TEST(CursorDrawing, FiguresAreClippedAtTheGridEdges) {
  Cursor cursor = Filled(1);
  DrawFigure(cursor, Tool::Rectangle, {-3, 29}, {2, 40}, 3);
  // Columns -3..1, rows 29..39: the right border is column 1, the top border row 29.
  EXPECT_EQ(cursor.At(0, 29), 3);
  EXPECT_EQ(cursor.At(1, 31), 3);
  EXPECT_EQ(cursor.At(0, 30), 2);
  EXPECT_EQ(cursor.At(2, 30), 1);
  Cursor line = Filled(1);
  DrawFigure(line, Tool::Line, {-5, 3}, {40, 3}, 0);
  for (int c = 0; c < kCursorSize; ++c) {
    EXPECT_EQ(line.At(c, 3), 0) << c;
  }
  EXPECT_EQ(CellsWith(line, 0).size(), 32U);
}

TEST(CursorDrawing, LinesLeaveOutTheirEndCell) {
  struct Case {
    Cell s;
    Cell e;
    std::set<std::pair<int, int>> painted;
  };
  const Case cases[] = {
      {{4, 4}, {4, 4}, {}},
      {{1, 2}, {5, 2}, {{1, 2}, {2, 2}, {3, 2}, {4, 2}}},
      {{5, 2}, {1, 2}, {{5, 2}, {4, 2}, {3, 2}, {2, 2}}},
      {{3, 6}, {3, 3}, {{3, 6}, {3, 5}, {3, 4}}},
      {{0, 0}, {3, 3}, {{0, 0}, {1, 1}, {2, 2}}},
      {{3, 0}, {0, 3}, {{3, 0}, {2, 1}, {1, 2}}},
      // Slanted: an exact half keeps the minor coordinate.
      {{0, 0}, {4, 2}, {{0, 0}, {1, 0}, {2, 1}, {3, 1}}},
      {{0, 0}, {2, 5}, {{0, 0}, {0, 1}, {1, 2}, {1, 3}, {2, 4}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.s.column << "," << c.s.row << " -> " << c.e.column << ","
                                    << c.e.row);
    Cursor cursor = Filled(1);
    DrawFigure(cursor, Tool::Line, c.s, c.e, 3);
    EXPECT_EQ(CellsWith(cursor, 3), c.painted);
  }
}

TEST(CursorDrawing, EllipseStaysInItsBoxIsSymmetricAndClearsItsInside) {
  const std::pair<Cell, Cell> boxes[] = {
      {{0, 0}, {8, 6}}, {{10, 3}, {21, 14}}, {{4, 4}, {5, 5}}, {{2, 20}, {30, 23}}, {{6, 0}, {7, 32}}};
  for (const auto& [s, e] : boxes) {
    SCOPED_TRACE(testing::Message() << s.column << "," << s.row << " -> " << e.column << "," << e.row);
    Cursor cursor = Filled(1);
    DrawFigure(cursor, Tool::Circle, s, e, 3);
    const auto outline = CellsWith(cursor, 3);
    const auto inside = CellsWith(cursor, 2);
    const int left = s.column;
    const int right = e.column - 1;
    const int top = s.row;
    const int bottom = e.row - 1;
    bool touchesLeft = false;
    bool touchesTop = false;
    for (auto [c, r] : outline) {
      ASSERT_TRUE(c >= left && c <= right && r >= top && r <= bottom) << c << "," << r;
      EXPECT_TRUE(outline.count({left + right - c, r})) << "mirror of " << c << "," << r;
      EXPECT_TRUE(outline.count({c, top + bottom - r})) << "mirror of " << c << "," << r;
      touchesLeft |= c == left;
      touchesTop |= r == top;
    }
    EXPECT_TRUE(touchesLeft);
    EXPECT_TRUE(touchesTop);
    for (auto [c, r] : inside) {
      EXPECT_TRUE(c > left && c < right && r > top && r < bottom) << c << "," << r;
    }
  }
  // A box of 8 x 6 has an inside, the corners stay as they were.
  Cursor cursor = Filled(1);
  DrawFigure(cursor, Tool::Circle, {0, 0}, {8, 6}, 3);
  EXPECT_EQ(cursor.At(3, 3), 2);
  EXPECT_EQ(cursor.At(0, 0), 1);
  EXPECT_EQ(cursor.At(7, 5), 1);
  EXPECT_EQ(cursor.At(8, 3), 1);
}

TEST(CursorDrawing, DotPaintsTheStartCellOnly) {
  Cursor cursor;
  DrawFigure(cursor, Tool::Dot, {31, 0}, {3, 3}, 1);
  DrawFigure(cursor, Tool::Dot, {32, 0}, {32, 0}, 1);
  EXPECT_EQ(CellsWith(cursor, 1), (std::set<std::pair<int, int>>{{31, 0}}));
}

}  // namespace
}  // namespace panelix::cursor
