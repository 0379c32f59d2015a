#pragma once

#include <QWidget>

#include "ui/dialogs.h"

namespace panelix::ui {

class TForm3 : public QWidget {
  Q_OBJECT
 public:
  explicit TForm3(Dialogs& dialogs, QWidget* parent = nullptr);

 private:
  Dialogs& m_dialogs;
};

}  // namespace panelix::ui
