#include <gtest/gtest.h>

#include <QApplication>
#include <QMenuBar>

#include "support/scripted_dialogs.h"
#include "ui/window_registry.h"

namespace panelix {
namespace {

TEST(WindowRegistry, CreatesTheNineWindowsWithTheirCaptionsAndTheMenuShowsThem) {
  test::ScriptedDialogs dialogs;
  ui::Windows w = ui::CreateWindows(dialogs);
  const std::vector<std::pair<QWidget*, const char*>> expected{
      {w.form1.get(), "Panelix Tool V2.04  128K  Bmp ID two bytes"},
      {w.form2.get(), "Creat bootloader in spiflash"},
      {w.form3.get(), "Cursor tool"},
      {w.form4.get(), "Creat Chinese Font Lib "},
      {w.form5.get(), "BinFile Combine"},
      {w.form6.get(), "GIF Tool"},
      {w.form7.get(), "WAV Tool"},
      {w.form8.get(), "Panelix Tool  New C0C3Test"},
      {w.form10.get(), "Ini error message"},
      {w.inspect.get(), "Inspect"}};
  for (const auto& [window, caption] : expected) {
    EXPECT_EQ(window->windowTitle(), QString::fromUtf8(caption));
    EXPECT_FALSE(window->isVisible());
  }
  const std::vector<std::pair<const char*, QWidget*>> menu{
      {"Bootloader1", w.form2.get()}, {"ICON1", w.form3.get()},     {"Font1", w.form4.get()},
      {"BinFile1", w.form5.get()},    {"GIFTool1", w.form6.get()},  {"WAVTool1", w.form7.get()},
      {"Panelix1", w.form8.get()},    {"Inspect1", w.inspect.get()}};
  for (const auto& [name, window] : menu) {
    auto* action = w.form1->findChild<QAction*>(QString::fromLatin1(name));
    ASSERT_NE(action, nullptr) << name;
    action->trigger();
    EXPECT_TRUE(window->isVisible()) << name;
    // Closing only hides; showing again keeps the window as it was.
    window->close();
    EXPECT_FALSE(window->isVisible());
  }
}

}  // namespace
}  // namespace panelix
