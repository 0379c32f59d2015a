#include "ui/ini_error_window.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QScreen>
#include <QVBoxLayout>

#include "ui/project_window.h"
#include "ui/widgets.h"

namespace panelix::ui {

TForm10::TForm10(Dialogs& dialogs, QWidget* parent) : QWidget(parent), m_dialogs(dialogs) {
  setObjectName(QStringLiteral("TForm10"));
  setWindowTitle(QStringLiteral("Ini error message"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  m_memo = new QPlainTextEdit(this);
  m_memo->setObjectName(QStringLiteral("Memo1"));
  m_memo->setAccessibleName(QStringLiteral("Order report"));
  m_memo->setLineWrapMode(QPlainTextEdit::NoWrap);
  m_memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  m_memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  // The report lines up its columns, so it is shown in a fixed-pitch face.
  QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  font.setStyleHint(QFont::TypeWriter);
  font.setFixedPitch(true);
  font.setPixelSize(16);
  m_memo->setFont(font);
  layout->addWidget(m_memo);
  resize(703, 517);
  PlaceOnScreen(this);
}

void TForm10::ClearReport() {
  m_memo->clear();
}

void TForm10::ShowReport(const std::vector<std::string>& lines) {
  QStringList text;
  text.reserve(static_cast<qsizetype>(lines.size()));
  for (const std::string& line : lines) {
    text << ProjectLineText(line);
  }
  m_memo->setPlainText(text.join(QLatin1Char('\n')));
  show();
  raise();
}

}  // namespace panelix::ui
