#pragma once

#include <QString>
#include <QWidget>
#include <string>
#include <vector>

#include "project/make_bin.h"
#include "project/project_file.h"
#include "ui/dialogs.h"

class QCheckBox;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace panelix::ui {

class TForm10;

// A project line (bytes in the system's 8-bit code page) as the window shows it: decoded, with
// control characters such as the carriage return of a CR LF file left out.
QString ProjectLineText(const std::string& bytes);

// The project builder: the bin list, the command list of the project file, and Make Bin, which
// turns both into the info bin, its report and the flash image.
class TForm8 : public QWidget {
  Q_OBJECT
 public:
  explicit TForm8(Dialogs& dialogs, QWidget* parent = nullptr);

  // The window that shows the order report of the command list.
  void SetErrorWindow(TForm10* errorWindow) { m_errorWindow = errorWindow; }

  // The lists as Make Bin reads them.
  const project::ListState& BinList() const { return m_bins; }
  const project::ListState& CommandList() const { return m_commands; }

  void BtnAddAllClick();
  void BtnRemoveClick();
  void BtnUPClick();
  void BtnDNClick();
  void BtnCloseClick();
  void Button1Click();
  void BtnPortMonitorClick();
  void BtnInsertClick();
  void BtnRemCmdClick();
  void BtnUpCmdClick();
  void BtnDnCmdClick();
  void BtnInputClick();
  void BtnSaveClick();
  void ListBox2Click(int row);
  // Enter in the edit line.
  void Edit1Enter();

 private:
  void BuildControls();
  QPushButton* AddButton(const char* objectName, const char* caption, void (TForm8::*handler)());
  // Runs one user action; a failure that ends it is shown in a message box.
  template <typename Action>
  void Run(Action&& action);
  void OpenProject(bool fromBinList);
  void MakeBin();
  void ShowWarnings(const project::MakeBinInput& input, const project::BuiltImage& image);
  // The dialog folder for a remembered folder: the process's current folder while it is empty.
  static QString StartFolder(const std::string& folder);
  // The edit line as bytes: the line it was copied from while the user has not changed it.
  std::string EditLineBytes() const;
  void SetEditLine(const std::string& bytes);
  void ShowBinList();
  void ShowCommandList();

  Dialogs& m_dialogs;
  TForm10* m_errorWindow = nullptr;

  project::ListState m_bins;
  project::ListState m_commands;
  std::string m_editBytes;
  QString m_editShown;
  bool m_refreshing = false;
  // What the two list widgets show now.
  std::vector<std::string> m_shownBins;
  std::vector<std::string> m_shownCommands;

  // Folders end with "/"; empty until first used.
  std::string m_binFolder;
  std::string m_projectFolder;
  std::string m_outputFolder;
  std::string m_saveFolder;

  QListWidget* m_listBox1 = nullptr;
  QListWidget* m_listBox2 = nullptr;
  QListWidget* m_listBox3 = nullptr;
  QLineEdit* m_edit1 = nullptr;
  QCheckBox* m_checkBoxNFBIN = nullptr;
};

}  // namespace panelix::ui
