#include "font/glyph_cell.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace panelix::font {
namespace {

// A cell from rows of characters: '#' black, '.' white, a digit d the gray level d * 25.
GlyphCell Draw(const std::vector<std::string>& rows) {
  GlyphCell cell(static_cast<int>(rows.empty() ? 0 : rows[0].size()), static_cast<int>(rows.size()));
  for (int y = 0; y < cell.height; ++y) {
    for (int x = 0; x < cell.width; ++x) {
      const char c = rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)];
      cell.At(x, y) = c == '#'   ? 0u
                      : c == '.' ? kWhite
                                 : static_cast<std::uint32_t>((c - '0') * 25) * 0x010101u;
    }
  }
  return cell;
}

std::vector<std::string> Rows(const GlyphCell& cell) {
  std::vector<std::string> rows;
  for (int y = 0; y < cell.height; ++y) {
    std::string row;
    for (int x = 0; x < cell.width; ++x) {
      row += cell.At(x, y) == kWhite ? '.' : '#';
    }
    rows.push_back(row);
  }
  return rows;
}

TEST(GrayCell, UsesSinglePrecisionWeightsAndKeepsGrayLevels) {
  struct Case {
    std::uint32_t pixel;
    std::uint32_t level;
  };
  const Case cases[] = {
      {0xFFFFFF, 0xFF},                    // white stays white
      {0x000000, 0x00}, {0x808080, 0x80},  // a gray pixel keeps its level although the weights add up above 1
      {0xFEFEFE, 0xFE}, {0x010101, 0x01}, {0xFF0000, 76},  // 255 * 0.299f = 76.24...
      {0x00FF00, 149},                                     // 255 * 0.587f = 149.68...
      {0x0000FF, 29},                                      // 255 * 0.114f = 29.07...
      {0xFFFFFE, 254},                                     // not pure white: 254.88... truncated
      {0x6496C8, 140},  // 100 * 0.299f + 150 * 0.587f + 200 * 0.114f = 140.75...
  };
  for (const Case& c : cases) {
    GlyphCell cell(1, 1, c.pixel);
    GrayCell(cell);
    EXPECT_EQ(cell.At(0, 0), c.level * 0x010101u) << std::hex << c.pixel;
  }
}

TEST(GrayCell, EveryGrayLevelIsKept) {
  // With the decimal weights in double precision 65 levels (1, 2, 4, 8, ...) would drop by one;
  // with every step in single precision 13 would (37, 61, ...).
  GlyphCell cell(255, 1);
  for (int x = 0; x < 255; ++x) {
    cell.At(x, 0) = static_cast<std::uint32_t>(x) * 0x010101u;
  }
  GrayCell(cell);
  for (int x = 0; x < 255; ++x) {
    EXPECT_EQ(Level(cell.At(x, 0)), x);
  }
}

TEST(PackGlyph, RowsOfWholeBytesLeftmostInTheHighBit) {
  // 12 columns: only columns 0..7 are stored, one byte per row.
  const GlyphCell cell = Draw({
      "#.......####",
      ".......#....",
      "##..##..####",
  });
  EXPECT_EQ(GlyphBytes(cell), 3u);
  EXPECT_EQ(PackGlyph(cell, 200), (std::vector<std::uint8_t>{0x80, 0x01, 0xCC}));
  // Below 8 columns there is nothing to store.
  EXPECT_TRUE(PackGlyph(Draw({"#######", "#######"}), 200).empty());
  EXPECT_EQ(GlyphBytes(0, 16), 0u);
  EXPECT_EQ(GlyphBytes(16, 0), 0u);
}

TEST(PackGlyph, LimitDecidesInkAndEqualLevelIsBackground) {
  // Levels 0, 100 (4 * 25), 200 (8 * 25), white, then four more.
  const GlyphCell cell = Draw({"#48.#48."});
  struct Case {
    int limit;
    std::uint8_t byte;
  };
  const Case cases[] = {
      {0, 0x00},                                           // no bit at all
      {100, 0x88},                                         // level 100 equals the limit: stored as 0
      {101, 0xCC}, {200, 0xCC}, {201, 0xEE}, {255, 0xEE},  // every pixel that is not pure white
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PackGlyph(cell, c.limit), std::vector<std::uint8_t>{c.byte}) << "limit " << c.limit;
  }
}

TEST(RotateCell, QuarterTurnsSwapTheSides) {
  const GlyphCell cell = Draw({
      "#..",
      "##.",
  });
  EXPECT_EQ(Rows(RotateCell(cell, Rotation::Right90)), (std::vector<std::string>{"##", "#.", ".."}));
  EXPECT_EQ(Rows(RotateCell(cell, Rotation::Left90)), (std::vector<std::string>{"..", ".#", "##"}));
  EXPECT_EQ(Rows(RotateCell(cell, Rotation::None)), Rows(cell));
}

TEST(RotateCell, RightTurnOf16By24StoresTheLeftColumnBottomToTop) {
  GlyphCell cell(16, 24);
  // Ink in the leftmost column at rows 23 (bottom) and 20.
  cell.At(0, 23) = 0;
  cell.At(0, 20) = 0;
  const GlyphCell turned = RotateCell(cell, Rotation::Right90);
  ASSERT_EQ(turned.width, 24);
  ASSERT_EQ(turned.height, 16);
  const std::vector<std::uint8_t> packed = PackGlyph(turned, 200);
  ASSERT_EQ(packed.size(), 48u);
  EXPECT_EQ(packed[0], 0x90);  // first stored row: bottom pixel first
  EXPECT_EQ(packed[1], 0x00);
}

TEST(MirrorCell, OddMiddleStaysAndMirrorsAct) {
  GlyphCell cell = Draw({
      "#.#..",
      "..#.#",
      ".#...",
  });
  MirrorCell(cell, true, false);
  EXPECT_EQ(Rows(cell), (std::vector<std::string>{"..#.#", "#.#..", "...#."}));
  MirrorCell(cell, false, true);
  EXPECT_EQ(Rows(cell), (std::vector<std::string>{"...#.", "#.#..", "..#.#"}));
}

TEST(MakePreview, GridsOfThreeByThreeSquares) {
  const GlyphCell cell = Draw({"#8", ".4"});  // levels 0, 200 / white, 100
  const Preview preview = MakePreview(cell, 200);
  ASSERT_EQ(preview.gray.width, 9);
  ASSERT_EQ(preview.gray.height, 9);
  auto at = [](const PreviewImage& image, int x, int y) {
    return image.pixels[static_cast<std::size_t>(y * image.width + x)];
  };
  EXPECT_EQ(at(preview.gray, 0, 0), 0x777777u);
  EXPECT_EQ(at(preview.gray, 4, 2), 0x777777u);  // grid line between the squares
  EXPECT_EQ(at(preview.gray, 1, 1), 0x000000u);
  EXPECT_EQ(at(preview.gray, 7, 3), 0xC8C8C8u);
  EXPECT_EQ(at(preview.gray, 5, 7), 0x646464u);
  // Level 200 with limit 200 shows black here although it packs as 0.
  EXPECT_EQ(at(preview.threshold, 6, 2), 0x000000u);
  EXPECT_EQ(at(preview.threshold, 1, 5), 0xFFFFFFu);
  EXPECT_EQ(at(preview.threshold, 8, 8), 0x777777u);
}

}  // namespace
}  // namespace panelix::font
