#include <gtest/gtest.h>

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

// The window tests use the temporary folders of the CLI helpers but never run the CLI.
#ifndef PANELIX_CLI
#define PANELIX_CLI "panelix"
#endif
#include "support/cli_runner.h"
#include "support/find_child.h"
#include "support/scripted_dialogs.h"
#include "ui/cursor_window.h"

namespace panelix {
namespace {

using cursor::Cursor;

// The middle of cell (c, r) on the grid.
QPoint CellPoint(int c, int r) {
  return {9 * c + 4, 9 * r + 4};
}

class CursorWindowTest : public ::testing::Test {
 protected:
  CursorWindowTest() : window(dialogs) { window.show(); }

  template <typename T>
  T* Find(const char* name) {
    return test::FindChild<T>(window, name);
  }
  QWidget* Grid() { return Find<QWidget>("Image1"); }
  void Click(const char* name) { QTest::mouseClick(Find<QWidget>(name), Qt::LeftButton); }
  void Drag(QPoint from, std::vector<QPoint> through, QPoint to, Qt::MouseButton button = Qt::LeftButton) {
    QTest::mousePress(Grid(), button, {}, from);
    for (const QPoint& p : through) {
      QTest::mouseMove(Grid(), p);
    }
    QTest::mouseMove(Grid(), to);
    QTest::mouseRelease(Grid(), button, {}, to);
  }
  void ExportTo(const std::filesystem::path& path) {
    dialogs.saveAnswers.push_back(QString::fromStdString(path.string()));
    Click("Button1");
  }

