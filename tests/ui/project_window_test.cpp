#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "base/files.h"
#include "support/find_child.h"
#include "support/scripted_dialogs.h"
#include "ui/ini_error_window.h"
#include "ui/project_window.h"

// Readable failure output for texts of the window.
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}

namespace panelix {
namespace {

namespace fs = std::filesystem;

class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (fs::temp_directory_path() / "panelix-projwin-XXXXXX").string();
    m_path = ::mkdtemp(pattern.data());
  }
  ~TempFolder() { fs::remove_all(m_path); }
  fs::path operator/(const std::string& name) const { return m_path / name; }
  QString Q(const std::string& name) const { return QString::fromStdString((m_path / name).string()); }
  void Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(m_path / name, std::ios::binary) << bytes;
  }
  std::string Read(const std::string& name) const {
    std::ifstream in(m_path / name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }

 private:
  fs::path m_path;
};

QStringList Items(QListWidget* list) {
  QStringList items;
  for (int i = 0; i < list->count(); ++i) {
    items << list->item(i)->text();
  }
  return items;
}

// The project window with its error window, as the workbench wires them.
struct Fixture {
  test::ScriptedDialogs dialogs;
  ui::TForm8 window{dialogs};
  ui::TForm10 errors{dialogs};

  Fixture() { window.SetErrorWindow(&errors); }
  template <typename T>
  T* Find(const char* name) {
    return test::FindChild<T>(window, name);
  }
  void Click(const char* button) { Find<QPushButton>(button)->click(); }
  QListWidget* Bins() { return Find<QListWidget>("ListBox1"); }
  QListWidget* Commands() { return Find<QListWidget>("ListBox2"); }
  QLineEdit* Edit() { return Find<QLineEdit>("Edit1"); }
};

TEST(ProjectWindow, HasItsControlsWithHiddenOptionAndWorkArea) {
  Fixture f;
  EXPECT_EQ(f.window.windowTitle(), QStringLiteral("Panelix Tool  New C0C3Test"));
  EXPECT_TRUE(f.window.windowState() & Qt::WindowMaximized);
  const std::vector<std::pair<const char*, const char*>> buttons{{"BtnAddAll", "Input Bin Files"},
                                                                 {"BtnRemove", "Delete"},
                                                                 {"BtnUP", "Move UP"},
                                                                 {"BtnDN", "Move Down"},
                                                                 {"BtnClose", "Close"},
                                                                 {"Button1", "Make Bin"},
                                                                 {"BtnPortMonitor", "Port Monitor"},
                                                                 {"BtnInsert", "Insert Command"},
                                                                 {"BtnRemCmd", "Delete Command"},
                                                                 {"BtnUpCmd", "Command UP"},
                                                                 {"BtnDnCmd", "Command Down"},
                                                                 {"BtnInput", "Input Command List"},
                                                                 {"BtnSave", "Save Command List"}};
  for (const auto& [name, caption] : buttons) {
    QPushButton* button = f.Find<QPushButton>(name);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->text(), QString::fromLatin1(caption));
  }
  f.window.show();
  auto* option = f.Find<QCheckBox>("CheckBoxNFBIN");
  EXPECT_TRUE(option->isChecked());
  EXPECT_FALSE(option->isVisible());
  EXPECT_FALSE(f.Find<QListWidget>("ListBox3")->isVisible());
  EXPECT_NE(f.window.findChild<QWidget*>(QStringLiteral("StatusBar1")), nullptr);
  f.Click("BtnClose");
  EXPECT_FALSE(f.window.isVisible());

  EXPECT_EQ(f.errors.windowTitle(), QStringLiteral("Ini error message"));
  EXPECT_EQ(f.errors.size(), QSize(703, 517));
  auto* memo = test::FindChild<QPlainTextEdit>(f.errors, "Memo1");
  ASSERT_NE(memo, nullptr);
  EXPECT_TRUE(memo->font().fixedPitch());
  EXPECT_EQ(memo->font().pixelSize(), 16);
}

