// panelix-workbench: start-up of the workbench and its event loop.
#include <QApplication>
#include <QMessageBox>
#include <exception>

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

}  // namespace

int main(int argc, char** argv) {
  panelix::ui::QtDialogs dialogs;
  WorkbenchApplication app(argc, argv, dialogs);
  QApplication::setApplicationName(QStringLiteral("Panelix"));
  panelix::ui::Windows windows = panelix::ui::CreateWindows(dialogs);
  windows.form1->showMaximized();
  QObject::connect(&app, &QApplication::lastWindowClosed, &app, &QApplication::quit);
  // Closing the main window ends the workbench, tool windows included.
  windows.form1->setAttribute(Qt::WA_QuitOnClose, true);
  for (QWidget* tool : std::initializer_list<QWidget*>{
           windows.form2.get(), windows.form3.get(), windows.form4.get(), windows.form5.get(),
           windows.form6.get(), windows.form7.get(), windows.form8.get(), windows.form10.get()}) {
    tool->setAttribute(Qt::WA_QuitOnClose, false);
  }
  return QApplication::exec();
}