  test::ScriptedDialogs dialogs;
  ui::TForm3 window;
};

TEST_F(CursorWindowTest, StartsClearedWithTheDotAndTheRedPen) {
  EXPECT_EQ(window.windowTitle(), QStringLiteral("Cursor tool"));
  EXPECT_EQ(window.size(), QSize(676, 584));
  EXPECT_EQ(Grid()->size(), QSize(289, 289));
  EXPECT_EQ(window.CursorCells(), Cursor());
  EXPECT_EQ(window.CurrentTool(), cursor::Tool::Dot);
  EXPECT_EQ(window.PenCode(), 0);
  EXPECT_TRUE(Find<QPlainTextEdit>("Memo1")->toPlainText().isEmpty());
  EXPECT_EQ(Find<QLabel>("Panel5")->palette().color(QPalette::Window), QColor(255, 0, 0));
  EXPECT_EQ(Find<QLabel>("Image6")->pixmap().toImage(), Find<QLabel>("Image5")->pixmap().toImage());
  const std::pair<const char*, const char*> captions[] = {
      {"Button1", "Export"}, {"Button2", "Import"}, {"Button3", "Clear"}, {"Button4", "Close"}};
  for (const auto& [name, caption] : captions) {
    EXPECT_EQ(Find<QPushButton>(name)->text(), QString::fromLatin1(caption));
  }
  // Grid lines gray, cells in their colour.
  const QImage shown = Grid()->grab().toImage();
  EXPECT_EQ(shown.pixelColor(0, 0), QColor(119, 119, 119));
  EXPECT_EQ(shown.pixelColor(9 * 5, 20), QColor(119, 119, 119));
  EXPECT_EQ(shown.pixelColor(1, 1), QColor(255, 255, 255));
  EXPECT_EQ(shown.pixelColor(288, 288), QColor(119, 119, 119));
}

TEST_F(CursorWindowTest, DotPaintsThePressedCellOnly) {
  Click("Panel2");
  EXPECT_EQ(Find<QLabel>("Panel5")->palette().color(QPalette::Window), QColor(0, 128, 128));
  Drag(CellPoint(3, 5), {CellPoint(4, 5), CellPoint(9, 9)}, CellPoint(9, 9));
  // A position on a grid line belongs to the cell to its right or below.
  QTest::mouseClick(Grid(), Qt::RightButton, {}, QPoint(18, 27));
  Cursor expected;
  expected.Set(3, 5, 1);
  expected.Set(2, 3, 1);
  EXPECT_EQ(window.CursorCells(), expected);
  const QImage shown = Grid()->grab().toImage();
  EXPECT_EQ(shown.pixelColor(CellPoint(3, 5)), QColor(0, 128, 128));
  EXPECT_EQ(shown.pixelColor(9 * 3 + 1, 9 * 5 + 8), QColor(0, 128, 128));
  EXPECT_EQ(shown.pixelColor(9 * 3, 9 * 5 + 4), QColor(119, 119, 119));
}

TEST_F(CursorWindowTest, RectangleDragRestoresWhatItCoveredOnTheWay) {
  Click("Panel4");
  QTest::mouseClick(Grid(), Qt::LeftButton, {}, CellPoint(6, 6));  // a dot of code 3
  Click("Panel1");
  Click("Image2");
  EXPECT_EQ(window.CurrentTool(), cursor::Tool::Rectangle);
  EXPECT_EQ(Find<QLabel>("Image6")->pixmap().toImage(), Find<QLabel>("Image2")->pixmap().toImage());
  // Through a box that would clear the dot, back to the box of columns and rows 2..4.
  Drag(CellPoint(2, 2), {CellPoint(9, 9), CellPoint(12, 3)}, CellPoint(5, 5));
  Cursor expected;
  for (int i = 2; i <= 4; ++i) {
    expected.Set(i, 2, 0);
    expected.Set(i, 4, 0);
    expected.Set(2, i, 0);
    expected.Set(4, i, 0);
  }
  expected.Set(6, 6, 3);
  EXPECT_EQ(window.CursorCells(), expected);
  // A move after the release draws nothing.
  QTest::mouseMove(Grid(), CellPoint(20, 20));
  EXPECT_EQ(window.CursorCells(), expected);
}

TEST_F(CursorWindowTest, LineAndCircleFollowTheMouse) {
  Click("Image4");
  Drag(CellPoint(1, 10), {CellPoint(30, 30)}, CellPoint(6, 10));
  Cursor line;
  for (int c = 1; c <= 5; ++c) {
    line.Set(c, 10, 0);
  }
  EXPECT_EQ(window.CursorCells(), line);
  // A drag that leaves the grid is clipped.
  Click("Button3");
  Drag(CellPoint(28, 0), {}, QPoint(400, 4));
  Cursor clipped;
  for (int c = 28; c <= 31; ++c) {
    clipped.Set(c, 0, 0);
  }
  EXPECT_EQ(window.CursorCells(), clipped);

  Click("Button3");
  Click("Image3");
  Drag(CellPoint(10, 10), {}, CellPoint(20, 16));
  Cursor circle;
  cursor::DrawFigure(circle, cursor::Tool::Circle, {10, 10}, {20, 16}, 0);
  EXPECT_EQ(window.CursorCells(), circle);
  Click("Image5");
  EXPECT_EQ(window.CurrentTool(), cursor::Tool::Dot);
}

TEST_F(CursorWindowTest, ExportWritesTheFileAndTheTextThatImportReadsBack) {
  test::TempDir dir;
  QTest::mouseClick(Grid(), Qt::LeftButton, {}, CellPoint(0, 0));
  // A longer file of that name ends up exactly 256 bytes long.
  test::WriteBytes(dir / "Cursor-x.bin", std::vector<std::uint8_t>(1000, 7));
  ExportTo(dir / "Cursor-x");
  std::vector<std::uint8_t> expected(256, 0xAA);
  expected[0] = 0x2A;
  EXPECT_EQ(test::ReadBytes(dir / "Cursor-x.bin"), expected);
  EXPECT_EQ(dialogs.lastSaveProposed, QStringLiteral("Cursor-"));
  EXPECT_EQ(dialogs.lastFilters, QStringList{QStringLiteral("*.bin")});
  EXPECT_EQ(dialogs.messages, QStringList{QStringLiteral("OK")});
  const QStringList lines = Find<QPlainTextEdit>("Memo1")->toPlainText().split(QLatin1Char('\n'));
  ASSERT_EQ(lines.size(), 16);
  EXPECT_TRUE(lines[0].startsWith(QStringLiteral("0x2A,0xAA,")));
  EXPECT_EQ(lines[15], QStringLiteral("0xAA,").repeated(16));

  const Cursor drawn = window.CursorCells();
  Click("Button3");
  EXPECT_EQ(window.CursorCells(), Cursor());
  Click("Button2");
  EXPECT_EQ(window.CursorCells(), drawn);

  Find<QPlainTextEdit>("Memo1")->setPlainText(QStringLiteral("0x12"));
  Click("Button2");
  // The import stays lenient but says what it forgave, as the command line does.
  EXPECT_EQ(dialogs.messages.last(),
            QStringLiteral("The cursor text ends on line 1 after 1 value; a cursor holds 256 values."));
  Cursor imported = cursor::UnpackCursor({});
  imported.Set(1, 0, 1);
  imported.Set(3, 0, 2);
  EXPECT_EQ(window.CursorCells(), imported);
}

TEST_F(CursorWindowTest, ExportFailuresKeepTheText) {
  test::TempDir dir;
  dialogs.saveAnswers.push_back(std::nullopt);
  dialogs.saveAnswers.push_back(QString());
  const QString bad = QString::fromStdString((dir / "none" / "c.bin").string());
  dialogs.saveAnswers.push_back(bad);
  for (int i = 0; i < 3; ++i) {
    Find<QPlainTextEdit>("Memo1")->clear();
    Click("Button1");
    EXPECT_EQ(Find<QPlainTextEdit>("Memo1")->toPlainText().size(), 16 * 80 + 15);
  }
  EXPECT_EQ(dialogs.messages,
            (QStringList{QStringLiteral("Error file's name"), QStringLiteral("Can't open ") + bad}));
  EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
}

TEST_F(CursorWindowTest, CloseOnlyHides) {
  Click("Panel3");
  Click("Image3");
  Click("Button4");
  EXPECT_FALSE(window.isVisible());
  window.show();
  EXPECT_EQ(window.PenCode(), 2);
  EXPECT_EQ(window.CurrentTool(), cursor::Tool::Circle);
}

}  // namespace
}  // namespace panelix