TEST(ProjectWindow, InputBinFilesListsTheFolderThenOpensTheProject) {
  TempFolder dir;
  for (const char* name : {"a.bin", "b.BIN", "c.bin.bak", "d", "e.x.bin", "Bootloader.bin"}) {
    dir.Write(name, "x");
  }
  dir.Write("p.ini", "[INFO]\nLCD=1\n\nlast");
  Fixture f;
  f.dialogs.openAnswers = {dir.Q("a.bin"), dir.Q("p.ini")};
  f.Click("BtnAddAll");
  EXPECT_EQ(Items(f.Bins()), (QStringList{QStringLiteral("Bootloader.bin"), QStringLiteral("a.bin")}));
  EXPECT_EQ(Items(f.Commands()),
            (QStringList{QStringLiteral(" "), QStringLiteral("[INFO]"), QStringLiteral("LCD=1"),
                         QStringLiteral(" "), QStringLiteral(" "), QStringLiteral("last")}));
  EXPECT_TRUE(f.dialogs.messages.isEmpty());

  // Nothing chosen, a cancelled dialog or a cancelled project leave the lists alone.
  for (const std::optional<QString>& answer :
       {std::optional<QString>(), std::optional<QString>(QStringLiteral("*.bin")),
        std::optional<QString>(QString())}) {
    f.dialogs.openAnswers = {answer};
    f.Click("BtnAddAll");
    EXPECT_EQ(f.Bins()->count(), 2);
    EXPECT_EQ(f.Commands()->count(), 6);
  }
  f.dialogs.openAnswers = {dir.Q("a.bin"), std::nullopt};
  f.Click("BtnAddAll");
  EXPECT_EQ(f.Commands()->count(), 6);

  // A folder that cannot be listed, and a project that cannot be read.
  f.dialogs.openAnswers = {dir.Q("gone/a.bin")};
  f.Click("BtnAddAll");
  f.dialogs.openAnswers = {dir.Q("a.bin"), dir.Q("missing.ini")};
  f.Click("BtnAddAll");
  EXPECT_EQ(f.dialogs.messages,
            (QStringList{QStringLiteral("Fail to Open the file"), QStringLiteral("Open fail!")}));
  EXPECT_EQ(f.Commands()->count(), 6);
  EXPECT_EQ(f.dialogs.unexpected, 0);
}

TEST(ProjectWindow, EditingButtonsAndTheEditLine) {
  TempFolder dir;
  dir.Write("p.ini", "l0\r\nl1\r\nl2\r\nl3\r\nl4\r\nl5\r\n");
  Fixture f;
  f.Edit()->setText(QStringLiteral("stale"));
  f.dialogs.openAnswers = {dir.Q("p.ini")};
  f.Click("BtnInput");
  EXPECT_EQ(f.Edit()->text(), QString());
  ASSERT_EQ(f.Commands()->count(), 6);
  EXPECT_EQ(f.Commands()->item(5)->text(), QStringLiteral("l5"));  // the carriage return is not shown

  // A click copies the line; Enter puts the typed text in its place.
  f.Commands()->setCurrentRow(5);
  EXPECT_EQ(f.Edit()->text(), QStringLiteral("l5"));
  f.Edit()->setText(QStringLiteral("typed"));
  QTest::keyClick(f.Edit(), Qt::Key_Return);
  EXPECT_EQ(f.Commands()->count(), 6);
  EXPECT_EQ(f.Commands()->item(5)->text(), QStringLiteral("typed"));
  EXPECT_EQ(f.window.CommandList().items[5], "typed");

  f.Commands()->setCurrentRow(2);
  f.Edit()->setText(QStringLiteral("new"));
  f.Click("BtnInsert");
  f.Click("BtnUpCmd");
  f.Click("BtnDnCmd");
  f.Click("BtnDnCmd");
  EXPECT_EQ(
      Items(f.Commands()),
      (QStringList{QStringLiteral("l0"), QStringLiteral("l1"), QStringLiteral("new"), QStringLiteral("l3"),
                   QStringLiteral("l2"), QStringLiteral("l4"), QStringLiteral("typed")}));
  EXPECT_EQ(f.Commands()->currentRow(), 4);

  // Delete Command removes the selected line and copies the one that takes its place.
  f.Click("BtnRemCmd");
  EXPECT_EQ(f.Commands()->count(), 6);
  EXPECT_EQ(f.Commands()->currentRow(), 4);
  EXPECT_EQ(f.Edit()->text(), QStringLiteral("l4"));
  f.Commands()->setCurrentRow(0);
  f.Click("BtnRemCmd");
  EXPECT_EQ(f.Commands()->count(), 6);
  EXPECT_EQ(f.Edit()->text(), QStringLiteral("l0"));
  f.Click("BtnInsert");
  EXPECT_EQ(f.Commands()->count(), 6);

  // The bin list keeps its first entry.
  dir.Write("a.bin", "x");
  dir.Write("b.bin", "x");
  dir.Write("c.bin", "x");
  f.dialogs.openAnswers = {dir.Q("a.bin"), std::nullopt};
  f.Click("BtnAddAll");
  f.Bins()->setCurrentRow(0);
  f.Click("BtnRemove");
  f.Click("BtnDN");
  f.Bins()->setCurrentRow(2);
  f.Click("BtnRemove");
  EXPECT_EQ(Items(f.Bins()), (QStringList{QStringLiteral("b.bin"), QStringLiteral("a.bin")}));
  EXPECT_EQ(f.window.BinList().items, (std::vector<std::string>{"b.bin", "a.bin"}));
  f.Click("BtnPortMonitor");  // not installed here: nothing is reported
  EXPECT_TRUE(f.dialogs.messages.isEmpty());
}

