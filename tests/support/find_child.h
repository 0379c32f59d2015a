#pragma once

#include <gtest/gtest.h>

#include <QObject>
#include <QString>

namespace panelix::test {

// The child of a window with the given object name; a missing one fails the test and gives
// nullptr.
template <typename T>
T* FindChild(const QObject& window, const char* name) {
  T* widget = window.findChild<T*>(QString::fromLatin1(name));
  EXPECT_NE(widget, nullptr) << name;
  return widget;
}

// The same for a name built at run time ("Edit%1").
template <typename T>
T* FindChild(const QObject& window, const QString& name) {
  T* widget = window.findChild<T*>(name);
  EXPECT_NE(widget, nullptr) << name.toStdString();
  return widget;
}

}  // namespace panelix::test
