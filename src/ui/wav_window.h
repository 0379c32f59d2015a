#pragma once

#include <QWidget>

#include "ui/dialogs.h"
#include "wav/wav_convert.h"
#include "wav/wav_reader.h"

class QComboBox;
class QLineEdit;
class QPushButton;

namespace panelix::ui {

// The WAV converter, "WAV Tool".
class TForm7 : public QWidget {
  Q_OBJECT
 public:
  explicit TForm7(Dialogs& dialogs, QWidget* parent = nullptr);

  const wav::WavInfo& Info() const { return m_info; }

 public slots:
  void Button1Click();
  void Button2Click();
  void Button3Click() { close(); }
  void ComboBoxChannelSelect() { ShowBinDataSize(); }
  void ComboBoxBitSampleSelect() { ShowBinDataSize(); }
  void ComboBoxSpeedSelect() { ShowBinDataSize(); }

 private:
  void BuildWavMessage();
  void BuildBinMessage();
  void BuildButtons();
  void ShowInfo(const wav::WavInfo& info);
  void ShowBinDataSize();
  // The conversion choices as the controls hold them now.
  wav::WavOptions CurrentOptions() const;
  std::uint64_t BinDataSize() const;
  void Message(const std::string& text);
  bool WriteOutputs(const std::string& name, const std::vector<std::uint8_t>& bin,
                    const std::vector<std::string>& lines);

  Dialogs& m_dialogs;
  wav::WavInfo m_info;
  bool m_converting = false;

  QLineEdit* m_editFileName = nullptr;
  QLineEdit* m_editWavFilesSize = nullptr;
  QLineEdit* m_editPcmFormat = nullptr;
  QLineEdit* m_editChannels = nullptr;
  QLineEdit* m_editSamplesPerSec = nullptr;
  QLineEdit* m_editAvgBytesPerSec = nullptr;
  QLineEdit* m_editBitsPerSample = nullptr;
  QLineEdit* m_editDataSize = nullptr;
  QComboBox* m_comboBoxChannel = nullptr;
  QComboBox* m_comboBoxBitSample = nullptr;
  QComboBox* m_comboBoxSpeed = nullptr;
  QLineEdit* m_editBinDataSize = nullptr;
  QPushButton* m_button2 = nullptr;
};

}  // namespace panelix::ui