TEST(ProjectWindow, SaveKeepsUneditedBytesAndEncodesEditedLines) {
  TempFolder dir;
  // "\xC4\xA3\xBF\xE9" is a two-character word of the 936 code page.
  const std::string original = "[INFO]\r\nNAME=\xC4\xA3\xBF\xE9\r\nl2\r\n\xFF\x80raw\r\n";
  dir.Write("p.ini", original);
  Fixture f;
  f.dialogs.openAnswers = {dir.Q("p.ini")};
  f.Click("BtnInput");
  f.dialogs.saveAnswers = {dir.Q("same")};
  f.Click("BtnSave");
  EXPECT_EQ(f.dialogs.lastSaveProposed, QStringLiteral("*.ini"));
  EXPECT_EQ(dir.Read("same.ini"), original);

  f.Commands()->setCurrentRow(2);
  f.Edit()->setText(QString::fromUtf8("\xE6\xA8\xA1\xE5\x9D\x97"));  // the same word, typed
  QTest::keyClick(f.Edit(), Qt::Key_Return);
  f.dialogs.saveAnswers = {dir.Q("edited.ini.bak")};
  f.Click("BtnSave");
  EXPECT_EQ(dir.Read("edited.ini.bak"),
            "[INFO]\r\nNAME=\xC4\xA3\xBF\xE9\r\n\xC4\xA3\xBF\xE9\r\n\xFF\x80raw\r\n");

  // Cancel, nothing chosen, an empty name and a folder that does not exist.
  f.dialogs.saveAnswers = {std::nullopt, dir.Q("*.ini"), QString(), dir.Q("no/p")};
  for (int i = 0; i < 4; ++i) {
    f.Click("BtnSave");
  }
  EXPECT_EQ(f.dialogs.messages,
            (QStringList{QStringLiteral("Error file's name"), QStringLiteral("open Creat file error!\n")}));
  EXPECT_FALSE(fs::exists(dir / "*.ini"));
}

// A usable project of a 1024 x 600 module with the given command lines, LF line ends.
std::string ProjectText(const std::string& commands) {
  return "; demo module\n[INFO]\nPCVersion = 10\nCOMPort = UART\nBaudrate = 115200\nPCBVersion = 12\n"
         "MCUBit = 8\nMCUType = STM\nCX9Type = CX-2\nCX9IF = SPI\nXSIZE = 1024\nYSIZE = 600\nVBPD = 20\n"
         "VFPD = 12\nVSPW = 3\nHBPD = 140\nHFPD = 160\nHSPW = 20\nPCLKRISING = True\nHSYNCPolarity = 0\n"
         "VSYNCPolarity = 0\nDEPolarity = 1\nRGBSequence = RGB\nColorDepth = 16\nFlashType = NOR\n"
         "FlashSize = 128\n\n[USERCMD]\n; commands\n\n" +
         commands;
}

