#pragma once

#include <QMainWindow>
#include <array>

#include "ui/dialogs.h"

namespace panelix::ui {

// The main window: the picture converter, with the menu that shows the other tools.
class TForm1 : public QMainWindow {
  Q_OBJECT
 public:
  // The tool windows in menu order: Bootloader, Cursor, Font, BinFile, GIFTool, WAVTool, Panelix.
  using ToolWindows = std::array<QWidget*, 7>;

  explicit TForm1(Dialogs& dialogs, QWidget* parent = nullptr);
  void SetToolWindows(const ToolWindows& tools) { m_tools = tools; }

 private:
  void BuildMenu();
  void ShowTool(std::size_t index);

  Dialogs& m_dialogs;
  ToolWindows m_tools{};
};

}  // namespace panelix::ui
