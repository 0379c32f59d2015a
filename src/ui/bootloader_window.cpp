#include "ui/bootloader_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QVBoxLayout>
#include <array>

#include "base/error.h"
#include "base/numbers.h"
#include "bootloader/register_script.h"
#include "ui/widgets.h"

namespace panelix::ui {

namespace {

using bootloader::BootloaderParameters;

std::int32_t FieldValue(const QLineEdit* edit) {
  return StrToInt(edit->text().toStdString());
}

void SetField(QLineEdit* edit, std::int32_t value) {
  edit->setText(QString::number(value));
}

QGridLayout* NewGrid(QGroupBox* group) {
  auto* grid = new QGridLayout(group);
  grid->setColumnStretch(1, 1);
  return grid;
}

}  // namespace

TForm2::TForm2(Dialogs& dialogs, QWidget* parent) : QWidget(parent), m_dialogs(dialogs) {
  setObjectName(QStringLiteral("TForm2"));
  setWindowTitle(QStringLiteral("Creat bootloader in spiflash"));
  auto* settings = new QVBoxLayout;
  settings->addWidget(BuildPanelGroup());
  settings->addWidget(BuildInterfaceGroup());
  settings->addWidget(BuildFlashGroup());
  settings->addWidget(BuildClockGroup());
  settings->addWidget(BuildPwmGroup());
  settings->addStretch(1);

  m_memo1 = new QPlainTextEdit(this);
  m_memo1->setObjectName(QStringLiteral("Memo1"));
  m_memo1->setAccessibleName(QStringLiteral("Bootloader bytes"));
  m_memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
  m_memo1->setFont(QFont(QStringLiteral("Monospace")));

  auto* columns = new QHBoxLayout;
  columns->addLayout(settings);
  columns->addWidget(m_memo1, 1);
  auto* layout = new QVBoxLayout(MakeScrollingContent(this));
  layout->addLayout(columns, 1);
  layout->addWidget(BuildButtons());
  resize(900, 640);
  PlaceOnScreen(this);
}

QLineEdit* TForm2::AddNumber(QGridLayout* grid, int row, int column, const char* name, const char* label,
                             std::int32_t value) {
  auto* edit = new QLineEdit(QString::number(value), this);
  edit->setObjectName(QString::fromLatin1(name));
  // The number fields take digits only.
  edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
  auto* caption = new QLabel(QString::fromLatin1(label), this);
  caption->setBuddy(edit);
  grid->addWidget(caption, row, column);
  grid->addWidget(edit, row, column + 1);
  return edit;
}

QCheckBox* TForm2::AddCheck(QGridLayout* grid, int row, int column, const char* name, const char* label,
                            bool ticked) {
  auto* box = new QCheckBox(QString::fromLatin1(label), this);
  box->setObjectName(QString::fromLatin1(name));
  box->setChecked(ticked);
  grid->addWidget(box, row, column, 1, 2);
  return box;
}

QComboBox* TForm2::AddChoice(QGridLayout* grid, int row, int column, const char* name, const char* label,
                             std::span<const bootloader::Choice> choices, int selected) {
  auto* box = new QComboBox(this);
  box->setObjectName(QString::fromLatin1(name));
  for (const auto& choice : choices) {
    box->addItem(QString::fromUtf8(choice.caption.data(), static_cast<qsizetype>(choice.caption.size())));
  }
  box->setCurrentIndex(selected);
  auto* caption = new QLabel(QString::fromLatin1(label), this);
  caption->setBuddy(box);
  grid->addWidget(caption, row, column);
  grid->addWidget(box, row, column + 1);
  return box;
}

QWidget* TForm2::BuildPanelGroup() {
  const BootloaderParameters d;
  auto* group = new QGroupBox(QStringLiteral("LCD Panel"), this);
  auto* grid = NewGrid(group);
  m_editXSIZE = AddNumber(grid, 0, 0, "EditXSIZE", "Hs Size(X):  ", d.xsize);
  m_editYSIZE = AddNumber(grid, 0, 2, "EditYSIZE", "Vs Size(Y):  ", d.ysize);
  auto* hs = new QGroupBox(QStringLiteral("HS"), group);
  hs->setAccessibleName(hs->title());
  auto* hsGrid = NewGrid(hs);
  m_editHSPW = AddNumber(hsGrid, 0, 0, "EditHSPW", "Pulse Width:  ", d.hspw);
  m_editHSBP = AddNumber(hsGrid, 1, 0, "EditHSBP", "Back-Porch:  ", d.hsbp);
  m_editHSFP = AddNumber(hsGrid, 2, 0, "EditHSFP", "Front-Porch:  ", d.hsfp);
  auto* vs = new QGroupBox(QStringLiteral("VS"), group);
  vs->setAccessibleName(vs->title());
  auto* vsGrid = NewGrid(vs);
  m_editVSPW = AddNumber(vsGrid, 0, 0, "EditVSPW", "Pulse Width:  ", d.vspw);
  m_editVSBP = AddNumber(vsGrid, 1, 0, "EditVSBP", "Back-Porch:  ", d.vsbp);
  m_editVSFP = AddNumber(vsGrid, 2, 0, "EditVSFP", "Front-Porch:  ", d.vsfp);
  grid->addWidget(hs, 1, 0, 1, 2);
  grid->addWidget(vs, 1, 2, 1, 2);
  m_checkBoxPCLK = AddCheck(grid, 2, 0, "CheckBoxPCLK", "PCLK Fall Active", d.pclk);
  m_checkBoxHSYNC = AddCheck(grid, 2, 2, "CheckBoxHSYNC", "HSYNC High Active  ", d.hsync);
  m_checkBoxVSYNC = AddCheck(grid, 3, 0, "CheckBoxVSYNC", "VSYNC High Active   ", d.vsync);
  m_checkBoxDEP = AddCheck(grid, 3, 2, "CheckBoxDEP", "DE Low Active  ", d.dep);
  m_checkBoxDEM = AddCheck(grid, 4, 0, "CheckBoxDEM", "DE Mode", d.dem);
  return group;
}

QWidget* TForm2::BuildInterfaceGroup() {
  auto* group = new QGroupBox(QStringLiteral("LCD Interface"), this);
  auto* grid = NewGrid(group);
  m_comboBoxLCDIF = AddChoice(grid, 0, 0, "ComboBoxLCDIF", "LCD Interface: ", bootloader::kLcdInterfaces, 0);
  m_comboBoxLCDRGB = AddChoice(grid, 0, 2, "ComboBoxLCDRGB", "LCD IF RGB :  ", bootloader::kLcdRgbOrders, 0);
  m_comboBoxColorIF =
      AddChoice(grid, 1, 0, "ComboBoxColorIF", "Main Win Color:  ", bootloader::kMainWindowColors, 1);
  m_comboBoxCANVASMODE =
      AddChoice(grid, 1, 2, "ComboBoxCANVASMODE", "In Linear Mode :   ", bootloader::kCanvasModes, 3);
  return group;
}

QWidget* TForm2::BuildFlashGroup() {
  const BootloaderParameters d;
  auto* group = new QGroupBox(QStringLiteral("SPI Flash"), this);
  auto* grid = NewGrid(group);
  m_comboBoxSPIReadCmd =
      AddChoice(grid, 0, 0, "ComboBoxSPIReadCmd", "Read Command :   ", bootloader::kReadCommands, 0);
  m_comboBoxSPIReadCmd->setEnabled(false);
  m_comboBoxFlashAddrMode =
      AddChoice(grid, 0, 2, "ComboBoxFlashAddrMode", "Address Mode :   ", bootloader::kAddressModes, 0);
  m_comboBoxFlashAddrMode->setEnabled(false);
  // Until the user picks a divider the list shows "DIV 4" with nothing selected.
  m_comboBoxSpeed = AddChoice(grid, 1, 0, "ComboBoxSpeed", "SPI Speed:   ", bootloader::kSpiSpeeds, -1);
  m_comboBoxSpeed->setPlaceholderText(QStringLiteral("DIV 4"));
  m_comboBoxSPI = AddChoice(grid, 1, 2, "ComboBoxSPI", "CX9 SPI Interface: ", bootloader::kSpiInterfaces, 1);
  m_editFlashAddr = AddNumber(grid, 2, 0, "EditFlashAddr", "Picture Address :  ", d.flashAddr);
  // The page size is fixed for the flash parts the module takes; it does not enter the block.
  static constexpr std::array<bootloader::Choice, 1> kPageSizes{{{"256", 256}}};
  m_comboBoxPageSize = AddChoice(grid, 2, 2, "ComboBoxPageSize", "Flash Page Size:   ", kPageSizes, 0);
  m_comboBoxPageSize->setEnabled(false);
  return group;
}

QWidget* TForm2::BuildClockGroup() {
  const BootloaderParameters d;
  auto* group = new QGroupBox(QStringLiteral("PLL"), this);
  auto* grid = NewGrid(group);
  m_editCCLKOD = AddNumber(grid, 0, 0, "EditCCLKOD", "CCLK_OD:  ", d.cclkOd);
  m_editCCLKR = AddNumber(grid, 0, 2, "EditCCLKR", "CCLK_R:   ", d.cclkR);
  m_editCCLK = AddNumber(grid, 0, 4, "EditCCLK", "CCLK_N:  ", d.cclkN);
  m_editMCLKOD = AddNumber(grid, 1, 0, "EditMCLKOD", "MCLK_OD:  ", d.mclkOd);
  m_editMCLKR = AddNumber(grid, 1, 2, "EditMCLKR", "MCLK_R:   ", d.mclkR);
  m_editMCLK = AddNumber(grid, 1, 4, "EditMCLK", "MCLK_N:  ", d.mclkN);
  m_editSCLKOD = AddNumber(grid, 2, 0, "EditSCLKOD", "SCLK_OD:  ", d.sclkOd);
  m_editSCLKR = AddNumber(grid, 2, 2, "EditSCLKR", "SCLK_R:   ", d.sclkR);
  m_editSCLK = AddNumber(grid, 2, 4, "EditSCLK", "SCLK_N:  ", d.sclkN);
  return group;
}

QWidget* TForm2::BuildPwmGroup() {
  const BootloaderParameters d;
  auto* group = new QGroupBox(QStringLiteral("Backlight PWM"), this);
  auto* grid = NewGrid(group);
  m_editPPre = AddNumber(grid, 0, 0, "EditPPre", "PWM Pre:   ", d.ppre);
  m_editPWMT = AddNumber(grid, 0, 2, "EditPWMT", "PWM(T):   ", d.pwmt);
  m_editPWM = AddNumber(grid, 0, 4, "EditPWM", "PWM(%):   ", d.pwm);
  return group;
}

QWidget* TForm2::BuildButtons() {
  auto* row = new QWidget(this);
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  const auto add = [&](const char* name, const char* caption) {
    auto* button = new QPushButton(QString::fromLatin1(caption), row);
    button->setObjectName(QString::fromLatin1(name));
    layout->addWidget(button);
    return button;
  };
  // "Import" is kept hidden; it has no action.
  add("ButtonImport", "Import")->setVisible(false);
  layout->addStretch(1);
  connect(add("Button1", "Creat"), &QPushButton::clicked, this, &TForm2::Button1Click);
  connect(add("Button2", "Close"), &QPushButton::clicked, this, &TForm2::Button2Click);
  return row;
}

BootloaderParameters TForm2::ReadParameters() const {
  BootloaderParameters p;
  p.xsize = FieldValue(m_editXSIZE);
  p.hspw = FieldValue(m_editHSPW);
  p.hsbp = FieldValue(m_editHSBP);
  p.hsfp = FieldValue(m_editHSFP);
  p.ysize = FieldValue(m_editYSIZE);
  p.vspw = FieldValue(m_editVSPW);
  p.vsbp = FieldValue(m_editVSBP);
  p.vsfp = FieldValue(m_editVSFP);
  p.pclk = m_checkBoxPCLK->isChecked();
  p.hsync = m_checkBoxHSYNC->isChecked();
  p.vsync = m_checkBoxVSYNC->isChecked();
  p.dep = m_checkBoxDEP->isChecked();
  p.dem = m_checkBoxDEM->isChecked();
  p.lcdif = bootloader::ChoiceValue(bootloader::kLcdInterfaces, m_comboBoxLCDIF->currentIndex(), p.lcdif);
  p.lcdrgb = bootloader::ChoiceValue(bootloader::kLcdRgbOrders, m_comboBoxLCDRGB->currentIndex(), p.lcdrgb);
  p.color = bootloader::ChoiceValue(bootloader::kMainWindowColors, m_comboBoxColorIF->currentIndex(),
                                    bootloader::kNoColorSelected);
  p.readCmd =
      bootloader::ChoiceValue(bootloader::kReadCommands, m_comboBoxSPIReadCmd->currentIndex(), p.readCmd);
  p.addr32 =
      bootloader::ChoiceValue(bootloader::kAddressModes, m_comboBoxFlashAddrMode->currentIndex(), p.addr32);
  p.canvas = bootloader::ChoiceValue(bootloader::kCanvasModes, m_comboBoxCANVASMODE->currentIndex(),
                                     bootloader::kNoCanvasSelected);
  p.speed = bootloader::ChoiceValue(bootloader::kSpiSpeeds, m_comboBoxSpeed->currentIndex(),
                                    bootloader::kNoSpeedSelected);
  p.spi = bootloader::ChoiceValue(bootloader::kSpiInterfaces, m_comboBoxSPI->currentIndex(), p.spi);
  p.flashAddr = FieldValue(m_editFlashAddr);
  p.cclkOd = FieldValue(m_editCCLKOD);
  p.cclkR = FieldValue(m_editCCLKR);
  p.cclkN = FieldValue(m_editCCLK);
  p.mclkOd = FieldValue(m_editMCLKOD);
  p.mclkR = FieldValue(m_editMCLKR);
  p.mclkN = FieldValue(m_editMCLK);
  p.sclkOd = FieldValue(m_editSCLKOD);
  p.sclkR = FieldValue(m_editSCLKR);
  p.sclkN = FieldValue(m_editSCLK);
  p.ppre = FieldValue(m_editPPre);
  p.pwmt = FieldValue(m_editPWMT);
  p.pwm = FieldValue(m_editPWM);
  return p;
}

void TForm2::WriteBackPwm(const BootloaderParameters& limited) {
  SetField(m_editPPre, limited.ppre);
  SetField(m_editPWMT, limited.pwmt);
  SetField(m_editPWM, limited.pwm);
}

void TForm2::WriteBackClocks(const BootloaderParameters& typed, const BootloaderParameters& limited) {
  SetField(m_editCCLKOD, limited.cclkOd);
  SetField(m_editMCLKOD, limited.mclkOd);
  SetField(m_editSCLKOD, limited.sclkOd);
  SetField(m_editCCLKR, limited.cclkR);
  SetField(m_editMCLKR, limited.mclkR);
  SetField(m_editSCLKR, limited.sclkR);
  SetField(m_editCCLK, typed.cclkN);
  SetField(m_editMCLK, typed.mclkN);
}

void TForm2::Button1Click() {
  try {
    const BootloaderParameters typed = ReadParameters();
    const BootloaderParameters limited = bootloader::LimitParameters(typed);
    WriteBackPwm(limited);
    const std::vector<std::uint8_t> block = bootloader::BuildBootloader(typed);
    WriteBackClocks(typed, limited);
    // The memo shows lines, not line-end characters.
    m_memo1->setPlainText(QString::fromStdString(bootloader::BootloaderHexView(block))
                              .replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    Save(block);
  } catch (const Error& e) {
    Message(e.what());
  }
}

void TForm2::Save(std::span<const std::uint8_t> block) {
  const std::optional<QString> chosen =
      m_dialogs.SaveFile(this, QStringLiteral("Save bootloader"), QString(), QStringLiteral("Bootloader"),
                         {QStringLiteral("*.bin")});
  if (!chosen) {
    return;
  }
  bootloader::SaveBootloader(chosen->toStdString(), block);
  Message("OK");
}

void TForm2::Message(const std::string& text) {
  m_dialogs.Message(this, QString::fromStdString(text));
}

}  // namespace panelix::ui
