#pragma once

#include <QWidget>

#include "ui/dialogs.h"

namespace panelix::ui {

class TForm5 : public QWidget {
  Q_OBJECT
 public:
  explicit TForm5(Dialogs& dialogs, QWidget* parent = nullptr);

 private:
  Dialogs& m_dialogs;
};

}  // namespace panelix::ui
