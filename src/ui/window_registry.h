#pragma once

#include <memory>

#include "ui/bootloader_window.h"
#include "ui/combiner_window.h"
#include "ui/cursor_window.h"
#include "ui/dialogs.h"
#include "ui/font_window.h"
#include "ui/gif_window.h"
#include "ui/ini_error_window.h"
#include "ui/inspect_window.h"
#include "ui/main_window.h"
#include "ui/project_window.h"
#include "ui/wav_window.h"

namespace panelix::ui {

// The nine windows of the workbench, created once at start-up and living until the process ends.
struct Windows {
  std::unique_ptr<TForm1> form1;
  std::unique_ptr<TForm2> form2;
  std::unique_ptr<TForm3> form3;
  std::unique_ptr<TForm4> form4;
  std::unique_ptr<TForm5> form5;
  std::unique_ptr<TForm6> form6;
  std::unique_ptr<TForm7> form7;
  std::unique_ptr<TForm8> form8;
  std::unique_ptr<TForm10> form10;
  std::unique_ptr<InspectWindow> inspect;
};

// Creates the windows in registry order (main window first, all others hidden) and wires the
// main window's menu to them.
Windows CreateWindows(Dialogs& dialogs);

}  // namespace panelix::ui
