#pragma once

#include <QWidget>

#include "ui/dialogs.h"

namespace panelix::ui {

class TForm2 : public QWidget {
  Q_OBJECT
 public:
  explicit TForm2(Dialogs& dialogs, QWidget* parent = nullptr);

 private:
  Dialogs& m_dialogs;
};

}  // namespace panelix::ui
