// panelix-workbench: start-up of the workbench and its event loop.
#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <exception>
#include <utility>
#include <vector>

#include "base/allocation.h"
#include "commands/compiler.h"
#include "ui/dialogs.h"
#include "ui/window_registry.h"

namespace {

// An error that escapes an event handler is shown with its own text; the workbench carries on.
class WorkbenchApplication final : public QApplication {
 public:
  WorkbenchApplication(int& argc, char** argv, panelix::ui::Dialogs& dialogs)
      : QApplication(argc, argv), m_dialogs(dialogs) {}

  bool notify(QObject* receiver, QEvent* event) override {
    try {
      return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
      m_dialogs.Message(activeWindow(), QString::fromUtf8(e.what()));
    } catch (...) {
      m_dialogs.Message(activeWindow(), QStringLiteral("Unknown error"));
    }
    return false;
  }

 private:
  panelix::ui::Dialogs& m_dialogs;
};

// The nine windows with the file names of their pictures, in registry order.
std::vector<std::pair<QWidget*, QString>> Named(const panelix::ui::Windows& w) {
  return {{w.form1.get(), QStringLiteral("main-window")}, {w.form2.get(), QStringLiteral("bootloader")},
          {w.form3.get(), QStringLiteral("cursor")},      {w.form4.get(), QStringLiteral("font")},
          {w.form5.get(), QStringLiteral("binfile")},     {w.form6.get(), QStringLiteral("gif")},
          {w.form7.get(), QStringLiteral("wav")},         {w.form8.get(), QStringLiteral("project")},
          {w.form10.get(), QStringLiteral("ini-error")}};
}

// Shows each window in turn at its design size and saves a picture of it as <folder>/<name>.png
// (for the documentation). Returns the process's exit status.
int SaveScreenshots(const panelix::ui::Windows& windows, const QString& folder) {
  if (!QDir().mkpath(folder)) {
    return 1;
  }
  // The error window shows what the order check reports for commands typed out of order.
  const std::vector<std::string> project{" ",
                                         "[INFO]",
                                         "PCVersion = 1.2",
                                         "COMPort = UART",
                                         "Baudrate = 115200",
                                         "PCBVersion = 2.0",
                                         "MCUBit = 32",
                                         "MCUType = STM",
                                         "CX9Type = CX-2",
                                         " ",
                                         "[USERCMD]",
                                         "80h #00 : 0, 1, 0x0000, 0x0000",
                                         "80h #02 : 1, 2, 0x0100, 0x0040",
                                         "80h #01 : 2, 3, 0x0200, 0x0080",
                                         "8Ah #03 : 2, 3, 0x0200, 0x0020",
                                         "8Ah #01 : 1, 1, 0x0100, 0x0010"};
  windows.form10->ShowReport(panelix::commands::CheckCommandOrder(project).report);
  windows.form10->hide();
  int status = 0;
  for (const auto& [window, name] : Named(windows)) {
    const QSize designSize = window->size();
    window->setWindowState(Qt::WindowNoState);
    window->resize(designSize);
    window->show();
    for (int i = 0; i < 5; ++i) {
      QApplication::processEvents();
    }
    if (!window->grab().save(folder + QLatin1Char('/') + name + QStringLiteral(".png"))) {
      status = 1;
    }
    window->hide();
  }
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  panelix::ReuseLargeBuffers();
  panelix::ui::QtDialogs dialogs;
  WorkbenchApplication app(argc, argv, dialogs);
  QApplication::setApplicationName(QStringLiteral("Panelix"));
  panelix::ui::Windows windows = panelix::ui::CreateWindows(dialogs);

  // Not a user option: the documentation's pictures are made with --screenshots FOLDER.
  const QStringList args = QApplication::arguments();
  if (const qsizetype at = args.indexOf(QStringLiteral("--screenshots")); at >= 0 && at + 1 < args.size()) {
    return SaveScreenshots(windows, args[at + 1]);
  }

  // Closing the main window ends the workbench, tool windows included.
  windows.form1->setAttribute(Qt::WA_QuitOnClose, true);
  for (const auto& [window, name] : Named(windows)) {
    if (window != windows.form1.get()) {
      window->setAttribute(Qt::WA_QuitOnClose, false);
    }
  }
  QObject::connect(&app, &QApplication::lastWindowClosed, &app, &QApplication::quit);
  windows.form1->showMaximized();
  return QApplication::exec();
}
