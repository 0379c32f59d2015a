#include "ui/inspect_window.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>

#include "inspect/inspect_fixture.h"
#include "support/find_child.h"
#include "support/scripted_dialogs.h"

namespace panelix {
namespace {

using namespace panelix::inspect::test;

// Open an image: the tables fill the tree, a picture under the selection is drawn, the problems
// list says "OK"; a damaged image lists its problems.
TEST(InspectWindowTest, OpenShowsTablesPictureAndProblems) {
  const SampleProject project;
  const auto path = project.WriteImage();
  test::ScriptedDialogs dialogs;
  ui::InspectWindow window(dialogs);
  dialogs.openAnswers.push_back(QString::fromStdString(path.string()));
  test::FindChild<QPushButton>(window, "BtnOpen")->click();
  ASSERT_EQ(window.ListProblems()->count(), 1);
  EXPECT_EQ(window.ListProblems()->item(0)->text(), QStringLiteral("OK"));
  QTreeWidget* tree = window.TreeTables();
  QTreeWidgetItem* pictures = nullptr;
  for (int i = 0; i < tree->topLevelItemCount(); ++i) {
    if (tree->topLevelItem(i)->text(0).startsWith(QStringLiteral("Pictures"))) {
      pictures = tree->topLevelItem(i);
    }
  }
  ASSERT_NE(pictures, nullptr);
  ASSERT_GT(pictures->childCount(), 1);
  tree->setCurrentItem(pictures->child(0));
  ASSERT_FALSE(window.ImagePreview()->pixmap().isNull());
  EXPECT_EQ(window.ImagePreview()->pixmap().width(), 16);

  std::vector<std::uint8_t> bad = ReadBytes(path);
  bad[0x601] = static_cast<std::uint8_t>(bad[0x601] + 1);
  WriteBytes(path, bad);
  window.OpenImage(QString::fromStdString(path.string()));
  EXPECT_NE(window.ListProblems()->item(0)->text(), QStringLiteral("OK"));

  window.OpenImage(QString::fromStdString((project.dir / "missing.bin").string()));
  ASSERT_EQ(dialogs.messages.size(), 1);
  EXPECT_TRUE(dialogs.messages.front().startsWith(QStringLiteral("Can't open ")));
}

}  // namespace
}  // namespace panelix
