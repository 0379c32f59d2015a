#include "ui/wav_window.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

#include "base/error.h"
#include "base/files.h"
#include "output/address_list.h"
#include "output/messages.h"
#include "output/output_names.h"
#include "ui/widgets.h"

namespace panelix::ui {

namespace {

constexpr int kSpeeds[] = {1, 2, 4, 8, 16};

QLineEdit* ReadOnlyField(QWidget* parent, const char* name, const char* label, int y) {
  auto* caption = new QLabel(QString::fromUtf8(label), parent);
  caption->setGeometry(10, y, 118, 21);
  auto* field = new QLineEdit(QStringLiteral("0"), parent);
  field->setObjectName(QString::fromLatin1(name));
  field->setReadOnly(true);
  field->setGeometry(128, y, 96, 21);
  caption->setBuddy(field);
  return field;
}

QComboBox* ChoiceBox(QWidget* parent, const char* name, const char* label, const QStringList& items, int y) {
  auto* caption = new QLabel(QString::fromUtf8(label), parent);
  caption->setGeometry(10, y, 110, 21);
  auto* box = new QComboBox(parent);
  box->setObjectName(QString::fromLatin1(name));
  box->addItems(items);
  box->setGeometry(120, y, 106, 22);
  caption->setBuddy(box);
  return box;
}

}  // namespace

TForm7::TForm7(Dialogs& dialogs, QWidget* parent) : QWidget(parent), m_dialogs(dialogs) {
  setObjectName(QStringLiteral("TForm7"));
  setWindowTitle(QStringLiteral("WAV Tool"));
  m_editFileName = new QLineEdit(this);
  m_editFileName->setObjectName(QStringLiteral("EditFileName"));
  m_editFileName->setAccessibleName(QStringLiteral("WAV file"));
  m_editFileName->setGeometry(8, 10, 471, 22);
  BuildWavMessage();
  BuildBinMessage();
  BuildButtons();
  ScrollPlacedControls(this, QSize(487, 353));
  PlaceOnScreen(this);
}

void TForm7::BuildWavMessage() {
  auto* group = new QGroupBox(QStringLiteral("WAV Message"), this);
  group->setGeometry(8, 42, 234, 252);
  m_editWavFilesSize = ReadOnlyField(group, "EditWavFilesSize", "Wav file size:   ", 24);
  m_editPcmFormat = ReadOnlyField(group, "EditPCMFormat", "PCM Format Tag:  ", 56);
  m_editChannels = ReadOnlyField(group, "EditChannels", "Sound Channels:  ", 88);
  m_editSamplesPerSec = ReadOnlyField(group, "EditSamplesPerSec", "SmaplesPerSec:  ", 120);
  m_editAvgBytesPerSec = ReadOnlyField(group, "EditAvgBytesPerSec", "AvgBytesPerSec:  ", 152);
  m_editBitsPerSample = ReadOnlyField(group, "EditBitsPerSample", "BitsPerSample:   ", 184);
  m_editDataSize = ReadOnlyField(group, "EditDataSize", "Data Size:   ", 216);
}

void TForm7::BuildBinMessage() {
  auto* group = new QGroupBox(QStringLiteral("BIN Message"), this);
  group->setGeometry(248, 42, 231, 252);
  m_comboBoxChannel = ChoiceBox(
      group, "ComboBoxChannel", "Sound Channels:   ",
      {QStringLiteral("Left Channel"), QStringLiteral("Right Channel"), QStringLiteral("Two Channel")}, 24);
  m_comboBoxBitSample = ChoiceBox(
      group, "ComboBoxBitSample",
      "BitsPerSample:   ", {QStringLiteral("8bits"), QStringLiteral("16bits"), QStringLiteral("??bits")}, 64);
  m_comboBoxSpeed = ChoiceBox(group, "ComboBoxSpeed", "Speed:  ",
                              {QStringLiteral("1:1"), QStringLiteral("1:2"), QStringLiteral("1:4"),
                               QStringLiteral("1:8"), QStringLiteral("1:16")},
                              104);
  // Only a choice made by the user computes the size again, not a preset of a load.
  connect(m_comboBoxChannel, &QComboBox::activated, this, &TForm7::ComboBoxChannelSelect);
  connect(m_comboBoxBitSample, &QComboBox::activated, this, &TForm7::ComboBoxBitSampleSelect);
  connect(m_comboBoxSpeed, &QComboBox::activated, this, &TForm7::ComboBoxSpeedSelect);
  auto* caption = new QLabel(QStringLiteral("BinDataSize:   "), group);
  caption->setGeometry(10, 144, 110, 21);
  m_editBinDataSize = new QLineEdit(QStringLiteral("0"), group);
  m_editBinDataSize->setObjectName(QStringLiteral("EditBinDataSize"));
  m_editBinDataSize->setReadOnly(true);
  m_editBinDataSize->setGeometry(120, 144, 106, 21);
  caption->setBuddy(m_editBinDataSize);
}

void TForm7::BuildButtons() {
  const std::pair<const char*, const char*> buttons[] = {
      {"Button1", "Input wav file"}, {"Button2", "Convert"}, {"Button3", "Close"}};
  QPushButton* made[3] = {};
  int i = 0;
  for (const auto& [name, caption] : buttons) {
    auto* button = new QPushButton(QString::fromLatin1(caption), this);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(24 + 156 * i, 310, 120, 28);
    made[i++] = button;
  }
  m_button2 = made[1];
  m_button2->setEnabled(false);
  connect(made[0], &QPushButton::clicked, this, &TForm7::Button1Click);
  connect(made[1], &QPushButton::clicked, this, &TForm7::Button2Click);
  connect(made[2], &QPushButton::clicked, this, &TForm7::Button3Click);
}

void TForm7::Message(const std::string& text) {
  m_dialogs.Message(this, QString::fromStdString(text));
}

wav::WavOptions TForm7::CurrentOptions() const {
  static constexpr wav::ChannelChoice kChannels[] = {wav::ChannelChoice::Left, wav::ChannelChoice::Right,
                                                     wav::ChannelChoice::Two};
  static constexpr wav::BitsChoice kBits[] = {wav::BitsChoice::Bits8, wav::BitsChoice::Bits16,
                                              wav::BitsChoice::Unknown};
  wav::WavOptions options;
  options.channel = kChannels[std::clamp(m_comboBoxChannel->currentIndex(), 0, 2)];
  options.bits = kBits[std::clamp(m_comboBoxBitSample->currentIndex(), 0, 2)];
  options.speed = kSpeeds[std::clamp(m_comboBoxSpeed->currentIndex(), 0, 4)];
  return options;
}

std::uint64_t TForm7::BinDataSize() const {
  return wav::BinDataSize(m_info, CurrentOptions(), [this](const std::string& text) {
    m_dialogs.Message(const_cast<TForm7*>(this), QString::fromStdString(text));
  });
}

void TForm7::ShowBinDataSize() {
  m_editBinDataSize->setText(QString::number(BinDataSize()));
}

void TForm7::ShowInfo(const wav::WavInfo& info) {
  m_editWavFilesSize->setText(QString::number(info.fileSize));
  m_editPcmFormat->setText(QString::number(info.formatTag));
  m_editChannels->setText(QString::number(info.channels));
  m_editSamplesPerSec->setText(QString::number(info.sampleRate));
  m_editAvgBytesPerSec->setText(QString::number(info.byteRate));
  m_editBitsPerSample->setText(QString::number(info.bitsPerSample));
  m_editDataSize->setText(QString::number(info.dataSize));
  m_editBinDataSize->setText(QString::number(info.dataSize));
}

void TForm7::Button1Click() {
  const std::optional<QString> chosen =
      m_dialogs.OpenFile(this, QStringLiteral("Open"), QString(),
                         {QStringLiteral("(*.wav)"), QStringLiteral("WAV Files(*.wav)")});
  if (!chosen || chosen->isEmpty() || !chosen->contains(QLatin1Char('.'))) {
    return;
  }
  m_editFileName->setText(*chosen);
  const std::string path = chosen->toStdString();
  std::vector<std::uint8_t> file;
  try {
    file = wav::ReadWavFile(path);
  } catch (const Error& e) {
    Message(e.what());
    return;
  }
  m_button2->setEnabled(false);
  m_comboBoxChannel->setEnabled(false);
  m_comboBoxBitSample->setEnabled(false);
  // The reader's messages come after the fields are shown, as they are found.
  std::vector<std::string> messages;
  m_info = wav::ParseWav(file, [&messages](const std::string& text) { messages.push_back(text); });
  m_info.fileName = path;
  ShowInfo(m_info);
  const wav::WavOptions preset = wav::PresetOptions(m_info, CurrentOptions());
  m_comboBoxChannel->setCurrentIndex(static_cast<int>(preset.channel));
  m_comboBoxBitSample->setCurrentIndex(static_cast<int>(preset.bits));
  for (const auto& text : messages) {
    Message(text);
  }
  if (m_info.valid) {
    m_button2->setEnabled(true);
    m_comboBoxChannel->setEnabled(true);
    m_comboBoxBitSample->setEnabled(true);
  }
}

void TForm7::Button2Click() {
  if (m_converting) {
    return;  // a conversion is under way; its events are being handled
  }
  const wav::WavInfo info = m_info;
  const wav::WavOptions options = CurrentOptions();
  const std::uint64_t size = BinDataSize();
  m_converting = true;
  std::optional<std::vector<std::uint8_t>> bin;
  try {
    const std::vector<std::uint8_t> file = wav::ReadWavFile(info.fileName);
    bin = wav::ConvertWav(file, info, options, size, [](std::int64_t, std::int64_t) {
      QCoreApplication::processEvents();
      return true;
    });
  } catch (const Error& e) {
    m_converting = false;
    Message(e.what());
    return;
  }
  m_converting = false;
  if (!bin) {
    return;
  }
  const std::optional<QString> chosen = m_dialogs.SaveFile(this, QStringLiteral("Save As"), QString(),
                                                           QStringLiteral("Wav-"), {QStringLiteral("*.bin")});
  if (!chosen) {
    return;
  }
  if (chosen->isEmpty()) {
    Message(output::kErrorFileName);
    return;
  }
  const std::string name = output::OutputBinName(chosen->toStdString());
  Message("Start to convert, please wait...");
  const auto lines = wav::DataTextLines(m_editFileName->text().toStdString(), info, options, size);
  if (WriteOutputs(name, *bin, lines)) {
    Message("OK");
  }
}

bool TForm7::WriteOutputs(const std::string& name, const std::vector<std::uint8_t>& bin,
                          const std::vector<std::string>& lines) {
  return wav::WriteWavOutputs(name, bin, lines, [this](const std::string& text) { Message(text); });
}

}  // namespace panelix::ui
