#include "ui/project_window.h"

#include "ui/placeholder.h"

namespace panelix::ui {

TForm8::TForm8(Dialogs& dialogs, QWidget* parent) : QWidget(parent), m_dialogs(dialogs) {
  setObjectName(QStringLiteral("TForm8"));
  BuildPlaceholder(this, QStringLiteral("Panelix Tool  New C0C3Test"));
}

}  // namespace panelix::ui
