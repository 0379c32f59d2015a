#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

// The temporary folders of the CLI helpers, and the CLI itself for comparing bytes.
#include "support/cli_runner.h"
#include "support/find_child.h"
#include "support/scripted_dialogs.h"
#include "ui/font_window.h"

namespace panelix::ui {
namespace {

using test::ReadBytes;
using test::ScriptedDialogs;
using test::TempDir;

class FontWindow : public ::testing::Test {
 protected:
  template <typename T>
  T* Get(const char* name) {
    return test::FindChild<T>(window, name);
  }
  void Click(const char* name) { Get<QPushButton>(name)->click(); }
  void SetCodeSet(int index) { Get<QComboBox>("ComboBoxCode")->setCurrentIndex(index); }
  QString Path(const char* name) const { return QString::fromStdString((dir / name).string()); }
  QImage Shown(const char* image) { return Get<QLabel>(image)->pixmap().toImage(); }

  ScriptedDialogs dialogs;
  TForm4 window{dialogs};
  TempDir dir;
};

TEST_F(FontWindow, StartsWithItsDefaultsAndAFirstPreview) {
  EXPECT_EQ(window.windowTitle(), QStringLiteral("Creat Chinese Font Lib "));
  QComboBox* sets = Get<QComboBox>("ComboBoxCode");
  ASSERT_EQ(sets->count(), 5);
  EXPECT_EQ(sets->itemText(2), QStringLiteral("繁体GB2312"));
  EXPECT_EQ(sets->currentText(), QStringLiteral("GB2312"));
  EXPECT_EQ(Get<QLineEdit>("EditUNIS")->text(), QStringLiteral("A1A0"));
  EXPECT_EQ(Get<QLineEdit>("EditUNIE")->text(), QStringLiteral("F7FE"));
  EXPECT_EQ(Get<QLineEdit>("Edit1")->text(), QStringLiteral("BBAA"));
  EXPECT_EQ(Get<QLineEdit>("Edit2")->text(), QStringLiteral("汉"));
  EXPECT_EQ(Get<QLineEdit>("EditCTLimit")->text(), QStringLiteral("200"));
  EXPECT_TRUE(Get<QCheckBox>("CheckBoxHalf")->isChecked());
  EXPECT_TRUE(Get<QPlainTextEdit>("Memo1")->toPlainText().isEmpty());
  EXPECT_EQ(Get<QPlainTextEdit>("Memo2")->toPlainText(), QStringLiteral("Memo2"));
  EXPECT_EQ(window.OriginX(), 2);
  EXPECT_EQ(window.OriginY(), 1);
  // The default sample 华 drawn into 16 x 16: both grids are 65 x 65 and show some black.
  const QImage user = Shown("Image1");
  ASSERT_EQ(user.size(), QSize(65, 65));
  EXPECT_EQ(Shown("Image2").size(), QSize(65, 65));
  EXPECT_EQ(user.pixel(0, 0) & 0xFFFFFFu, 0x777777u);
  int black = 0;
  for (int y = 0; y < 65; ++y) {
    for (int x = 0; x < 65; ++x) {
      black += (user.pixel(x, y) & 0xFFFFFFu) == 0 ? 1 : 0;
    }
  }
  EXPECT_GT(black, 9 * 20);
  EXPECT_EQ(dialogs.messages, QStringList());
}

TEST_F(FontWindow, FieldsAreRewrittenOnKeyRelease) {
  QLineEdit* start = Get<QLineEdit>("EditUNIS");
  start->clear();
  QTest::keyClicks(start, QStringLiteral("a1g"));
  EXPECT_EQ(start->text(), QStringLiteral("A100"));
  QLineEdit* limit = Get<QLineEdit>("EditCTLimit");
  limit->clear();
  QTest::keyClicks(limit, QStringLiteral("300"));
  EXPECT_EQ(limit->text(), QStringLiteral("255"));
  limit->setText(QStringLiteral("007"));
  QTest::keyRelease(limit, Qt::Key_Shift);
  EXPECT_EQ(limit->text(), QStringLiteral("7"));
  // Digits only.
  QTest::keyClicks(limit, QStringLiteral("x"));
  EXPECT_EQ(limit->text(), QStringLiteral("7"));
  // An empty limit cannot be read.
  limit->clear();
  QTest::keyRelease(limit, Qt::Key_Backspace);
  EXPECT_EQ(dialogs.messages, QStringList{QStringLiteral("'' is not a valid integer value")});
}

TEST_F(FontWindow, CodeSetChangeLoadsDefaultRange) {
  SetCodeSet(4);
  EXPECT_EQ(Get<QLineEdit>("EditUNIS")->text(), QStringLiteral("4E00"));
  EXPECT_EQ(Get<QLineEdit>("EditUNIE")->text(), QStringLiteral("9FA5"));
  SetCodeSet(3);
  EXPECT_EQ(Get<QLineEdit>("EditUNIS")->text(), QStringLiteral("8140"));
  EXPECT_EQ(Get<QLineEdit>("EditUNIE")->text(), QStringLiteral("FEBF"));
}

TEST_F(FontWindow, ScrollBarsMoveTheTextOrigin) {
  QScrollBar* bar = Get<QScrollBar>("ScrollBar1");
  bar->setValue(51);
  bar->setValue(52);
  bar->setValue(53);
  bar->setValue(52);
  EXPECT_EQ(window.OriginX(), 4);
  Get<QScrollBar>("ScrollBar2")->setValue(40);
  EXPECT_EQ(window.OriginY(), 0);
}

TEST_F(FontWindow, UnicodeLibraryIsSavedWithItsMemoLines) {
  SetCodeSet(4);
  Get<QLineEdit>("EditUNIS")->setText(QStringLiteral("0041"));
  Get<QLineEdit>("EditUNIE")->setText(QStringLiteral("0041"));
  dialogs.saveAnswers.push_back(Path("fontA"));
  Click("ButtonMakeBin");
  EXPECT_EQ(dialogs.lastSaveProposed, QStringLiteral("Font_"));
  EXPECT_EQ(dialogs.lastFilters, QStringList{QStringLiteral("*.bin")});
  EXPECT_EQ(dialogs.messages, QStringList{QStringLiteral("UniCode Font Lib ok")});
  EXPECT_EQ(ReadBytes(dir / "fontA.bin").size(), 32u);
  EXPECT_EQ(Get<QPlainTextEdit>("Memo1")->toPlainText(),
            QStringLiteral("Unicode start:0041\nUnicode end:0041\nUnicode nmuber:1"));
  EXPECT_EQ(Get<QProgressBar>("ProgressBar1")->value(), 100);
  EXPECT_TRUE(Get<QPushButton>("ButtonMakeBin")->isEnabled());
}

TEST_F(FontWindow, InputMessagesStopBeforeAnyDialog) {
  struct Case {
    const char* start;
    const char* end;
    int set;
    const char* message;
  };
  const Case cases[] = {
      {"A1A", "F7FE", 0, "Start code number is less 4."},
      {"A1A0", "F7F", 0, "End code number is less 4."},
      {"B000", "A000", 0, "Error for start code > end code. And stop."},
      {"A19F", "F7FE", 0, "Font Start Code is less 0xA1A0"},
      {"A1A0", "F7FF", 2, "Font End Code is over 0xF7FE"},
  };
  for (const Case& c : cases) {
    dialogs.messages.clear();
    SetCodeSet(c.set);
    Get<QLineEdit>("EditUNIS")->setText(QString::fromLatin1(c.start));
    Get<QLineEdit>("EditUNIE")->setText(QString::fromLatin1(c.end));
    Click("ButtonMakeBin");
    EXPECT_EQ(dialogs.messages, QStringList{QString::fromLatin1(c.message)});
  }
  EXPECT_EQ(dialogs.unexpected, 0);
}

TEST_F(FontWindow, SaveFailuresAndCancel) {
  // Cancel writes nothing; the closing message follows.
  dialogs.saveAnswers.push_back(std::nullopt);
  Click("BtnAsciiBin");
  EXPECT_EQ(dialogs.messages, QStringList{QStringLiteral("Ascii Font bin ok")});
  // A failure shows its own message only.
  dialogs.messages.clear();
  dialogs.saveAnswers.push_back(QString());
  Click("BtnAsciiBin");
  dialogs.saveAnswers.push_back(Path("missing/f"));
  Click("BtnAsciiBin");
  EXPECT_EQ(dialogs.messages,
            (QStringList{QStringLiteral("Error file's name"), QStringLiteral("open Creat file error!\n")}));
  EXPECT_TRUE(Get<QPushButton>("BtnAsciiBin")->isEnabled());
  // 8 x 16 cells: 94 glyphs of 16 bytes.
  Get<QLineEdit>("EditFW")->setText(QStringLiteral("8"));
  dialogs.saveAnswers.push_back(Path("ascii"));
  Click("BtnAsciiBin");
  EXPECT_EQ(ReadBytes(dir / "ascii.bin").size(), 1504u);
}

TEST_F(FontWindow, CloseStopsARunWithoutWritingOrSaying) {
  // Large outline glyphs keep the GBK run busy long enough for "Close" to arrive.
  Get<QLineEdit>("EditFW")->setText(QStringLiteral("64"));
  Get<QLineEdit>("EditFH")->setText(QStringLiteral("64"));
  QFont big(QStringLiteral("宋体"));
  big.setPixelSize(60);
  dialogs.fontAnswers.push_back(big);
  Click("ButtonSFont");
  SetCodeSet(3);
  window.show();
  QTimer::singleShot(0, &window, [this] { Click("ButtonClose"); });
  Click("ButtonMakeBin");
  EXPECT_EQ(dialogs.messages, QStringList());
  EXPECT_EQ(dialogs.unexpected, 0);  // no save dialog
  EXPECT_FALSE(window.isVisible());
  EXPECT_TRUE(Get<QPushButton>("ButtonMakeBin")->isEnabled());
  // The next run goes through.
  SetCodeSet(4);
  Get<QLineEdit>("EditUNIS")->setText(QStringLiteral("0041"));
  Get<QLineEdit>("EditUNIE")->setText(QStringLiteral("0042"));
  dialogs.saveAnswers.push_back(Path("after"));
  Click("ButtonMakeBin");
  EXPECT_EQ(ReadBytes(dir / "after.bin").size(), 2u * 64u * 8u);
}

TEST_F(FontWindow, TestButtonsDumpTheGlyphAndKeepTheirSource) {
  Get<QLineEdit>("Edit1")->setText(QStringLiteral("B0A1"));
  Click("ButtonTest");
  const QString dump = Get<QPlainTextEdit>("Memo1")->toPlainText();
  const QStringList lines = dump.split(QLatin1Char('\n'));
  ASSERT_EQ(lines.size(), 5);  // four lines of eight entries and the empty text after the last break
  EXPECT_TRUE(lines[0].startsWith(QStringLiteral("0x")));
  EXPECT_TRUE(lines[3].endsWith(QStringLiteral(", ")));
  EXPECT_EQ(window.CurrentPreviewSource(), ui::TForm4::PreviewSource::Code);
  const QImage gb = Shown("Image1");
  SetCodeSet(1);  // B0A1 read as a BIG5 code now
  EXPECT_NE(Shown("Image1"), gb);
  Get<QLineEdit>("Edit2")->setText(QStringLiteral("AB"));
  Click("ButtonCHINPUT");
  EXPECT_EQ(window.CurrentPreviewSource(), ui::TForm4::PreviewSource::Text);
  EXPECT_NE(Get<QPlainTextEdit>("Memo1")->toPlainText(), dump);
  // Rotation changes the preview's shape at the next refresh.
  Get<QLineEdit>("EditFH")->setText(QStringLiteral("24"));
  Get<QRadioButton>("RadioGroup2Item1")->setChecked(true);
  Click("ButtonCHINPUT");
  EXPECT_EQ(Shown("Image2").size(), QSize(24 * 4 + 1, 16 * 4 + 1));
  EXPECT_EQ(Get<QPlainTextEdit>("Memo1")->toPlainText().count(QStringLiteral("0x")), 48);
}

TEST_F(FontWindow, StringBinFromATextFile) {
  test::WriteText(dir / "text", "AB\xD6\xD0\n");
  dialogs.openAnswers.push_back(Path("text"));
  dialogs.saveAnswers.push_back(Path("Font_S"));
  Click("BtnStringBin");
  EXPECT_EQ(dialogs.messages, QStringList{QStringLiteral("String Font bin ok")});
  const std::vector<std::uint8_t> font = ReadBytes(dir / "Font_S.bin");
  ASSERT_EQ(font.size(), 114u);
  EXPECT_EQ(std::vector<std::uint8_t>(font.begin() + 8, font.begin() + 18),
            (std::vector<std::uint8_t>{0x00, 0x03, 0x10, 0x10, 0x00, 0x41, 0x00, 0x42, 0xD6, 0xD0}));
  EXPECT_EQ(Get<QPlainTextEdit>("Memo2")->toPlainText(), QStringLiteral("AB中"));
  // A file that cannot be read, and a cancelled open dialog.
  dialogs.messages.clear();
  dialogs.openAnswers.push_back(Path("nothing.txt"));
  Click("BtnStringBin");
  dialogs.openAnswers.push_back(std::nullopt);
  Click("BtnStringBin");
  EXPECT_EQ(dialogs.messages, QStringList{QStringLiteral("Fail to Open the file")});
  EXPECT_EQ(dialogs.unexpected, 0);
  EXPECT_TRUE(Get<QPushButton>("BtnStringBin")->isEnabled());
}

// The window and panelix font string make a String Bin through one function: the same bytes.
TEST_F(FontWindow, StringBinGivesTheBytesOfTheCli) {
  test::WriteText(dir / "text", "AB\xD6\xD0\nxy");
  Get<QLineEdit>("EditFH")->setText(QStringLiteral("24"));
  Get<QRadioButton>("RadioGroup2Item1")->setChecked(true);
  dialogs.openAnswers.push_back(Path("text"));
  dialogs.saveAnswers.push_back(Path("window"));
  Click("BtnStringBin");
  ASSERT_EQ(dialogs.messages, QStringList{QStringLiteral("String Font bin ok")});
  const test::CliResult cli =
      test::RunCli({"--codepage", "936", "font", "string", (dir / "text").string(), "--height", "24",
                    "--rotate", "r90", "-o", (dir / "cli").string()});
  ASSERT_EQ(cli.exitCode, 0) << cli.err;
  const std::vector<std::uint8_t> fromWindow = ReadBytes(dir / "window.bin");
  EXPECT_EQ(fromWindow.size(), 12u + 2 * 5 + 5 * 24 * 2);
  EXPECT_EQ(fromWindow, ReadBytes(dir / "cli.bin"));
}

}  // namespace
}  // namespace panelix::ui
