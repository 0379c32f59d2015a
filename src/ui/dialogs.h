#pragma once

#include <QFont>
#include <QString>
#include <QStringList>
#include <optional>

class QWidget;

namespace panelix::ui {

// Every question a window asks the user goes through this service, so tests can answer them.
class Dialogs {
 public:
  virtual ~Dialogs() = default;

  // File-open dialog. filters are Qt name filters ("Bitmaps (*.bmp)"), the first the default.
  // Returns the chosen path, or nothing when the user cancels.
  virtual std::optional<QString> OpenFile(QWidget* parent, const QString& title, const QString& folder,
                                          const QStringList& filters) = 0;
  // Save dialog proposing proposedName in folder. Returns the name as the user confirmed it
  // (possibly empty), or nothing when the user cancels.
  virtual std::optional<QString> SaveFile(QWidget* parent, const QString& title, const QString& folder,
                                          const QString& proposedName, const QStringList& filters) = 0;
  // Platform font dialog; returns the chosen font or nothing when cancelled.
  virtual std::optional<QFont> ChooseFont(QWidget* parent, const QFont& initial) = 0;
  // Modal message box with the text and one OK button; returns when the user confirms.
  virtual void Message(QWidget* parent, const QString& text) = 0;
};

// The real dialogs of the platform.
class QtDialogs final : public Dialogs {
 public:
  std::optional<QString> OpenFile(QWidget* parent, const QString& title, const QString& folder,
                                  const QStringList& filters) override;
  std::optional<QString> SaveFile(QWidget* parent, const QString& title, const QString& folder,
                                  const QString& proposedName, const QStringList& filters) override;
  std::optional<QFont> ChooseFont(QWidget* parent, const QFont& initial) override;
  void Message(QWidget* parent, const QString& text) override;
};

}  // namespace panelix::ui
