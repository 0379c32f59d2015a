#include "ui/wav_window.h"

#include "ui/placeholder.h"

namespace panelix::ui {

TForm7::TForm7(Dialogs& dialogs, QWidget* parent) : QWidget(parent), m_dialogs(dialogs) {
  setObjectName(QStringLiteral("TForm7"));
  BuildPlaceholder(this, QStringLiteral("WAV Tool"));
}

}  // namespace panelix::ui
