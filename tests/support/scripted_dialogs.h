#pragma once

#include <QFont>
#include <QString>
#include <QStringList>
#include <deque>
#include <optional>

#include "ui/dialogs.h"

namespace panelix::test {

// Answers a window's dialogs from queues filled by the test and records every message shown.
// An unexpected dialog (empty queue) is answered with "cancel" and counted in unexpected.
class ScriptedDialogs final : public ui::Dialogs {
 public:
  std::deque<std::optional<QString>> openAnswers;
  std::deque<std::optional<QString>> saveAnswers;
  std::deque<std::optional<QFont>> fontAnswers;
  QStringList messages;
  // What the last open and save dialogs were asked.
  QString lastSaveProposed;
  QString lastSaveFolder;
  QStringList lastFilters;
  int unexpected = 0;

  std::optional<QString> OpenFile(QWidget*, const QString&, const QString&,
                                  const QStringList& filters) override {
    lastFilters = filters;
    return Next(openAnswers);
  }
  std::optional<QString> SaveFile(QWidget*, const QString&, const QString& folder,
                                  const QString& proposedName, const QStringList& filters) override {
    lastSaveProposed = proposedName;
    lastSaveFolder = folder;
    lastFilters = filters;
    return Next(saveAnswers);
  }
  std::optional<QFont> ChooseFont(QWidget*, const QFont&) override { return Next(fontAnswers); }
  void Message(QWidget*, const QString& text) override { messages << text; }

 private:
  template <typename T>
  std::optional<T> Next(std::deque<std::optional<T>>& queue) {
    if (queue.empty()) {
      ++unexpected;
      return std::nullopt;
    }
    std::optional<T> answer = queue.front();
    queue.pop_front();
    return answer;
  }
};

}  // namespace panelix::test
