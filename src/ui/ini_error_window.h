#pragma once

#include <QWidget>

#include "ui/dialogs.h"

namespace panelix::ui {

class TForm10 : public QWidget {
  Q_OBJECT
 public:
  explicit TForm10(Dialogs& dialogs, QWidget* parent = nullptr);

 private:
  Dialogs& m_dialogs;
};

}  // namespace panelix::ui
