#pragma once

#include <QWidget>
#include <string>
#include <vector>

#include "ui/dialogs.h"

class QPlainTextEdit;

namespace panelix::ui {

// "Ini error message": the window in which Make Bin shows the order report of the command list.
class TForm10 : public QWidget {
  Q_OBJECT
 public:
  explicit TForm10(Dialogs& dialogs, QWidget* parent = nullptr);

  // Clears the memo; every order check starts with an empty report.
  void ClearReport();
  // Fills the memo with the report lines (text in the system's 8-bit code page, one memo line
  // each) and shows the window without waiting for it to be closed.
  void ShowReport(const std::vector<std::string>& lines);

  QPlainTextEdit* Memo1() const { return m_memo; }

 private:
  Dialogs& m_dialogs;
  QPlainTextEdit* m_memo = nullptr;
};

}  // namespace panelix::ui
