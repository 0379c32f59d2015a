#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

// Only the file helpers of the CLI runner are used here; window tests run no CLI.
#ifndef PANELIX_CLI
#define PANELIX_CLI "panelix"
#endif
#include "support/cli_runner.h"
#include "support/find_child.h"
#include "support/scripted_dialogs.h"
#include "ui/combiner_window.h"

namespace panelix {
namespace {

using Bytes = std::vector<std::uint8_t>;

class CombinerWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::WriteBytes(m_dir / "a.bin", Bytes(0x100, 0xA1));
    test::WriteBytes(m_dir / "b.bin", Bytes(0x10, 0xB2));
    test::WriteBytes(m_dir / "c.bin", Bytes(4, 0xC3));
  }
  QLineEdit* Edit(int number) {
    return test::FindChild<QLineEdit>(m_window, QStringLiteral("Edit%1").arg(number));
  }
  QPushButton* Button(const char* name) { return test::FindChild<QPushButton>(m_window, name); }
  QString Path(const std::string& file) const { return QString::fromStdString((m_dir / file).string()); }
  void Choose(const char* button, const std::string& file) {
    m_dialogs.openAnswers.push_back(Path(file));
    QTest::mouseClick(Button(button), Qt::LeftButton);
  }
  // Types into a start address field the way the user does, key by key.
  void TypeStart(int edit, const QString& text) {
    Edit(edit)->clear();
    QTest::keyClicks(Edit(edit), text);
  }
  void Combine(const std::optional<QString>& name) {
    m_dialogs.saveAnswers.push_back(name);
    QTest::mouseClick(Button("Button4"), Qt::LeftButton);
  }
  QStringList MemoLines() {
    return test::FindChild<QPlainTextEdit>(m_window, "Memo1")->toPlainText().split(QLatin1Char('\n'));
  }

  test::TempDir m_dir;
  test::ScriptedDialogs m_dialogs;
  ui::TForm5 m_window{m_dialogs};
};

TEST_F(CombinerWindowTest, ChoosingFilesChainsStartsAndEnablesTheNextButton) {
  EXPECT_TRUE(Button("Button1")->isEnabled());
  for (const char* name : {"Button2", "Button3", "Button6", "Button7", "Button8"}) {
    EXPECT_FALSE(Button(name)->isEnabled()) << name;
  }
  Choose("Button1", "a.bin");
  EXPECT_EQ(Edit(1)->text(), Path("a.bin"));
  EXPECT_EQ(Edit(3)->text(), QStringLiteral("256"));
  EXPECT_TRUE(Button("Button2")->isEnabled());
  Choose("Button2", "b.bin");
  Choose("Button3", "c.bin");
  EXPECT_EQ(Edit(5)->text(), QStringLiteral("256"));
  EXPECT_EQ(Edit(8)->text(), QStringLiteral("272"));

  // A start typed in slot 2 moves slot 3 along on every key release.
  TypeStart(5, QStringLiteral("512"));
  EXPECT_EQ(Edit(8)->text(), QStringLiteral("528"));
  // Typing in an unused slot resets it.
  TypeStart(14, QStringLiteral("77"));
  EXPECT_EQ(Edit(14)->text(), QStringLiteral("0"));

  Combine(Path("all"));
  EXPECT_EQ(m_dialogs.messages, QStringList{QStringLiteral("Combine over")});
  Bytes expected(0x100, 0xA1);
  expected.insert(expected.end(), 0x100, 0xFF);
  expected.insert(expected.end(), 0x10, 0xB2);
  expected.insert(expected.end(), 4, 0xC3);
  EXPECT_EQ(test::ReadBytes(m_dir / "all.bin"), expected);
  const QStringList rows{QStringLiteral("{0x00000000, 0x00000100}, //") + Path("a.bin"),
                         QStringLiteral("{0x00000200, 0x00000010}, //") + Path("b.bin"),
                         QStringLiteral("{0x00000210, 0x00000004}, //") + Path("c.bin")};
  EXPECT_EQ(MemoLines(), rows);
  const auto list = test::ReadBytes(m_dir / "all-Addr.txt");
  EXPECT_EQ(
      QString::fromLatin1(reinterpret_cast<const char*>(list.data()), static_cast<qsizetype>(list.size())),
      rows.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
}

TEST_F(CombinerWindowTest, ChoosingFileOneAgainClearsSlotsTwoAndThreeOnly) {
  Choose("Button1", "a.bin");
  Choose("Button2", "b.bin");
  Choose("Button3", "c.bin");
  Choose("Button6", "c.bin");
  Choose("Button1", "c.bin");
  for (int edit : {4, 7}) {
    EXPECT_TRUE(Edit(edit)->text().isEmpty());
    EXPECT_EQ(Edit(edit + 1)->text(), QStringLiteral("0"));
    EXPECT_EQ(Edit(edit + 2)->text(), QStringLiteral("0"));
  }
  EXPECT_EQ(Edit(10)->text(), Path("c.bin"));
  EXPECT_TRUE(Button("Button7")->isEnabled());
  // Slot 4 is beyond the first unused slot, so only slot 1 is combined.
  Combine(Path("one.bin"));
  EXPECT_EQ(test::ReadBytes(m_dir / "one.bin"), Bytes(4, 0xC3));
  EXPECT_EQ(MemoLines().size(), 1);
}

TEST_F(CombinerWindowTest, FailuresShowTheirMessages) {
  // A path in a missing folder cannot be opened: the name stays, the length does not change.
  const QString unreachable = Path("none/x.bin");
  m_dialogs.openAnswers.push_back(unreachable);
  QTest::mouseClick(Button("Button1"), Qt::LeftButton);
  EXPECT_EQ(Edit(1)->text(), unreachable);
  EXPECT_EQ(Edit(3)->text(), QStringLiteral("0"));
  EXPECT_FALSE(Button("Button2")->isEnabled());

  Choose("Button1", "a.bin");
  Combine(std::nullopt);
  Combine(QString());
  Edit(5)->setText(QString());
  Combine(Path("x"));
  EXPECT_EQ(
      m_dialogs.messages,
      (QStringList{QStringLiteral("The file might not be accessibl."), QStringLiteral("Error file's name"),
                   QStringLiteral("Error file's name"), QStringLiteral("'' is not a valid integer value")}));
  EXPECT_FALSE(std::filesystem::exists(m_dir / "x.bin"));
}

}  // namespace
}  // namespace panelix
