#include "ui/cursor_window.h"

#include "ui/placeholder.h"

namespace panelix::ui {

TForm3::TForm3(Dialogs& dialogs, QWidget* parent) : QWidget(parent), m_dialogs(dialogs) {
  setObjectName(QStringLiteral("TForm3"));
  BuildPlaceholder(this, QStringLiteral("Cursor tool"));
}

}  // namespace panelix::ui