TEST(ProjectWindow, MakeBinWritesInfoBinReportAndFlashImage) {
  TempFolder dir;
  std::string bootloader(367, '\0');
  for (std::size_t i = 0; i < bootloader.size(); ++i) {
    bootloader[i] = static_cast<char>(i * 7 + 1);
  }
  dir.Write("Bootloader.bin", bootloader);
  dir.Write("p.ini", ProjectText(""));
  fs::create_directory(dir / "out");
  Fixture f;
  f.dialogs.openAnswers = {dir.Q("Bootloader.bin"), dir.Q("p.ini")};
  f.Click("BtnAddAll");
  ASSERT_GE(f.Commands()->count(), 30);

  f.dialogs.saveAnswers = {dir.Q("out/demo"), dir.Q("out/flash")};
  f.Click("Button1");
  EXPECT_EQ(f.dialogs.messages, QStringList{QStringLiteral("OK")});
  EXPECT_EQ(f.dialogs.lastSaveProposed, QStringLiteral("Panelix_Flash"));
  EXPECT_EQ(f.dialogs.lastSaveFolder, dir.Q("out/"));
  const std::string info = dir.Read("out/demo.bin");
  ASSERT_EQ(info.size(), 0x20000U);
  EXPECT_EQ(info.substr(0, 367), bootloader);
  EXPECT_EQ(info.substr(0x400, 2), std::string("\x10\x00", 2));  // the settings from [INFO]
  EXPECT_EQ(info.substr(0x600, 2), std::string(2, '\0'));        // no pictures
  EXPECT_EQ(dir.Read("out/flash.bin"), info);
  EXPECT_TRUE(fs::exists(dir / "out/demo.txt"));
  EXPECT_FALSE(f.errors.isVisible());

  // Cancelling the first dialog writes nothing; cancelling the second keeps the info bin and report.
  f.dialogs.messages.clear();
  f.dialogs.saveAnswers = {std::nullopt, dir.Q("out/second.bin"), std::nullopt, QString()};
  f.Click("Button1");
  f.Click("Button1");
  EXPECT_TRUE(fs::exists(dir / "out/second.bin"));
  EXPECT_TRUE(fs::exists(dir / "out/second.bin.txt"));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir / "out"), fs::directory_iterator()), 5);
  f.Click("Button1");
  EXPECT_EQ(f.dialogs.messages, QStringList{QStringLiteral("Error file's name")});
  EXPECT_EQ(f.dialogs.unexpected, 0);
}

// The info bin, report and image are put in place together when Make Bin ends; cancelling the image
// dialog puts the info bin and report in place, a refused or failing image changes no file.
TEST(ProjectWindow, MakeBinPutsItsOutputsInPlaceTogether) {
  TempFolder dir;
  dir.Write("Bootloader.bin", std::string(367, '\x11'));
  dir.Write("p.ini", ProjectText(""));
  fs::create_directory(dir / "out");
  Fixture f;
  f.dialogs.openAnswers = {dir.Q("Bootloader.bin"), dir.Q("p.ini")};
  f.Click("BtnAddAll");
  const auto writeOld = [&] {
    for (const char* name : {"out/demo.bin", "out/demo.txt", "out/flash.bin"}) {
      dir.Write(name, "old");
    }
  };
  const auto oldKept = [&](const std::vector<std::string>& names) {
    for (const std::string& name : names) {
      EXPECT_EQ(dir.Read(name), "old") << name;
    }
  };
  const std::string info = (dir / "out/demo.bin").string();
  const std::string bootloader = (dir / "Bootloader.bin").string();
  struct Case {
    std::optional<QString> info, flash;
    FileFaults faults;
    std::string message;
  } cases[] = {
      {dir.Q("out/demo"),
       dir.Q("out/demo.bin"),
       {},
       "The outputs " + info + " and " + info + " are the same file."},
      {dir.Q("out/demo"),
       dir.Q("Bootloader"),
       {},
       "The output " + bootloader + " would overwrite the input " + bootloader + "."},
      {dir.Q("out/demo"),
       dir.Q("out/flash"),
       {.failWrite = 3},
       "Can't open " + (dir / "out/flash.bin").string()},
      {dir.Q("out/demo"), dir.Q("out/flash"), {.failCommit = true}, "open Creat file error!\n"},
      {dir.Q("out/demo"), QString(), {}, "Error file's name"},
      {dir.Q("Bootloader"),
       std::nullopt,
       {},
       "The output " + bootloader + " would overwrite the input " + bootloader + "."},
  };
  for (const Case& c : cases) {
    writeOld();
    f.dialogs.messages.clear();
    f.dialogs.saveAnswers = {c.info};
    if (c.info != dir.Q("Bootloader")) {
      f.dialogs.saveAnswers.push_back(c.flash);
    }
    SetFileFaults(c.faults);
    f.Click("Button1");
    SetFileFaults({});
    EXPECT_EQ(f.dialogs.messages, QStringList{QString::fromStdString(c.message)});
    oldKept({"out/demo.bin", "out/demo.txt", "out/flash.bin"});
    EXPECT_EQ(dir.Read("Bootloader.bin"), std::string(367, '\x11'));
  }

  // Cancelling the image dialog puts the info bin and report in place and leaves the old image.
  writeOld();
  f.dialogs.saveAnswers = {dir.Q("out/demo"), std::nullopt};
  f.Click("Button1");
  EXPECT_EQ(dir.Read("out/demo.bin").size(), 0x20000U);
  EXPECT_NE(dir.Read("out/demo.txt"), "old");
  oldKept({"out/flash.bin"});
  EXPECT_EQ(std::distance(fs::directory_iterator(dir / "out"), fs::directory_iterator()), 3);
  EXPECT_EQ(f.dialogs.unexpected, 0);
}

