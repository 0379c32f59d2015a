#pragma once

#include <QLabel>
#include <QString>
#include <QVBoxLayout>
#include <QWidget>

namespace panelix::ui {

// Gives a tool window whose tool is not built yet its caption and a line saying so.
inline void BuildPlaceholder(QWidget* window, const QString& caption) {
  window->setWindowTitle(caption);
  auto* layout = new QVBoxLayout(window);
  auto* label = new QLabel(QStringLiteral("This tool is not built yet."), window);
  label->setObjectName(QStringLiteral("LabelNotBuilt"));
  layout->addWidget(label);
  window->resize(480, 200);
}

}  // namespace panelix::ui
