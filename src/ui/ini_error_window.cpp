#include "ui/ini_error_window.h"

#include "ui/placeholder.h"

namespace panelix::ui {

TForm10::TForm10(Dialogs& dialogs, QWidget* parent) : QWidget(parent), m_dialogs(dialogs) {
  setObjectName(QStringLiteral("TForm10"));
  BuildPlaceholder(this, QStringLiteral("Ini error message"));
}

}  // namespace panelix::ui
