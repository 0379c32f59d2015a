#include "ui/font_window.h"

#include "ui/placeholder.h"

namespace panelix::ui {

TForm4::TForm4(Dialogs& dialogs, QWidget* parent) : QWidget(parent), m_dialogs(dialogs) {
  setObjectName(QStringLiteral("TForm4"));
  BuildPlaceholder(this, QStringLiteral("Creat Chinese Font Lib "));
}

}  // namespace panelix::ui
