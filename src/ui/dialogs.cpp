#include "ui/dialogs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFontDialog>
#include <QMessageBox>
#include <QRegularExpression>

namespace panelix::ui {

namespace {

// The tools' filters list their patterns the way users know them, separated by ";"
// ("All(*.gif;*.GIF)"); Qt separates patterns by spaces. Each filter keeps its text for the
// user and gets a hidden pattern list Qt can read.
void SetFilters(QFileDialog& dialog, const QStringList& filters) {
  static const QRegularExpression kPatterns(QStringLiteral("\\(([^()]*)\\)\\s*$"));
  QStringList readable;
  for (const QString& filter : filters) {
    const QRegularExpressionMatch match = kPatterns.match(filter);
    QString patterns = match.hasMatch() ? match.captured(1) : filter;
    patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
    readable << filter + QStringLiteral(" (") + patterns.simplified() + QLatin1Char(')');
  }
  dialog.setOption(QFileDialog::HideNameFilterDetails, true);
  dialog.setNameFilters(readable);
}

}  // namespace

std::optional<QString> QtDialogs::OpenFile(QWidget* parent, const QString& title, const QString& folder,
                                           const QStringList& filters) {
  QFileDialog dialog(parent, title, folder);
  dialog.setFileMode(QFileDialog::ExistingFile);
  SetFilters(dialog, filters);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
    return std::nullopt;
  }
  return QDir::toNativeSeparators(dialog.selectedFiles().first());
}

std::optional<QString> QtDialogs::SaveFile(QWidget* parent, const QString& title, const QString& folder,
                                           const QString& proposedName, const QStringList& filters) {
  QFileDialog dialog(parent, title, folder);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  // The tools add their own extension rule; the dialog must not.
  dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
  SetFilters(dialog, filters);
  dialog.selectFile(proposedName);
  if (dialog.exec() != QDialog::Accepted) {
    return std::nullopt;
  }
  const QStringList files = dialog.selectedFiles();
  return files.isEmpty() ? QString() : QDir::toNativeSeparators(files.first());
}

std::optional<QFont> QtDialogs::ChooseFont(QWidget* parent, const QFont& initial) {
  bool ok = false;
  const QFont font = QFontDialog::getFont(&ok, initial, parent);
  if (!ok) {
    return std::nullopt;
  }
  return font;
}

void QtDialogs::Message(QWidget* parent, const QString& text) {
  QMessageBox box(parent);
  box.setWindowTitle(QCoreApplication::applicationName());
  box.setText(text);
  box.setStandardButtons(QMessageBox::Ok);
  box.exec();
}

}  // namespace panelix::ui
