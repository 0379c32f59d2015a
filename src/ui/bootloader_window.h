#pragma once

#include <QWidget>
#include <cstdint>
#include <span>
#include <string>

#include "bootloader/parameters.h"
#include "ui/dialogs.h"

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace panelix::ui {

// The bootloader generator, "Creat bootloader in spiflash": panel timing and controller settings
// in, the bootloader block out, shown as hexadecimal text and saved as a bin.
class TForm2 : public QWidget {
  Q_OBJECT
 public:
  explicit TForm2(Dialogs& dialogs, QWidget* parent = nullptr);

 public slots:
  // "Creat": reads the settings, builds the block, shows it and saves it.
  void Button1Click();
  // "Close".
  void Button2Click() { close(); }

 private:
  QLineEdit* AddNumber(QGridLayout* grid, int row, int column, const char* name, const char* label,
                       std::int32_t value);
  QCheckBox* AddCheck(QGridLayout* grid, int row, int column, const char* name, const char* label,
                      bool ticked);
  QComboBox* AddChoice(QGridLayout* grid, int row, int column, const char* name, const char* label,
                       std::span<const bootloader::Choice> choices, int selected);
  QWidget* BuildPanelGroup();
  QWidget* BuildInterfaceGroup();
  QWidget* BuildFlashGroup();
  QWidget* BuildClockGroup();
  QWidget* BuildPwmGroup();
  QWidget* BuildButtons();

  // The settings as the controls hold them now; throws ConversionError for a field that is not a
  // number.
  bootloader::BootloaderParameters ReadParameters() const;
  void WriteBackPwm(const bootloader::BootloaderParameters& limited);
  void WriteBackClocks(const bootloader::BootloaderParameters& typed,
                       const bootloader::BootloaderParameters& limited);
  void Save(std::span<const std::uint8_t> block);
  void Message(const std::string& text);

  Dialogs& m_dialogs;

  QLineEdit* m_editXSIZE = nullptr;
  QLineEdit* m_editHSPW = nullptr;
  QLineEdit* m_editHSBP = nullptr;
  QLineEdit* m_editHSFP = nullptr;
  QLineEdit* m_editYSIZE = nullptr;
  QLineEdit* m_editVSPW = nullptr;
  QLineEdit* m_editVSBP = nullptr;
  QLineEdit* m_editVSFP = nullptr;
  QCheckBox* m_checkBoxPCLK = nullptr;
  QCheckBox* m_checkBoxHSYNC = nullptr;
  QCheckBox* m_checkBoxVSYNC = nullptr;
  QCheckBox* m_checkBoxDEP = nullptr;
  QCheckBox* m_checkBoxDEM = nullptr;
  QComboBox* m_comboBoxLCDIF = nullptr;
  QComboBox* m_comboBoxLCDRGB = nullptr;
  QComboBox* m_comboBoxColorIF = nullptr;
  QComboBox* m_comboBoxSPIReadCmd = nullptr;
  QComboBox* m_comboBoxFlashAddrMode = nullptr;
  QComboBox* m_comboBoxCANVASMODE = nullptr;
  QComboBox* m_comboBoxSpeed = nullptr;
  QComboBox* m_comboBoxSPI = nullptr;
  QComboBox* m_comboBoxPageSize = nullptr;
  QLineEdit* m_editFlashAddr = nullptr;
  QLineEdit* m_editCCLKOD = nullptr;
  QLineEdit* m_editCCLKR = nullptr;
  QLineEdit* m_editCCLK = nullptr;
  QLineEdit* m_editMCLKOD = nullptr;
  QLineEdit* m_editMCLKR = nullptr;
  QLineEdit* m_editMCLK = nullptr;
  QLineEdit* m_editSCLKOD = nullptr;
  QLineEdit* m_editSCLKR = nullptr;
  QLineEdit* m_editSCLK = nullptr;
  QLineEdit* m_editPPre = nullptr;
  QLineEdit* m_editPWMT = nullptr;
  QLineEdit* m_editPWM = nullptr;
  QPlainTextEdit* m_memo1 = nullptr;
};

}  // namespace panelix::ui
