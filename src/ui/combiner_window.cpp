#include "ui/combiner_window.h"

#include "ui/placeholder.h"

namespace panelix::ui {

TForm5::TForm5(Dialogs& dialogs, QWidget* parent) : QWidget(parent), m_dialogs(dialogs) {
  setObjectName(QStringLiteral("TForm5"));
  BuildPlaceholder(this, QStringLiteral("BinFile Combine"));
}

}  // namespace panelix::ui
