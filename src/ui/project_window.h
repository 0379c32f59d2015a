#pragma once

#include <QWidget>

#include "ui/dialogs.h"

namespace panelix::ui {

class TForm8 : public QWidget {
  Q_OBJECT
 public:
  explicit TForm8(Dialogs& dialogs, QWidget* parent = nullptr);

 private:
  Dialogs& m_dialogs;
};

}  // namespace panelix::ui
