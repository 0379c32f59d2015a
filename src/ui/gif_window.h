#pragma once

#include <QWidget>
#include <memory>
#include <vector>

#include "gif/gif_run.h"
#include "picture/rgb_image.h"
#include "ui/dialogs.h"
#include "ui/widgets.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTimer;

namespace panelix::ui {

class RadioGroup;

// The GIF converter: lists the GIF files of a folder, previews the first frame of the selected
// one and converts every frame of one or all of them into a bin with its address list, one GIF
// per timer step. Closing only hides it; its list, memo and work canvas stay.
class TForm6 : public QWidget {
  Q_OBJECT
 public:
  explicit TForm6(Dialogs& dialogs, QWidget* parent = nullptr);
  ~TForm6() override;

  // Delays of a run's timer steps (500 and 50 ms unless a test shortens them).
  void SetRunDelays(int firstMs, int nextMs);
  // How many GIFs "All Convert" decodes on a thread of its own ahead of the one it converts
  // (kLookAheadDepth unless a test changes it); 0 decodes each GIF in its step.
  static constexpr std::size_t kLookAheadDepth = 1;
  void SetLookAheadDepth(std::size_t depth);

  const gif::GifRun& Run() const { return m_run; }
  // The picture frames are drawn onto; it lives as long as the window.
  const picture::RgbImage& WorkCanvas() const { return m_canvas; }
  const QString& Folder() const { return m_folder; }
  // The address-list text as the file will hold it: one string per memo line, frame rows with
  // their own line feed at the end.
  std::vector<std::string> MemoLines() const;

 public slots:
  void Button1Click();
  void ListBox1Click();
  void BtnSConvertClick();
  void BtnAConvertClick();
  void Button2Click();
  void Timer1Timer();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  class Host;

  QWidget* BuildControlPanel();
  QWidget* BuildPictureArea();
  picture::PictureOptions Options() const;
  // Draws frame 0 of folder + name onto the work canvas and shows it turned; errors propagate.
  void PreviewEntry(const QString& name);
  void StartRun(bool all);

  Dialogs& m_dialogs;
  std::unique_ptr<Host> m_host;

  QGroupBox* m_ctrl = nullptr;
  QPushButton* m_button1 = nullptr;
  QPushButton* m_btnSConvert = nullptr;
  QPushButton* m_btnAConvert = nullptr;
  QPushButton* m_button2 = nullptr;
  QComboBox* m_comboBox1 = nullptr;
  RadioGroup* m_radioGroup1 = nullptr;
  RadioGroup* m_radioGroup2 = nullptr;
  QCheckBox* m_checkBoxX = nullptr;
  QCheckBox* m_checkBoxY = nullptr;
  QCheckBox* m_checkBoxNBin = nullptr;
  QComboBox* m_comboDither = nullptr;
  QListWidget* m_listBox1 = nullptr;
  QLabel* m_image1 = nullptr;
  QPlainTextEdit* m_memo1 = nullptr;
  QProgressBar* m_progressBar1 = nullptr;
  QTimer* m_timer1 = nullptr;

  QString m_folder;
  picture::RgbImage m_canvas;
  gif::GifRun m_run;
  int m_firstDelayMs = 500;
  int m_nextDelayMs = 50;
  StepQueue m_steps;
};

}  // namespace panelix::ui