TEST(ProjectWindow, MakeBinStopsOnMissingInputAndShowsTheOrderReport) {
  TempFolder dir;
  dir.Write("Bootloader.bin", std::string(367, '\x11'));
  dir.Write("short.ini", "[INFO]\nA=1\n");
  dir.Write("order.ini", ProjectText("80h#01:1\n80h#00:2\n"));
  Fixture f;
  f.Click("Button1");
  f.dialogs.openAnswers = {dir.Q("Bootloader.bin"), dir.Q("short.ini")};
  f.Click("BtnAddAll");
  f.Click("Button1");
  // An empty window lacks both; the short project only its info data.
  EXPECT_EQ(f.dialogs.messages, (QStringList{QStringLiteral("There aren't any picture data!"),
                                             QStringLiteral("There aren't any info data!"),
                                             QStringLiteral("There aren't any info data!")}));

  f.dialogs.openAnswers = {dir.Q("order.ini")};
  f.Click("BtnInput");
  f.Click("Button1");
  EXPECT_TRUE(f.errors.isVisible());
  const QString report = test::FindChild<QPlainTextEdit>(f.errors, "Memo1")->toPlainText();
  EXPECT_EQ(report, QStringLiteral(
                        "Command 80h error:\n80h#01:1\n80h#00:2\n\nNew command 80h:\n80h#00:2\n80h#01:1\n"));
  EXPECT_EQ(f.dialogs.messages.size(), 3);
  EXPECT_EQ(f.dialogs.unexpected, 0);
}

// Make Bin lists what the lenient rules changed in the error window and still writes today's bytes;
// an image larger than the flash of [INFO] stops it with nothing written.
TEST(ProjectWindow, MakeBinListsWarningsAndStopsAtTheFlashBudget) {
  TempFolder dir;
  dir.Write("Picture-a.bin", std::string(4, '\x5A'));
  dir.Write("Picture-a-Addr.txt", "{2, 1, 0x00000000, 0x00000004},//a.bmp\r\n");
  std::string text = ProjectText("80h#00:1,2,3\n8Gh#00:1\n");
  dir.Write("p.ini", text);
  fs::create_directory(dir / "out");
  Fixture f;
  f.dialogs.openAnswers = {dir.Q("Picture-a.bin"), dir.Q("p.ini")};
  f.Click("BtnAddAll");
  f.dialogs.saveAnswers = {dir.Q("out/demo"), dir.Q("out/flash")};
  f.Click("Button1");
  EXPECT_EQ(f.dialogs.messages, QStringList{QStringLiteral("OK")});
  EXPECT_TRUE(f.errors.isVisible());
  const QString memo = f.errors.findChild<QPlainTextEdit*>(QStringLiteral("Memo1"))->toPlainText();
  EXPECT_TRUE(memo.contains(QStringLiteral("warning: '8Gh#00:1' is no command line"))) << memo.toStdString();
  EXPECT_EQ(dir.Read("out/flash.bin").size(), 0x20000U + 4);

  text.replace(text.find("FlashSize = 128"), 15, "FlashSize = 1");
  dir.Write("small.ini", text);
  fs::remove_all(dir / "out");
  fs::create_directory(dir / "out");
  f.dialogs.messages.clear();
  f.dialogs.openAnswers = {dir.Q("small.ini")};
  f.Click("BtnInput");
  f.dialogs.saveAnswers = {dir.Q("out/demo"), dir.Q("out/flash")};
  f.Click("Button1");
  ASSERT_EQ(f.dialogs.messages.size(), 1);
  EXPECT_TRUE(
      f.dialogs.messages.front().startsWith(QStringLiteral("The flash image is larger than the flash")));
  EXPECT_TRUE(fs::is_empty(dir / "out"));
}

}  // namespace
}  // namespace panelix
