#include "ui/bootloader_window.h"

#include "ui/placeholder.h"

namespace panelix::ui {

TForm2::TForm2(Dialogs& dialogs, QWidget* parent) : QWidget(parent), m_dialogs(dialogs) {
  setObjectName(QStringLiteral("TForm2"));
  BuildPlaceholder(this, QStringLiteral("Creat bootloader in spiflash"));
}

}  // namespace panelix::ui
