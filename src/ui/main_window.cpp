#include "ui/main_window.h"

#include <QMenuBar>

namespace panelix::ui {

TForm1::TForm1(Dialogs& dialogs, QWidget* parent) : QMainWindow(parent), m_dialogs(dialogs) {
  setObjectName(QStringLiteral("TForm1"));
  setWindowTitle(QStringLiteral("Panelix Tool V2.04  128K  Bmp ID two bytes"));
  resize(1124, 637);
  BuildMenu();
}

void TForm1::BuildMenu() {
  struct Entry {
    const char* objectName;
    const char* caption;
  };
  static constexpr std::array<Entry, 7> kTools{{{"Bootloader1", "Bootloader"},
                                                {"ICON1", "Cursor"},
                                                {"Font1", "Font"},
                                                {"BinFile1", "BinFile"},
                                                {"GIFTool1", "GIFTool"},
                                                {"WAVTool1", "WAVTool"},
                                                {"Panelix1", "Panelix"}}};
  QAction* exit = menuBar()->addAction(QStringLiteral("Exit"));
  exit->setObjectName(QStringLiteral("File1"));
  connect(exit, &QAction::triggered, this, &QWidget::close);
  for (std::size_t i = 0; i < kTools.size(); ++i) {
    QAction* action = menuBar()->addAction(QString::fromLatin1(kTools[i].caption));
    action->setObjectName(QString::fromLatin1(kTools[i].objectName));
    connect(action, &QAction::triggered, this, [this, i] { ShowTool(i); });
  }
}

void TForm1::ShowTool(std::size_t index) {
  QWidget* tool = m_tools.at(index);
  if (tool == nullptr) {
    return;
  }
  tool->show();
  tool->raise();
  tool->activateWindow();
}

}  // namespace panelix::ui
