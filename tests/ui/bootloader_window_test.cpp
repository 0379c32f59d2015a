#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "bootloader/register_script.h"
// Only the file helpers of the CLI runner are used here; window tests run no CLI.
#ifndef PANELIX_CLI
#define PANELIX_CLI "panelix"
#endif
#include "support/cli_runner.h"
#include "support/find_child.h"
#include "support/scripted_dialogs.h"
#include "ui/bootloader_window.h"

namespace panelix {
namespace {

class BootloaderWindowTest : public ::testing::Test {
 protected:
  template <typename T = QLineEdit>
  T* Find(const char* name) {
    return test::FindChild<T>(m_window, name);
  }
  void Type(const char* edit, const QString& text) {
    QLineEdit* field = Find(edit);
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Delete);
    QTest::keyClicks(field, text);
  }
  void Creat() { QTest::mouseClick(Find<QPushButton>("Button1"), Qt::LeftButton); }

  test::ScriptedDialogs m_dialogs;
  ui::TForm2 m_window{m_dialogs};
  test::TempDir m_dir;
};

TEST_F(BootloaderWindowTest, OpensWithTheDefaultsAndCreatSavesTheDefaultBlock) {
  EXPECT_EQ(Find("EditXSIZE")->text(), QStringLiteral("1024"));
  EXPECT_EQ(Find("EditMCLK")->text(), QStringLiteral("100"));
  EXPECT_TRUE(Find<QCheckBox>("CheckBoxPCLK")->isChecked());
  EXPECT_EQ(Find<QComboBox>("ComboBoxCANVASMODE")->currentText(), QStringLiteral("Block - 16bpp"));
  EXPECT_EQ(Find<QComboBox>("ComboBoxSpeed")->currentIndex(), -1);
  EXPECT_FALSE(Find<QComboBox>("ComboBoxSPIReadCmd")->isEnabled());
  EXPECT_TRUE(Find<QPlainTextEdit>("Memo1")->toPlainText().isEmpty());

  m_dialogs.saveAnswers.push_back(QString::fromStdString((m_dir / "Boot").string()));
  Creat();
  EXPECT_EQ(m_dialogs.lastSaveProposed, QStringLiteral("Bootloader"));
  EXPECT_EQ(m_dialogs.messages, QStringList{QStringLiteral("OK")});
  EXPECT_EQ(test::ReadBytes(m_dir / "Boot.bin"), bootloader::BuildBootloader({}));
  EXPECT_TRUE(Find<QPlainTextEdit>("Memo1")->toPlainText().startsWith(
      QStringLiteral("61 72 77 63 77 62 78 67 //ID \n11 05 13 8A \n11 06 13 41 \n")));
}

TEST_F(BootloaderWindowTest, LimitedValuesAreWrittenBackAndTheBlockUsesThem) {
  Type("EditCCLKR", QStringLiteral("40"));
  Type("EditCCLKOD", QStringLiteral("5"));
  Type("EditMCLKR", QStringLiteral("1"));
  Type("EditCCLK", QStringLiteral("90"));
  Type("EditMCLK", QStringLiteral("133"));
  Type("EditPWM", QStringLiteral("150"));
  Type("EditPPre", QStringLiteral("x300"));  // the field takes digits only
  Find<QComboBox>("ComboBoxSpeed")->setCurrentIndex(7);
  m_dialogs.saveAnswers.push_back(std::nullopt);
  Creat();
  EXPECT_TRUE(m_dialogs.messages.isEmpty());
  const std::vector<std::pair<const char*, const char*>> shown{
      {"EditCCLKR", "31"}, {"EditCCLKOD", "3"}, {"EditMCLKR", "2"}, {"EditCCLK", "90"},
      {"EditMCLK", "133"}, {"EditPWM", "100"},  {"EditPPre", "255"}};
  for (const auto& [edit, text] : shown) {
    EXPECT_EQ(Find(edit)->text(), QString::fromLatin1(text)) << edit;
  }
  // Cancelled save: the block is shown, nothing written.
  EXPECT_TRUE(Find<QPlainTextEdit>("Memo1")->toPlainText().contains(QStringLiteral("11 BB \n13 07")));
  EXPECT_TRUE(std::filesystem::is_empty(m_dir.Path()));
}

TEST_F(BootloaderWindowTest, EmptyFieldOrImpossibleMemoryClockShowTheMessageAndWriteNothing) {
  const std::vector<std::pair<std::pair<const char*, const char*>, const char*>> cases{
      {{"EditVSFP", ""}, "'' is not a valid integer value"},
      {{"EditMCLK", "0"}, "Division by zero"},
      {{"EditMCLK", "1001"}, "Division by zero"},
      {{"EditMCLK", "600"}, "MCLK_N 600 is out of range: the register holds 1..511."},
      // Last: the loop does not set the width back.
      {{"EditXSIZE", "70000"}, "XSIZE 70000 is out of range: the register holds 0..2055."},
  };
  for (const auto& [edit, message] : cases) {
    SCOPED_TRACE(message);
    Type("EditMCLK", QStringLiteral("100"));
    Type("EditVSFP", QStringLiteral("12"));
    Type(edit.first, QString::fromLatin1(edit.second));
    Type("EditCCLKR", QStringLiteral("40"));
    m_dialogs.messages.clear();
    Creat();
    EXPECT_EQ(m_dialogs.messages, QStringList{QString::fromLatin1(message)});
    EXPECT_EQ(m_dialogs.unexpected, 0);  // no save dialog was opened
    EXPECT_EQ(Find("EditCCLKR")->text(), QStringLiteral("40"));
    EXPECT_TRUE(Find<QPlainTextEdit>("Memo1")->toPlainText().isEmpty());
  }
}

TEST_F(BootloaderWindowTest, SaveFailuresAreShown) {
  m_dialogs.saveAnswers = {QString(), QString::fromStdString((m_dir / "no" / "b.bin").string())};
  Creat();
  Creat();
  EXPECT_EQ(m_dialogs.messages, (QStringList{QStringLiteral("Error file's name"),
                                             QStringLiteral("Can't open ") +
                                                 QString::fromStdString((m_dir / "no" / "b.bin").string())}));
}

}  // namespace
}  // namespace panelix
