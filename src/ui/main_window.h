#pragma once

#include <QMainWindow>
#include <array>
#include <memory>
#include <optional>

#include "picture/conversion_run.h"
#include "picture/loading.h"
#include "ui/dialogs.h"
#include "ui/widgets.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTimer;

namespace panelix::ui {

class RadioGroup;

// The main window: the picture converter, with the menu that shows the other tools. It lists the
// pictures of a folder, shows the selected one and converts one or all of them into a bin and its
// address list, one picture per timer step so the window stays usable during a run.
class TForm1 : public QMainWindow {
  Q_OBJECT
 public:
  // The tool windows in menu order: Bootloader, Cursor, Font, BinFile, GIFTool, WAVTool, Panelix.
  using ToolWindows = std::array<QWidget*, 8>;

  explicit TForm1(Dialogs& dialogs, QWidget* parent = nullptr);
  ~TForm1() override;
  void SetToolWindows(const ToolWindows& tools) { m_tools = tools; }

  // Delays of a run's timer steps: the first step after firstMs, each further one after nextMs,
  // and the pause of the "Exit" button (500, 50 and 300 ms unless a test shortens them).
  void SetRunDelays(int firstMs, int nextMs, int exitMs = 300);
  // How many pictures "All Convert" decodes on a thread of its own ahead of the picture it
  // encodes (kLookAheadDepth unless a test changes it); 0 decodes each picture in its step.
  static constexpr std::size_t kLookAheadDepth = 2;
  void SetLookAheadDepth(std::size_t depth);

  // The window's current picture (what Image1 shows and the converters read).
  const picture::Preview& CurrentPreview() const { return m_preview; }
  const picture::ConversionRun& Run() const { return m_run; }
  // The folder of the last file chosen with "Input Picture", with a trailing separator.
  const QString& Folder() const { return m_folder; }

 public slots:
  void BtnInputPictureClick();
  void ListBox1Click();
  void BtnBmpUPClick();
  void BtnBmpDownClick();
  void BtnSConvertClick();
  void BtnMConvertClick();
  void BtnExitClick();
  void Timer1Timer();
  void File1Click();
  void Bootloader1Click();
  void ICON1Click();
  void Font1Click();
  void BinFile1Click();
  void GIFTool1Click();
  void WAVTool1Click();
  void Panelix1Click();
  void Inspect1Click();
  void FormShow();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  class Host;

  QWidget* BuildControlPanel();
  QWidget* BuildPictureArea();
  void BuildMenu();
  void ShowTool(std::size_t index);

  // Reads the controls into the options of the next picture.
  picture::ConvertOptions Options() const;
  // Loads a file into the preview and shows it; errors propagate.
  void LoadIntoPreview(const QString& path);
  void ShowPreview();
  void StartRun(bool all);
  // One message box listing the pictures whose decoder warned during the run that just ended.
  void ShowPictureWarnings();

  Dialogs& m_dialogs;
  ToolWindows m_tools{};
  std::unique_ptr<Host> m_host;

  QPushButton* m_btnInputPicture = nullptr;
  QPushButton* m_btnSConvert = nullptr;
  QPushButton* m_btnMConvert = nullptr;
  QPushButton* m_btnExit = nullptr;
  QComboBox* m_comboBox1 = nullptr;
  RadioGroup* m_radioGroup1 = nullptr;
  RadioGroup* m_radioGroup2 = nullptr;
  QLineEdit* m_editAPNG = nullptr;
  QLabel* m_label1 = nullptr;
  QCheckBox* m_checkBoxY = nullptr;
  QCheckBox* m_checkBoxX = nullptr;
  QCheckBox* m_checkBoxNBin = nullptr;
  QCheckBox* m_checkBoxKZPng = nullptr;
  QPushButton* m_btnBmpUP = nullptr;
  QPushButton* m_btnBmpDown = nullptr;
  QPlainTextEdit* m_memo1 = nullptr;
  QComboBox* m_comboDither = nullptr;
  QLabel* m_image1 = nullptr;
  QListWidget* m_listBox1 = nullptr;
  QProgressBar* m_progressBar1 = nullptr;
  QTimer* m_timer1 = nullptr;

  QString m_folder;
  picture::Preview m_preview;
  picture::ConversionRun m_run;
  int m_firstDelayMs = 500;
  int m_nextDelayMs = 50;
  int m_exitDelayMs = 300;
  bool m_exiting = false;
  StepQueue m_steps;
};

}  // namespace panelix::ui
