// Times the main window's "All Convert" over the pictures of a folder, offscreen, or the GIF
// window's when PICTURE is a GIF:
//   bench_window_run PICTURE OUT [LOOK_AHEAD [FIRST_MS NEXT_MS]]
// PICTURE is one picture of the folder (the window lists the whole folder), OUT the bin to write,
// LOOK_AHEAD the pictures decoded ahead (the window's default unless given), FIRST_MS and NEXT_MS
// the timer steps' delays (500 and 50 as in the window unless given). Prints the run's wall time
// and the CPU time of the window's own thread.
#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>
#include <ctime>
#include <string>

#include "base/allocation.h"
#include "ui/dialogs.h"
#include "ui/gif_window.h"
#include "ui/main_window.h"

namespace {

// Answers the open and save dialogs with the given names; messages are counted, not shown.
class Answers final : public panelix::ui::Dialogs {
 public:
  Answers(QString open, QString save) : m_open(std::move(open)), m_save(std::move(save)) {}
  std::optional<QString> OpenFile(QWidget*, const QString&, const QString&, const QStringList&) override {
    return m_open;
  }
  std::optional<QString> SaveFile(QWidget*, const QString&, const QString&, const QString&,
                                  const QStringList&) override {
    return m_save;
  }
  std::optional<QFont> ChooseFont(QWidget*, const QFont&) override { return std::nullopt; }
  void Message(QWidget*, const QString& text) override { std::fprintf(stderr, "%s\n", qPrintable(text)); }

 private:
  QString m_open;
  QString m_save;
};

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
  panelix::ReuseLargeBuffers();  // as the workbench does
  QApplication app(argc, argv);
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s PICTURE OUT [LOOK_AHEAD [FIRST_MS NEXT_MS]]\n", argv[0]);
    return 2;
  }
  Answers answers(QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]));
  const bool gif = QString::fromLocal8Bit(argv[1]).endsWith(QStringLiteral(".gif"), Qt::CaseInsensitive);
  panelix::ui::TForm1 window(answers);
  panelix::ui::TForm6 gifWindow(answers);
  if (argc > 3) {
    window.SetLookAheadDepth(std::stoul(argv[3]));
    gifWindow.SetLookAheadDepth(std::stoul(argv[3]));
  }
  if (argc > 5) {
    window.SetRunDelays(std::stoi(argv[4]), std::stoi(argv[5]), 0);
    gifWindow.SetRunDelays(std::stoi(argv[4]), std::stoi(argv[5]));
  }
  if (gif) {
    gifWindow.Button1Click();
  } else {
    window.BtnInputPictureClick();
  }
  timespec cpuStart{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpuStart);
  QElapsedTimer clock;
  clock.start();
  if (gif) {
    gifWindow.BtnAConvertClick();
  } else {
    window.BtnMConvertClick();
  }
  const auto running = [&] { return gif ? gifWindow.Run().Running() : window.Run().Running(); };
  while (running()) {
    QApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
  const double wall = static_cast<double>(clock.nsecsElapsed()) / 1e9;
  timespec cpuEnd{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpuEnd);
  const double cpu = static_cast<double>(cpuEnd.tv_sec - cpuStart.tv_sec) +
                     static_cast<double>(cpuEnd.tv_nsec - cpuStart.tv_nsec) / 1e9;
  const int done = gif ? gifWindow.Run().CurrentIndex() : window.Run().PicturesDone();
  std::printf("%d %s in %.3f s, the window's thread busy %.3f s\n", done, gif ? "GIFs" : "pictures", wall,
              cpu);
  const auto outcome = gif ? gifWindow.Run().Outcome() : window.Run().Outcome();
  return outcome == panelix::picture::RunOutcome::Succeeded ? 0 : 1;
}
