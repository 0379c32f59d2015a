#include "ui/gif_window.h"

#include "ui/placeholder.h"

namespace panelix::ui {

TForm6::TForm6(Dialogs& dialogs, QWidget* parent) : QWidget(parent), m_dialogs(dialogs) {
  setObjectName(QStringLiteral("TForm6"));
  BuildPlaceholder(this, QStringLiteral("GIF Tool"));
}

}  // namespace panelix::ui
