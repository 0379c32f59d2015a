#include "cursor/cursor.h"

#include <gtest/gtest.h>

#include "base/error.h"
#include "cursor/cursor_text.h"
#include "support/cli_runner.h"

namespace panelix::cursor {
namespace {

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) {
    text += line + "\n";
  }
  return text;
}

TEST(CursorFile, ClearedCursorIsAllAAInBytesAndText) {
  const CursorBytes bytes = PackCursor(Cursor());
  for (auto b : bytes) {
    ASSERT_EQ(b, 0xAA);
  }
  std::string entry16;
  for (int i = 0; i < 16; ++i) {
    entry16 += "0xAA,";
  }
  const auto lines = CursorTextLines(bytes);
  ASSERT_EQ(lines.size(), 16U);
  for (const auto& line : lines) {
    EXPECT_EQ(line, entry16);
  }
}

TEST(CursorFile, PacksLeftmostCellIntoTheHighBitsRowByRow) {
  Cursor cursor;
  cursor.Set(0, 0, 0);    // byte 0: 00 10 10 10
  cursor.Set(7, 0, 3);    // byte 1: 10 10 10 11
  cursor.Set(29, 1, 1);   // byte 15: 10 01 10 10
  cursor.Set(31, 31, 0);  // byte 255: 10 10 10 00
  cursor.Set(32, 0, 0);   // clipped
  cursor.Set(-1, 5, 0);   // clipped
  const CursorBytes bytes = PackCursor(cursor);
  EXPECT_EQ(bytes[0], 0x2A);
  EXPECT_EQ(bytes[1], 0xAB);
  EXPECT_EQ(bytes[15], 0x9A);
  EXPECT_EQ(bytes[255], 0xA8);
  int changed = 0;
  for (auto b : bytes) {
    changed += b != 0xAA;
  }
  EXPECT_EQ(changed, 4);
  EXPECT_EQ(CursorTextLines(bytes)[0].substr(0, 10), "0x2A,0xAB,");
  EXPECT_EQ(UnpackCursor(bytes), cursor);
}

TEST(CursorText, ExportThenImportRestoresTheCursor) {
  Cursor cursor;
  for (int i = 0; i < 32; ++i) {
    cursor.Set(i, i, static_cast<std::uint8_t>(i % 4));
    cursor.Set(31 - i, i, static_cast<std::uint8_t>((i + 1) % 4));
  }
  const CursorBytes bytes = PackCursor(cursor);
  EXPECT_EQ(UnpackCursor(ImportCursorText(Joined(CursorTextLines(bytes)))), cursor);
  // The memo's CR LF line breaks read the same.
  std::string crlf;
  for (const auto& line : CursorTextLines(bytes)) {
    crlf += line + "\r\n";
  }
  EXPECT_EQ(ImportCursorText(crlf), bytes);
}

TEST(CursorText, ImportReadsHexPairsAfterEveryX) {
  struct Case {
    const char* text;
    std::vector<std::uint8_t> first;  // leading bytes expected; the rest must be 0
  };
  const Case cases[] = {
      {"0x12", {0x12}},
      {"", {}},
      {"no marks at all", {}},
      {"X3f x4G", {0x3F, 0x40}},    // upper-case X, lower-case digits, non-hex counts 0
      {"0x1\n0x2", {0x10, 0x20}},   // a pair cut by the line end: the missing digit is 0
      {"0x\r\nxAB", {0x00, 0xAB}},  // CR is not a digit
      {"xx12", {0x01}},             // the pair is read whole, reading goes on after it
      {"0x12,0x34 0xzz,x", {0x12, 0x34, 0x00, 0x00}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const CursorBytes bytes = ImportCursorText(std::string_view(c.text));
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      const std::uint8_t expected = i < c.first.size() ? c.first[i] : 0;
      ASSERT_EQ(bytes[i], expected) << "byte " << i;
    }
  }
  // Cells 0..3 of row 0 get codes 0, 1, 0, 2 from 0x12; every other cell code 0.
  const Cursor cursor = UnpackCursor(ImportCursorText(std::string_view("0x12")));
  EXPECT_EQ(cursor.At(0, 0), 0);
  EXPECT_EQ(cursor.At(1, 0), 1);
  EXPECT_EQ(cursor.At(2, 0), 0);
  EXPECT_EQ(cursor.At(3, 0), 2);
  EXPECT_EQ(cursor.At(4, 0), 0);
  EXPECT_EQ(cursor.At(31, 31), 0);
}

TEST(CursorText, ImportStopsAt256BytesAndTreatsWideCharactersAsNonDigits) {
  std::string text;
  for (int i = 0; i < 300; ++i) {
    text += i < 256 ? "0x01," : "0xFF,";
  }
  const CursorBytes bytes = ImportCursorText(text);
  for (auto b : bytes) {
    ASSERT_EQ(b, 0x01);
  }
  // One character, not its UTF-8 bytes, fills each half of a pair.
  EXPECT_EQ(ImportCursorText(std::string_view("x\xE4\xB8\xAD"
                                              "1x22"))[0],
            0x01);
  EXPECT_EQ(ImportCursorText(std::string_view("x\xE4\xB8\xAD"
                                              "1x22"))[1],
            0x22);
}

TEST(CursorFile, WritingReplacesALongerFileAndReportsAFolderItCannotWrite) {
  test::TempDir dir;
  const auto path = (dir / "Cursor-a.bin").string();
  test::WriteBytes(path, std::vector<std::uint8_t>(1000, 0x55));
  WriteCursorFile(path, PackCursor(Cursor()));
  EXPECT_EQ(test::ReadBytes(path), std::vector<std::uint8_t>(256, 0xAA));
  const auto bad = (dir / "missing" / "Cursor-b.bin").string();
  try {
    WriteCursorFile(bad, PackCursor(Cursor()));
    ADD_FAILURE() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()), "Can't open " + bad);
  }
}

}  // namespace
}  // namespace panelix::cursor
